#pragma once
// One client connection of the server, driven on one I/O thread. Internal
// to the HTTP layer.
#include <string>

#include <boost/asio/ip/tcp.hpp>

namespace plat::http {

struct ServerCore;

// Serves requests on `socket` (admitted for `client`) until either side
// closes it; the socket's executor is the connection's I/O thread.
void StartConnection(ServerCore& core, boost::asio::ip::tcp::socket socket, std::string client);

}  // namespace plat::http
