// Navigation panels: touch menus built from menu files. A menu file gives a
// panel on the display surface with up to 20 picture buttons; each button
// keeps its pictures in its hint and its action lines in its help keyword,
// where the press handlers of the navigation actions find them.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "common/Main.h"
#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "display/MediumHtml.h"
#include "platform/convert.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "platform/session/session_manager.h"

using plat::io::XmlNode;

namespace {

constexpr int kNaviButtons = 20;
// A typing slip in an action count must not stall the display with millions
// of empty action lines; real menus carry a handful per button.
constexpr int kMaxNaviActions = 1000;

// What sets the three kinds of panel apart.
struct NaviPanelKind {
  std::string panelName;
  std::string buttonPrefix;  // the button index follows
  bool backgroundPicture;    // master panels only
};

// "True"/"False" in any letter case, or a number (non-zero is true).
bool MenuBool(const std::string& text) {
  const std::string lower = plat::io::utf8::ToLower(text);
  if (lower == "true") return true;
  if (lower == "false") return false;
  if (auto n = plat::TryStrToInt(text)) return *n != 0;
  throw plat::ConvertError("'" + text + "' is not a valid boolean value");
}

void SetBodyStyle(TMainForm& f, const TUniPanel& panel, const std::string& property, const std::string& value) {
  f.FormSession()->ControlScript(panel, "\x01.setBodyStyle(" + nlohmann::json(property).dump() + ", " +
                                            nlohmann::json(value).dump() + ");");
}

std::string AttributeOr(const XmlNode& element, const char* name, const char* def) {
  return !element.IsNull() && element.HasAttribute(name) ? element.Attribute(name) : def;
}

// The panel and its buttons from the loaded menu file. Raises for the
// failures that end the build; a failing button only skips the rest of
// that button.
void BuildNaviPanel(TMainForm& f, const NaviPanelKind& kind) {
  XmlNode root = f.xmlFT.DocumentElement();
  XmlNode settings = root.Child("Settings");
  XmlNode classik = root.Child("Classik");

  auto* panel = new TUniPanel(&f);
  try {
    panel->SetName(kind.panelName);
  } catch (...) {
    // The name is taken: the panel already on screen stays as it is, and
    // the new one is never shown.
    f.Release(panel);
    throw;
  }
  XmlNode size = settings.Child("Size");
  panel->SetTop(plat::StrToInt(size.Attribute("top")));
  panel->SetLeft(plat::StrToInt(size.Attribute("left")));
  panel->SetWidth(plat::StrToInt(size.Attribute("width")));
  panel->SetHeight(plat::StrToInt(size.Attribute("height")));
  panel->SetBorderStyle(ubsNone);
  panel->SetParent(f.panBack);

  panel->SetColor(TMainForm::HtmlToColor(settings.Child("BGColor").Text()));
  if (MenuBool(settings.Child("Transparent").Text())) SetBodyStyle(f, *panel, "background", "transparent");
  // Every panel has all its buttons; the count only has to be a number.
  plat::StrToInt(settings.Child("ButtonsNr").Text());

  if (kind.backgroundPicture) {
    const std::string picture = classik.Child("BGPicture").Text();
    std::string pictureFile;
    std::string image = "url(')";
    if (plat::io::JoinBelow(f.apppath, picture, pictureFile) && plat::io::FileExists(pictureFile)) {
      std::string address = picture;
      std::replace(address.begin(), address.end(), '\\', '/');
      image = "url(\"" + medium_html::MediaAddress(address) + "\")";
    }
    SetBodyStyle(f, *panel, "background-image", image);
    SetBodyStyle(f, *panel, "background-repeat", "no-repeat");
    SetBodyStyle(f, *panel, "background-position", "center");
    SetBodyStyle(f, *panel, "background-size", "100%");
  }

  for (int i = 0; i < kNaviButtons; ++i) {
    const std::string index = std::to_string(i);
    try {
      auto* button = new TUniLabel(&f);
      try {
        button->SetName(kind.buttonPrefix + index);
      } catch (...) {
        f.Release(button);
        throw;
      }
      button->SetAutoSize(false);
      button->SetTextConversion(txtHTML);
      button->SetProp("showHint", false);  // the hint holds the pictures, not a tooltip
      button->SetParent(panel);
      button->BringToFront();

      XmlNode place = classik.Child("Button" + index);
      button->SetVisible(place.Child("Visible").Text() == "yes");
      button->SetTop(plat::StrToInt(place.Attribute("top")));
      button->SetLeft(plat::StrToInt(place.Attribute("left")));
      button->SetWidth(plat::StrToInt(place.Attribute("width")));
      button->SetHeight(plat::StrToInt(place.Attribute("height")));

      XmlNode look = settings.Child("Button" + index);
      button->SetCaption(look.Child("Text").Text());
      const std::string selected = look.Child("Picture").Text();
      const std::string normal = look.Child("PictureDisable").Text();
      button->OnMouseDown = f.lblNaviBtn->OnMouseDown.Handler();
      button->OnMouseUp = f.lblNaviBtn->OnMouseUp.Handler();
      button->SetCaption(NaviButtonPictureHtml(normal, button->Width(), button->Height()));
      button->SetHint(selected + "|" + normal);
      button->SetColor(TMainForm::HtmlToColor(place.Attribute("color")));
    } catch (const std::exception&) {
      // The button stays as far as it got.
    }
  }

  plat::ui::StringList actions;
  for (int i = 0; i < kNaviButtons; ++i) {
    const std::string index = std::to_string(i);
    try {
      XmlNode aktions = settings.Child("Button" + index).Child("Aktions");
      const std::string nr = aktions.Attribute("nr");
      auto* button = dynamic_cast<TUniLabel*>(f.FindComponent(kind.buttonPrefix + index));
      if (!button) continue;
      button->SetHelpKeyword("No aktion");
      actions.Clear();
      if (nr == "0") continue;
      const auto count = plat::TryStrToInt(nr);
      if (!count) continue;
      for (int j = 0; j < std::min(*count, kMaxNaviActions); ++j) {
        // Reading does not add missing elements here: a count far beyond
        // the file's elements would only grow the document.
        const XmlNode a = aktions.FindChild("Aktion" + std::to_string(j));
        actions.Add(";" + AttributeOr(a, "name", "name") + ";" + AttributeOr(a, "type", "type") + ";" +
                    AttributeOr(a, "medium", "medium") + ";" + AttributeOr(a, "frame", "1") + ";" +
                    AttributeOr(a, "extnavi", "") + ";" + AttributeOr(a, "pdfpos", ""));
      }
      button->SetHelpKeyword(actions.Text());
    } catch (const std::exception&) {
      // A missing count leaves the button without actions.
    }
  }
}

// Runs one build under the guard that keeps every failure off the screen.
void GuardedNaviBuild(TMainForm& f, const std::string& file, const NaviPanelKind& kind) {
  try {
    f.xmlFT.Clear();
    f.xmlFT.LoadFromFile(file);
    f.xmlFT.SetActive(true);
    BuildNaviPanel(f, kind);
  } catch (const std::exception& e) {
    plat::LogLine("display " + f.lblStandort->Caption() + ": menu " + file + " not built: " + e.what());
  }
}

}  // namespace

