// Services a handler uses: dialogs, boxes and prompts with callbacks,
// scripts, and what happens when a handler fails.
#include <gtest/gtest.h>

#include "editor/Unit3.h"
#include "match/Unit1.h"
#include "match/Unit2.h"
#include "platform/ui/form_loader.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

class SessionServices : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
    driver_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
  }
  void TearDown() override {
    driver_.reset();
    SetUniServerModule(nullptr);
  }
  // Runs code as a handler of this session would, inside a request: as a
  // timer's handler, since timers still run beneath a modal dialog.
  Json InRequest(std::function<void()> code) {
    if (!runner_) {
      runner_ = new plat::ui::TUniTimer(&driver_->Form());
      runner_->SetInterval(3'600'000);
    }
    runner_->OnTimer = [code](Component*) { code(); };
    return driver_->Send(Json::array({{{"t", "timer"}, {"c", runner_->Id()}}}));
  }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<SessionDriver> driver_;
  plat::ui::TUniTimer* runner_ = nullptr;  // owned by the form
};

}  // namespace

TEST_F(SessionServices, DialogAccessorsReturnTheOpenDialogOrANewOne) {
  TfrmUhr* first = nullptr;
  TfrmUhr* second = nullptr;
  Json ops = InRequest([&] {
    first = frmUhr();
    second = frmUhr();
    first->ShowModal();
  });
  EXPECT_EQ(first, second);
  auto created = OpsOf(ops, "create");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0]["node"]["cls"], "TUniDialog");
  EXPECT_EQ(created[0]["node"]["p"]["modal"], true);

  int closedId = first->Id();
  ops = InRequest([&] { frmUhr()->Close(); });
  ASSERT_EQ(OpsOf(ops, "destroy").size(), 1u);
  EXPECT_EQ(OpsOf(ops, "destroy")[0]["c"], closedId);
  EXPECT_EQ(driver_->GetSession().FindDialog<TfrmUhr>(), nullptr) << "a closed dialog is freed";

  TfrmUhr* fresh = nullptr;
  InRequest([&] { fresh = frmUhr(); });
  EXPECT_NE(fresh->Id(), closedId) << "the next opening starts from the definition again";
  InRequest([&] {
    EXPECT_NE(static_cast<void*>(frmHeim()), static_cast<void*>(frmMedium()));
  });
}

TEST_F(SessionServices, ADialogNeverShownIsClosedAndFreed) {
  int usedId = 0;
  Json ops = InRequest([&] {
    TfrmUhr* clock = frmUhr();
    usedId = clock->Id();
    clock->Close();
  });
  EXPECT_TRUE(OpsOf(ops, "destroy").empty()) << "the browser never had it";
  EXPECT_EQ(driver_->GetSession().FindDialog<TfrmUhr>(), nullptr);
  TfrmUhr* fresh = nullptr;
  InRequest([&] { fresh = frmUhr(); });
  EXPECT_NE(fresh->Id(), usedId);
}

TEST_F(SessionServices, ShowingAModalDialogDoesNotBlockTheHandler) {
  bool after = false;
  InRequest([&] {
    frmHeim()->ShowModal();
    after = true;
  });
  EXPECT_TRUE(after);
}

TEST_F(SessionServices, ConfirmationsAndPromptsGoOnInTheirCallbacks) {
  std::vector<std::string> seen;
  Json ops = InRequest([&] {
    auto& s = *plat::session::Session::Current();
    s.MessageDlg("Neues Spiel starten ?", plat::session::BoxIcon::Confirmation,
                 [&](plat::session::ModalResult r) { seen.push_back("confirm " + std::to_string(r)); });
    s.Prompt("Set Time", "00:10", plat::session::BoxIcon::Information,
             [&](plat::session::ModalResult r, const std::string& text) {
               seen.push_back("prompt " + std::to_string(r) + " " + text);
             });
    seen.push_back("handler done");
  });
  auto boxes = OpsOf(ops, "box");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0]["kind"], "confirm");
  EXPECT_EQ(boxes[1]["kind"], "prompt");
  EXPECT_EQ(boxes[1]["def"], "00:10");
  EXPECT_EQ(seen, std::vector<std::string>{"handler done"});

  driver_->Send(Json::array({{{"t", "answer"}, {"box", boxes[1]["box"]}, {"r", "ok"}, {"text", "01:30"}},
                             {{"t", "answer"}, {"box", boxes[0]["box"]}, {"r", "close"}}}));
  EXPECT_EQ(seen, (std::vector<std::string>{"handler done", "prompt 1 01:30", "confirm 0"}));
  // A box is answered once.
  driver_->Send(Json::array({{{"t", "answer"}, {"box", boxes[1]["box"]}, {"r", "ok"}, {"text", "x"}}}));
  EXPECT_EQ(seen.size(), 3u);
}

