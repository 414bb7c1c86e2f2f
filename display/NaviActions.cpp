// Navigation actions: what a touch menu button does when pressed. The press
// shows the button's selected picture, resets its siblings and runs the
// action lines kept in its help keyword: restart the playlist, apply a frame
// layout, open or close a sub-menu, or show a medium or a web page in frame 1
// or 2 until the frame's rotation goes on.
#include <algorithm>
#include <climits>
#include <vector>

#include "common/Main.h"
#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "display/MediumHtml.h"
#include "platform/io/utf8.h"
#include "platform/log.h"

namespace {

// A button keeps "selected|normal" in its hint.
std::string NormalPicture(const std::string& hint) { return TextAfter(hint, "|"); }
std::string SelectedPicture(const std::string& hint) { return TextBefore(hint, "|"); }

// Every ";" separates, empty fields included (also a trailing one).
std::vector<std::string> SplitActionLine(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = line.find(';', from);
    fields.push_back(line.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return fields;
    from = at + 1;
  }
}

void LogSwallowed(const TMainForm& f, const std::string& what, const std::exception& e) {
  plat::LogLine("display " + f.lblStandort->Caption() + ": navigation " + what + " failed: " + e.what());
}

}  // namespace

void TMainForm::lblNaviBtnMouseDown(Component* Sender, MouseButton, ShiftState, int, int) {
  auto* label = dynamic_cast<TUniLabel*>(Sender);
  if (!label) return;
  try {
    // The place comes from a menu file: it must not wrap round.
    if (label->Top() < INT_MAX) label->SetTop(label->Top() + 1);
    // A master button (or a label of the engine page) closes every sub-menu;
    // a sub-menu button leaves them open.
    if (LeftText(label->Name(), 11) != "ButtonSlave") btnDelSlave->OnClick(btnDelSlave);

    const std::string panelPrefix = TextBefore(label->Name(), "_");
    for (int i = 0; i < 20; ++i) {
      try {
        if (auto* sibling = dynamic_cast<TUniLabel*>(FindComponent(panelPrefix + "_" + std::to_string(i))))
          sibling->SetCaption(NaviButtonPictureHtml(NormalPicture(sibling->Hint()), sibling->Width(),
                                                    sibling->Height()));
      } catch (const std::exception&) {
      }
    }

    memoNaviAkt->Lines().Clear();
    memoNaviAkt->Lines().SetText(label->HelpKeyword());
    label->SetCaption(NaviButtonPictureHtml(SelectedPicture(label->Hint()), label->Width(), label->Height()));
    // The actions may release the pressed button itself ("closeNavi" on a
    // sub-menu): nothing may touch the label after this.
    btnNaviAktion->OnClick(btnNaviAktion);
  } catch (const std::exception& e) {
    LogSwallowed(*this, "press", e);
  }
}

void TMainForm::lblNaviBtnMouseUp(Component* Sender, MouseButton, ShiftState, int, int) {
  try {
    if (auto* label = dynamic_cast<TUniLabel*>(Sender); label && label->Top() > INT_MIN) label->SetTop(label->Top() - 1);
  } catch (const std::exception&) {
  }
}

void TMainForm::lblNaviBtnClick(Component*) {}