int TMainForm::HtmlToColor(std::string_view text) {
  // #RRGGBB becomes $BBGGRR; the first character is not looked at.
  auto chars = [&](std::size_t from) { return plat::io::utf8::Substr(text, from, 2); };
  return plat::StrToInt("$" + chars(5) + chars(3) + chars(1));
}

void TMainForm::btnNaviClick(Component*) {
  const std::string menu = lblNavi->Caption();
  if (menu.empty()) return;
  std::string file;
  if (!FindDisplayFile(*this, "Config\\Menus\\", menu, file)) return;
  const std::string n = std::to_string(memoMasterNavi->Lines().Count());
  DisplayLog(*this, "[navi] =" + file + " " + n);
  GuardedNaviBuild(*this, file, {"panNavi" + n, "Button" + n + "_", true});
}

void TMainForm::btnNaviSlave2Click(Component*) {
  // The number rises for every sub-menu asked for, built or not.
  ++nrSlave;
  const std::string menu = btnNaviSlave2->Hint();
  std::string file;
  if (!FindDisplayFile(*this, "Config\\Menus\\", menu, file)) return;
  const std::string nr = std::to_string(nrSlave);
  memoSlaveNavi->Lines().Add(nr + "|" + menu);
  GuardedNaviBuild(*this, file, {"panNaviSlave" + nr, "ButtonSlave" + nr + "_", false});
}

void TMainForm::btnNaviSlaveClick(Component*) {
  const std::string menu = btnNaviSlave->Hint();
  std::string file;
  if (!FindDisplayFile(*this, "Config\\Menus\\", menu, file)) return;
  // The test sub-menu replaces its predecessor, buttons first.
  Release(FindComponent("panNaviSlave"));
  DisplayLog(*this, "[naviSlave] =" + file);
  GuardedNaviBuild(*this, file, {"panNaviSlave", "ButtonSlave", false});
}