TEST_F(SessionServices, ControlScriptsNameTheControlAndKeepTheirOrder) {
  Json ops = InRequest([&] {
    auto& f = *MainForm();
    f.lblF1A->SetCaption("<b>new</b>");
    plat::session::Session::Current()->ControlScript(*f.lblF1A, "\x01.el.fadeIn({duration: 700});");
    plat::session::Session::Current()->ShowToast("Error Load spielstand.xml!");
  });
  std::vector<std::string> order;
  for (const auto& op : ops) {
    std::string kind = op.value("op", "");
    if (kind == "set" && op["p"] == "caption") order.push_back("caption");
    if (kind == "js") {
      order.push_back("js");
      EXPECT_EQ(op["code"], driver_->Form().lblF1A->JSName() + ".el.fadeIn({duration: 700});");
    }
    if (kind == "toast") order.push_back("toast");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"caption", "js", "toast"}));
}

TEST_F(SessionServices, AFailingHandlerEndsOnlyItsEvent) {
  driver_->Form().UniButton1->OnClick = [](Component*) { throw std::runtime_error("disk full"); };
  Json ops = driver_->Send(Json::array({{{"t", "click"}, {"c", driver_->Form().UniButton1->Id()}},
                                   {{"t", "resize"}, {"w", 1000}, {"h", 700}}}));
  auto errors = OpsOf(ops, "error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0]["text"], "disk full");
  // The session goes on, and so do the later events of the request.
  EXPECT_EQ(driver_->Form().panLogin->Left(), 500 - 179);
  EXPECT_FALSE(driver_->Terminated());
  EXPECT_NE(server_->Sessions().Find(driver_->GetSession().Id()), nullptr);
}

TEST(SessionBoot, ADialogShownWhileTheFormOpensArrivesOnceWithItsChanges) {
  plat::ui::RegisterStandardControls();
  plat::session::Session s("00112233445566778899aabbccddeeff", {});
  plat::session::Session::Scope scope(s);
  auto main = std::make_unique<plat::ui::Form>(&s);
  main->Build(plat::ui::ParseFormDefinition("{class: F, name: Main, children: [{class: TUniLabel, name: L}]}"));
  plat::ui::Form* mainForm = main.get();
  s.SetMainForm(std::move(main));
  auto dialog = std::make_unique<plat::ui::Form>(&s);
  dialog->Build(plat::ui::ParseFormDefinition("{class: D, name: Dlg, children: [{class: TUniLabel, name: M}]}"));
  plat::ui::Form* d = s.AddDialog(std::move(dialog));
  mainForm->OnShow = [&](plat::ui::Component*) {
    mainForm->Get<TUniLabel>("L")->SetCaption("main");
    d->ShowModal();
    d->Get<TUniLabel>("M")->SetCaption("changed after showing");
  };
  s.ShowMainForm();
  Json boot = s.RenderBoot(Json::object());
  ASSERT_EQ(boot["forms"].size(), 1u);
  EXPECT_EQ(boot["forms"][0]["ch"][0]["p"]["caption"], "main");
  int creates = 0, sets = 0;
  for (const auto& op : boot["ops"]) {
    if (op["op"] == "create") ++creates;
    if (op["op"] == "set" && op["v"] == "changed after showing") ++sets;
  }
  EXPECT_EQ(creates, 1);
  EXPECT_EQ(sets, 1);
}