void TMainForm::btnNaviAktionClick(Component*) {
  // A navigation medium takes the frame's next label at once, without the
  // frame's fade timer.
  auto SwapAtOnce = [this](bool& flag, TUniLabel* a, TUniLabel* b, TUniLabel*& outgoing, TUniLabel*& incoming,
                           const std::string& content) {
    flag = !flag;
    outgoing = flag ? b : a;
    incoming = flag ? a : b;
    incoming->SetCaption(content);
    FadeLabel(outgoing, true, 10);
    FadeLabel(incoming, false, 10);
    // As with a cut: the hidden label must not go on playing a video's sound.
    outgoing->SetCaption("");
  };
  std::string html;  // kept from line to line within one run
  const int count = memoNaviAkt->Lines().Count();
  for (int k = 0; k < count && k < memoNaviAkt->Lines().Count(); ++k) {
    try {
      const std::vector<std::string> f = SplitActionLine(memoNaviAkt->Lines()[k]);
      if (f.size() < 5) continue;  // "No aktion" and other lines without an action
      const std::string& type = f[2];
      const std::string& frame = f[4];
      std::string medium = f[3];
      std::replace(medium.begin(), medium.end(), '\\', '/');
      const std::string ext = plat::io::utf8::ToLower(RightText(medium, 3));
      DisplayLog(*this, "[navi] " + medium + " " + frame + " " + type);

      if (type == "Playlist") {
        // Frame 1 starts its queue again; frames 2 and 3 wait for the next
        // playlist load.
        RestartFrame(1);
        lblF1B->SetCaption("");
        lblF1A->SetCaption("");
        timerF1->SetEnabled(true);
        RestartFrame(2);
        lblF2B->SetCaption("");
        lblF2A->SetCaption("");
        RestartFrame(3);
        lblF3B->SetCaption("");
        lblF3A->SetCaption("");
        continue;
      }
      if (type == "Frame") {
        lblFrame->SetCaption(medium);
        try {
          btnFrame->OnClick(btnFrame);
        } catch (const std::exception& e) {
          LogSwallowed(*this, "frame layout " + medium, e);
        }
        continue;
      }
      if (type == "Navigation") {
        btnNaviSlave2->SetHint(medium);
        try {
          btnNaviSlave2->OnClick(btnNaviSlave2);
        } catch (const std::exception& e) {
          LogSwallowed(*this, "sub-menu " + medium, e);
        }
        continue;
      }
      if (type == "closeNavi") {
        // Closes every sub-menu, as a master button does; the lines after
        // it are not run.
        try {
          btnDelSlave->OnClick(btnDelSlave);
        } catch (const std::exception& e) {
          LogSwallowed(*this, "closing the sub-menus", e);
        }
        return;
      }
      if (type != "Medium" && type != "URL") continue;

      const std::string src = medium_html::MediaAddress(medium);
      if (frame == "1") {
        timerF1->SetInterval(nInaktivTime);
        const int w = panF1->Width(), h = panF1->Height();
        if (type == "Medium") {
          if (ext == "mp4") html = medium_html::MutedVideoHtml(src, w, h);
          else if (ext == "jpg" || ext == "png") html = medium_html::PictureHtml(src, w, h);
          else if (ext == "pdf")
            html = medium_html::IframeHtml(src + ReadIniString(apppath + "Config\\Medien.ini", "HTM", "pdfF1", ""),
                                           w, h);
        } else {
          html = medium_html::IframeHtml(src, w, h);
        }
        SwapAtOnce(f1Preload, lblF1A, lblF1B, sL1, sL2, html);
      } else if (frame == "2") {
        timerF2->SetInterval(nInaktivTime);
        const int w = panF2->Width(), h = panF2->Height();
        if (type == "Medium")
          html = ext == "mp4" ? medium_html::MutedVideoHtml(src, w, h) : medium_html::PictureHtml(src, w, h);
        else
          html = medium_html::IframeHtml(src, w, h);
        SwapAtOnce(f2Preload, lblF2A, lblF2B, sL3, sL4, html);
      }
    } catch (const std::exception& e) {
      LogSwallowed(*this, "action", e);
    }
  }
}

void TMainForm::btnDelSlaveClick(Component*) {
  memoControls->Lines().Clear();
  try {
    // Downwards, so releasing a panel with its buttons (which come after it)
    // disturbs no index still to be visited.
    std::vector<Component*> components = Components();
    for (int i = static_cast<int>(components.size()) - 1; i >= 0; --i) {
      if (i >= static_cast<int>(components.size())) continue;
      Component* c = components[static_cast<std::size_t>(i)];
      if (LeftText(c->Name(), 12) != "panNaviSlave") continue;
      memoControls->Lines().Add(std::to_string(i) + " Delete: " + c->Name());
      Release(c);
      components = Components();
    }
  } catch (const std::exception& e) {
    LogSwallowed(*this, "closing the sub-menus", e);
  }
}

void TMainForm::btnControlsClick(Component*) {
  memoControls->Lines().Clear();
  memoControls->Lines().BeginUpdate();
  const std::vector<Component*> components = Components();
  for (std::size_t i = 0; i < components.size(); ++i)
    memoControls->Lines().Add(std::to_string(i) + " Name: " + components[i]->Name());
  memoControls->Lines().EndUpdate();
}
