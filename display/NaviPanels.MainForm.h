// TMainForm: navigation panels (display/NaviPanels.cpp).
// Read inside the class by common/MainForm.h.
int nrSlave = 0;                 // number of the last numbered sub-menu
plat::io::XmlDocument xmlFT;    // the menu file of the latest build
// "#RRGGBB" as a colour value in $00BBGGRR order; raises ConvertError.
static int HtmlToColor(std::string_view text);
void btnNaviClick(Component* Sender);
void btnNaviSlave2Click(Component* Sender);
void btnNaviSlaveClick(Component* Sender);
