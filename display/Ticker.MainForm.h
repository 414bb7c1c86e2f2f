// TMainForm: ticker page (display/Ticker.cpp).
// Read inside the class by common/MainForm.h.
void btnTickerClick(Component* Sender);
// A colour value in $00BBGGRR order as "#RRGGBB".
static std::string IntColorToHtml(int color);
// The name of this display's ticker page in "files\": one per location,
// one of its own for a display without a location.
std::string TickerPageName() const;
// A file the session wrote for itself alone, removed when the form goes.
struct SessionFile {
  std::string path;
  SessionFile() = default;
  SessionFile(const SessionFile&) = delete;
  SessionFile& operator=(const SessionFile&) = delete;
  ~SessionFile();
};
SessionFile sessionTickerPage;
