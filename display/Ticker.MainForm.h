// TMainForm: ticker page (display/Ticker.cpp).
// Read inside the class by common/MainForm.h.
void btnTickerClick(Component* Sender);
// A colour value in $00BBGGRR order as "#RRGGBB".
static std::string IntColorToHtml(int color);
