// While a modal window is open (a dialog shown modal, a message box), what
// the user does on the forms beneath it has no effect; timers run on, and a
// dialog shown without being modal leaves its forms live.
#include <gtest/gtest.h>

#include "support/control_screen.h"

using namespace testing_support;
using plat::session::BoxIcon;
using plat::session::ModalResult;

namespace {

class ModalWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    s_.Record("hit");
    s_.Bind<Component*, int&, plat::ui::ShiftState>(
        "down", [this](Component*, int& k, plat::ui::ShiftState) { s_.calls.push_back("key:" + std::to_string(k)); });
    s_.Load(R"(
class: TForm
name: F
keyPreview: true
events: {OnKeyDown: down}
children:
  - {class: TUniButton, name: btnMain, events: {OnClick: hit}}
  - {class: TUniTimer, name: tick, interval: 1000, events: {OnTimer: hit}}
)");
    modal_ = Dialog("Modal", "btnModal");
    plain_ = Dialog("Plain", "btnPlain");
  }

  Form* Dialog(const std::string& name, const std::string& button) {
    Session::Scope scope(s_.session());
    auto d = std::make_unique<Form>(&s_.session());
    d->RegisterHandler<Component*>(
        "hit", std::function<void(Component*)>([this](Component* c) { s_.calls.push_back("hit:" + c->Name()); }));
    d->Build(plat::ui::ParseFormDefinition("{class: TForm, name: " + name + ", children: [{class: TUniButton, name: " +
                                           button + ", events: {OnClick: hit}}]}"));
    return s_.session().AddDialog(std::move(d));
  }
  void Run(const std::function<void()>& code) {
    Session::Scope scope(s_.session());
    code();
    s_.session().TakeOps();
  }
  // What each of the user's events ran, in order ("-" for nothing).
  std::vector<std::string> Try() {
    std::vector<std::string> ran;
    const Json events[] = {{{"t", "click"}, {"c", s_.Id("btnMain")}},
                           {{"t", "timer"}, {"c", s_.Id("tick")}},
                           {{"t", "key"}, {"k", "down"}, {"code", 113}},
                           {{"t", "click"}, {"c", modal_->Get<Component>("btnModal")->Id()}},
                           {{"t", "click"}, {"c", plain_->Get<Component>("btnPlain")->Id()}}};
    for (const Json& ev : events) {
      s_.calls.clear();
      s_.Event(ev);
      ran.push_back(s_.calls.empty() ? "-" : s_.calls[0]);
    }
    return ran;
  }

  Screen s_;
  Form* modal_ = nullptr;
  Form* plain_ = nullptr;
};

}  // namespace

TEST_F(ModalWindows, EventsBeneathAModalWindowAreRefusedTimersRunOn) {
  Run([&] { plain_->Show(); });
  EXPECT_EQ(Try(), (std::vector<std::string>{"hit:btnMain", "hit:tick", "key:113", "-", "hit:btnPlain"}))
      << "a dialog shown without being modal leaves the form live (a hidden one takes no clicks)";

  Run([&] { modal_->ShowModal(); });
  LogCapture log;
  EXPECT_EQ(Try(), (std::vector<std::string>{"-", "hit:tick", "-", "hit:btnModal", "-"}));
  EXPECT_NE(log.All().find("beneath a modal window"), std::string::npos) << log.All();

  // A message box lies above everything, the modal dialog included.
  Run([&] { s_.session().MessageDlg("Sure?", BoxIcon::Confirmation, [](ModalResult) {}); });
  EXPECT_EQ(Try(), (std::vector<std::string>{"-", "hit:tick", "-", "-", "-"}));
  s_.Event({{"t", "answer"}, {"box", 1}, {"r", "no"}});
  EXPECT_EQ(Try(), (std::vector<std::string>{"-", "hit:tick", "-", "hit:btnModal", "-"}));

  Run([&] { modal_->Close(); });
  EXPECT_EQ(Try(), (std::vector<std::string>{"hit:btnMain", "hit:tick", "key:113", "-", "hit:btnPlain"}));
}

// The click that opens a modal dialog and the second click of the double
// click arrive in one request: the second one finds the dialog open.
TEST_F(ModalWindows, TheSecondClickOfADoubleClickOpensNothingTwice) {
  int opened = 0;
  s_.form().Get<plat::ui::TUniButton>("btnMain")->OnClick = [&](Component*) {
    ++opened;
    modal_->ShowModal();
  };
  const Json click = {{"t", "click"}, {"c", s_.Id("btnMain")}};
  s_.Send(Json::array({click, click}));
  EXPECT_EQ(opened, 1);
}
