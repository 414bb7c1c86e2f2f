// Menu files: whatever a menu file holds, the XML reader gives a document
// that saves as text the reader accepts again unchanged, and a display
// builds a master menu and a sub-menu from it without raising and without
// a message box.
#include "fuzz/display_session.h"
#include "fuzz/fuzz.h"
#include "platform/io/utf8.h"
#include "platform/io/xml_document.h"

namespace {

fuzz::DisplaySession* gSession = nullptr;

// True when the reader took the file in.
bool CheckDocument(const std::string& file) {
  plat::io::XmlDocument doc;
  try {
    doc.LoadFromFile(file);
  } catch (const plat::io::XmlError&) {
    return false;  // refused: nothing to keep
  }
  const std::string saved = doc.SaveToString();
  fuzz::Check(plat::io::utf8::IsValid(saved), "a saved document is not UTF-8");
  plat::io::XmlDocument again;
  try {
    again.LoadFromString(saved);
  } catch (const plat::io::XmlError& e) {
    throw fuzz::Failure(std::string("the reader refuses what it saved: ") + e.what() + "\nsaved: " + saved);
  }
  fuzz::Check(again.SaveToString() == saved, "a saved document changed when read and saved again");
  // What a display reads adds missing elements; the result still saves.
  plat::io::XmlNode root = doc.DocumentElement();
  root.Child("Settings").Child("Button0").Child("Aktions");
  root.Child("Classik").Child("BGPicture").SetText(root.Child("Settings").Child("BGColor").Text());
  plat::io::XmlDocument third;
  third.LoadFromString(doc.SaveToString());
  return true;
}

bool Run(std::string_view input) {
  gSession->Write("Config/Menus/Fuzz.xml", input);
  const bool loaded = CheckDocument(gSession->Form().apppath + "Config\\Menus\\Fuzz.xml");
  gSession->Step([](TMainForm& f) {
    // The panels of the run before go, so that the names are free again.
    for (const char* name : {"panNavi1", "panNaviSlave1"}) f.Release(f.FindComponent(name));
    f.memoMasterNavi->Lines().Clear();
    f.memoMasterNavi->Lines().Add("Fuzz.xml");
    f.lblNavi->SetCaption("Fuzz.xml");
    f.btnNavi->OnClick(f.btnNavi);
    f.nrSlave = 0;
    f.btnNaviSlave2->SetHint("Fuzz.xml");
    f.btnNaviSlave2->OnClick(f.btnNaviSlave2);
  }, 0);
  return loaded && gSession->Form().FindComponent("panNavi1") != nullptr;
}

const bool kRegistered = fuzz::Register({
    "menu_xml",
    {"<", ">", "</", "/>", "=\"", "\"", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<!--", "-->", "<![CDATA[", "]]>", "&amp;", "&#1;", "&#x0;",
     "&#xFFFE;", "&#xD800;", "<Button0>", "</Button0>", "<Aktions nr=\"", "<Aktion0 name=\"a\" type=\"Medium\"/>",
     "<Size top=\"1\" left=\"2\" width=\"3\" height=\"4\"/>", "<Visible>yes</Visible>", "<!DOCTYPE x [<!ENTITY e \"v\">]>",
     "&e;", "#FF00FF", "\xEF\xBB\xBF", "\xFF\xFE", "\xC3\xA4", "\xE4", "\r\n"},
    [] {
      static fuzz::DisplaySession session;
      gSession = &session;
    },
    Run,
});

}  // namespace
