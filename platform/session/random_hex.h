#pragma once
// Unguessable names: session ids, upload cache files and tokens.
#include <cstddef>
#include <string>

namespace plat::session {

// `bytes` random bytes from the system's source, as lower-case hex.
std::string RandomHex(std::size_t bytes);

}  // namespace plat::session
