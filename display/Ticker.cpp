// The ticker page: a generated page scrolling the ticker text, shown in a
// web frame over the display surface. The page is built from the template
// lines of memoTicker and written below "files\" once for each location
// (a display loads only its own location's page, whichever display wrote
// last), and as "files\tickerWP.html" for anything outside that reads it.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/Main.h"
#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "editor/FileFormats.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/log.h"
#include "platform/ui/escape.h"

namespace {

// Template lines replaced by every ticker step.
constexpr int kStyleLine = 2;
constexpr int kWidgetLine = 15;
constexpr int kContentLine = 19;

std::string Hex(const char* format, unsigned value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

// The font name as the inside of a double-quoted CSS string, so that a name
// cannot end the string or the style element.
std::string CssStringText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || c == '<' || c == '>' || u < 0x20 || u == 0x7F) {
      out += Hex("\\%X ", u);
    } else {
      out += c;
    }
  }
  return out;
}

// The current date and time as text, as the frame addresses carry it.
std::string NowText() { return plat::FormatDateTime(plat::Now()); }

// A location as part of a file name: letters and digits stay, every other
// byte becomes "_" and two hex digits, so two locations never share a name
// and no name leaves the folder. A very long one is cut and completed by a
// hash of the whole name.
std::string LocationFileName(std::string_view location) {
  std::string out;
  for (const char ch : location) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) out += ch;
    else out += Hex("_%02X", c);
  }
  constexpr std::size_t kLongest = 120;
  if (out.size() <= kLongest) return out;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char ch : location) hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
  char tail[24];
  std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(hash));
  return out.substr(0, kLongest) + tail;
}

}  // namespace

TMainForm::SessionFile::~SessionFile() {
  if (path.empty()) return;
  std::error_code ec;
  std::filesystem::remove(plat::io::Resolve(path), ec);
}

std::string TMainForm::TickerPageName() const {
  const std::string location = lblStandort->Caption();
  // A display without a location has a page of its own, removed with it.
  if (location.empty()) return "tickerWP-" + (FormSession() ? FormSession()->Id().substr(0, 16) : "") + ".html";
  return "tickerWP_" + LocationFileName(location) + ".html";
}

std::string TMainForm::IntColorToHtml(int color) {
  // At least six hex digits, then the byte pairs turned round: $00BBGGRR
  // gives #RRGGBB. Values above $FFFFFF (system colours) are not resolved;
  // they still give a colour text.
  const std::string digits = Hex("%06X", static_cast<unsigned>(color));
  return "#" + digits.substr(4, 2) + digits.substr(2, 2) + digits.substr(0, 2);
}

void TMainForm::btnTickerClick(Component*) {
  // A name that would leave the ticker folder counts as missing, and so does
  // an empty one ("TickerStop"): the ticker is hidden.
  std::string file;
  if (!FindDisplayFile(*this, "Config\\Ticks\\", lblTicker->Caption(), file)) {
    urlTCK->SetURL("about:blank?" + NowText());
    urlTCK->SetVisible(false);
    return;
  }
  urlTCK->SetVisible(true);

  // A display has nobody to dismiss an error box: a failure ends the step
  // with a line in the display log and the server log instead.
  auto failed = [&](const std::string& why) {
    LogDisplayError(*this, "[error] Ticker " + file + ": " + why, "ticker " + file + ": " + why);
  };
  auto notANumber = [&](const char* key, const std::string& value) {
    failed(std::string(key) + " is not a whole number: \"" + value + "\"");
  };

  const TickerSettings t = ReadTickerSettings(file);
  lblTickerShow->SetHint(t.text);
  ControlFont font = lblTickerShow->Font();
  font.SetName(t.fontName);
  const auto fontColor = plat::TryStrToInt(t.fontColor);
  if (!fontColor) return notANumber("[Font] Color", t.fontColor);
  font.SetColor(*fontColor);
  const auto fontSize = plat::TryStrToInt(t.fontSize);
  if (!fontSize) return notANumber("[Font] Size", t.fontSize);
  font.SetSize(*fontSize);
  const auto backColor = plat::TryStrToInt(t.backColor);
  if (!backColor) return notANumber("[Ticker] BackColor", t.backColor);
  urlTCK->SetColor(*backColor);

  const std::string size = std::to_string(font.Size());
  auto& lines = memoTicker->Lines();
  lines.BeginUpdate();
  lines.Set(kStyleLine, "body { background-color:" + IntColorToHtml(urlTCK->Color()) +
                            "; color:" + IntColorToHtml(font.Color()) + "; font-size:" + size +
                            "px;font-family:\"" + CssStringText(font.Name()) +
                            "\",Arial, Helvetica, sans-serif}");
  lines.Set(kWidgetLine, "            var qtx = Telex.widget('tx', { speed:" +
                             std::to_string(static_cast<long long>(font.Size()) * 3) + "},");
  lines.Set(kContentLine, "             content: \"" + ScriptStringText(lblTickerShow->Hint()) + "\"");
  lines.EndUpdate();

  // The page is replaced whole, so a frame never loads half of it. The BOM
  // makes the browser read it as UTF-8 even when a long font name pushes
  // the charset line out of its look.
  const std::string page = TickerPageName();
  try {
    lines.SaveToFile(apppath + "files\\" + page, plat::io::Encoding::Utf8Bom);
    if (lblStandort->Caption().empty()) sessionTickerPage.path = apppath + "files\\" + page;
    lines.SaveToFile(apppath + "files\\tickerWP.html", plat::io::Encoding::Utf8Bom);
  } catch (const plat::io::IoError& e) {
    return failed(std::string("the page cannot be written: ") + e.what());
  }

  // The position values are applied up to the first one that is not a
  // whole number; the frame keeps its earlier value for that one and the
  // rest, and the page is loaded all the same.
  struct Position {
    const char* key;
    const std::string& value;
    void (Control::*set)(int);
  };
  const Position positions[] = {{"[Ticker] Oben", t.oben, &Control::SetTop},
                                {"[Ticker] Links", t.links, &Control::SetLeft},
                                {"[Ticker] Breite", t.breite, &Control::SetWidth},
                                {"[Ticker] H\xC3\xB6he", t.hoehe, &Control::SetHeight}};
  for (const Position& p : positions) {
    const auto v = plat::TryStrToInt(p.value);
    if (!v) {
      notANumber(p.key, p.value);
      break;
    }
    (urlTCK->*p.set)(*v);
  }

  urlTCK->SetURL("files/" + page + "?" + NowText());
  urlTCK->Reload();
}
