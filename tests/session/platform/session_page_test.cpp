// The page of a session loads the browser runtime's files in the order the
// client folder's list gives, then boots.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/session/session_manager.h"
#include "platform/ui/controls.h"
#include "platform/ui/form_loader.h"
#include "support/test_support.h"

using namespace plat::session;
using testing_support::TempDir;

TEST(SessionPage, LoadsTheRuntimeFilesInTheListedOrderBeforeTheBoot) {
  TempDir client;
  client.Write("scripts.txt", "# the core first\r\nruntime.js\r\n\r\ncontrols/b.js\r\ncontrols/a.js\r\n");
  plat::ui::RegisterStandardControls();
  SessionHostConfig config;
  config.clientFolder = client.path().string();
  config.createSession = [](Session& s) {
    auto form = std::make_unique<plat::ui::Form>(&s);
    form->Build(plat::ui::ParseFormDefinition("{class: F, name: F}"));
    s.SetMainForm(std::move(form));
  };
  SessionManager sessions(config);
  std::shared_ptr<Session> s = sessions.Open({});
  ASSERT_NE(s, nullptr);
  const std::string page = sessions.RenderPage(*s);

  std::vector<std::string> loaded;
  for (std::size_t at = page.find("<script src=\""); at != std::string::npos; at = page.find("<script src=\"", at + 1)) {
    const std::size_t from = at + 13;
    loaded.push_back(page.substr(from, page.find('"', from) - from));
  }
  EXPECT_EQ(loaded, (std::vector<std::string>{"/client/runtime.js", "/client/controls/b.js", "/client/controls/a.js"}));
  EXPECT_LT(page.rfind("<script src=\""), page.find("<script>Tess.boot("));
}
