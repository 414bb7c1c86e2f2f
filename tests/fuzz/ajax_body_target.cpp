// AJAX bodies: whatever a page posts, the request is answered (a bad body
// with 400, a session's request with its sequence number) and its answer
// can be sent; nothing raises. Each input goes in twice: as the whole body,
// and as the events of a well-formed request of a logged-in console, where
// "#name#" stands for the id of the console's component of that name.
#include <filesystem>

#include "common/MainForm.h"
#include "fuzz/fuzz.h"
#include "platform/session/session_manager.h"
#include "server/ServerModule.h"

namespace {

using plat::ui::Json;

constexpr int kRunsPerSession = 200;

struct Console {
  std::unique_ptr<TUniServerModule> server;
  std::shared_ptr<plat::session::Session> session;
  std::int64_t seq = 0;
  int runs = 0;

  plat::session::SessionManager& Sessions() { return server->Sessions(); }
  int IdOf(const std::string& name) const {
    auto* c = session->MainForm()->FindComponent(name);
    return c ? c->Id() : 0;
  }
  Json Post(const std::string& body, int* status) {
    const Json answer = Sessions().AjaxRequest(body, status);
    (void)answer.dump(-1, ' ', false, Json::error_handler_t::replace);
    return answer;
  }
  void Open() {
    if (session) Sessions().Close(session->Id());
    session = Sessions().Open({});
    fuzz::Check(session != nullptr, "no console session");
    seq = 0;
    runs = 0;
    // Logged in, so that the tabs behind the login take events too.
    int status = 0;
    Post(Json({{"sid", session->Id()}, {"seq", ++seq},
               {"events", Json::array({{{"t", "change"}, {"c", IdOf("edtLoginUser")}, {"p", "text"}, {"v", "profi"}},
                                       {{"t", "change"}, {"c", IdOf("edtLoginPW")}, {"p", "text"}, {"v", "5202noidats"}},
                                       {{"t", "click"}, {"c", IdOf("btnLoginOK")}}})}})
             .dump(),
         &status);
  }
};

Console* gConsole = nullptr;

std::string WithIds(std::string_view input) {
  std::string out;
  out.reserve(input.size());
  for (std::size_t i = 0; i < input.size(); ++i) {
    const std::size_t end = input[i] == '#' ? input.find('#', i + 1) : std::string_view::npos;
    if (end != std::string_view::npos && end - i < 40) {
      out += std::to_string(gConsole->IdOf(std::string(input.substr(i + 1, end - i - 1))));
      i = end;
    } else {
      out += input[i];
    }
  }
  return out;
}

bool Run(std::string_view input) {
  Console& c = *gConsole;
  if (!c.session || ++c.runs > kRunsPerSession || !c.Sessions().Find(c.session->Id())) c.Open();
  int status = 0;
  Json raw = c.Post(std::string(input), &status);
  fuzz::Check(status == 400 || (status == 200 && (raw.contains("seq") || raw.contains("gone"))),
              "a body answered with " + std::to_string(status) + ": " + raw.dump().substr(0, 200));

  const std::string body = "{\"sid\":\"" + c.session->Id() + "\",\"seq\":" + std::to_string(c.seq + 1) +
                           ",\"events\":" + WithIds(input) + "}";
  Json answer = c.Post(body, &status);
  if (status == 400) return false;  // not JSON, or nested too deep
  fuzz::Check(status == 200, "a session request answered with " + std::to_string(status));
  fuzz::Check(answer.contains("gone") || answer.value("seq", std::int64_t{0}) == c.seq + 1,
              "a request went unanswered: " + answer.dump().substr(0, 200));
  ++c.seq;
  return true;
}

const bool kRegistered = fuzz::Register({
    "ajax_body",
    {"{\"t\":\"click\",\"c\":", "{\"t\":\"change\",\"c\":", "{\"t\":\"dblclick\",\"c\":", "{\"t\":\"key\",\"k\":\"down\",\"code\":",
     "{\"t\":\"answer\",\"box\":1,\"r\":\"yes\"}", "{\"t\":\"select\",\"c\":", "{\"t\":\"cell\",\"c\":", "{\"t\":\"timer\",\"c\":",
     "{\"t\":\"upload\",\"c\":", "{\"t\":\"close\",\"c\":", "{\"t\":\"tool\",\"c\":", "{\"t\":\"node\",\"c\":",
     "\"p\":\"text\",\"v\":", "\"p\":\"checked\",\"v\":true", "\"p\":\"itemIndex\",\"v\":", "\"files\":[{\"cache\":\"x\"}]",
     "\"col\":1,\"row\":1", "#btnLoginOK#", "#edtLoginUser#", "#UniPageControl1#", "#tabEnt#", "#UniButton1#",
     "#tabSpielstand#", "-1", "2147483648", "1e308", "null", "\"\\u0000\"", "\"\xC3\xA4\"", "[", "]", "{", "}", ","},
    [] {
      static Console console;
      const std::string folder = fuzz::WorkFolder() + "ajax/";
      std::filesystem::copy(TESS_FUZZ_DEMO, folder, std::filesystem::copy_options::recursive);
      console.server = std::make_unique<TUniServerModule>(folder);
      SetUniServerModule(console.server.get());
      gConsole = &console;
    },
    Run,
    16 * 1024,
});

}  // namespace
