#pragma once
// The main form: one per browser session. It holds the display surface, the
// display engine page and the console page; the handlers of each subsystem
// are defined in that subsystem's folder and registered here by name, so
// the form definition can bind them.
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/io/xml_document.h"
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

using namespace plat::ui;  // the form code reads like the designer's units

// The HTML templates of a medium in a frame of W x H pixels. The address
// is taken as it goes into the attribute (escaped there).
namespace medium_html {
// A medium's address as a browser must be given it: a library-relative name
// percent-encoded where needed ("#", "%", blanks, umlauts); an absolute web
// address unchanged.
std::string MediaAddress(std::string_view address);
std::string PictureHtml(const std::string& address, int w, int h);
std::string GifHtml(const std::string& address, int w, int h);
std::string IframeHtml(const std::string& address, int w, int h);
std::string VideoHtml(const std::string& address, int w, int h);
std::string MutedVideoHtml(const std::string& address, int w, int h);
}  // namespace medium_html

class TMainForm : public Form {
 public:
  // Builds the form from its definition "Main.yaml" and binds the fields.
  explicit TMainForm(Session* session);
  const char* ClassName() const override { return "TMainForm"; }

  // --- fields -------------------------------------------------------------
  std::string apppath;  // the program folder with a trailing backslash
  int Play_1 = -1, Play_2 = -1, Play_3 = -1, Play_4 = -1, Play_5 = -1;
  int nPreloadTime = 1200;
  int nInaktivTime = 300000;

  // --- components -----------------------------------------------------------
  TUniPageControl* UniPageControl1;
  TUniTabSheet* tabPlayer;
  TUniTabSheet* tabSettings;
  TUniTabSheet* UniTabSheet1;
  TUniPanel* panBack;
  TUniPanel* panF1;
  TUniPanel* panF2;
  TUniPanel* panF3;
  TUniPanel* panF4;
  TUniPanel* panF5;
  TUniLabel* lblF1A;
  TUniLabel* lblF1B;
  TUniLabel* lblF2A;
  TUniLabel* lblF2B;
  TUniLabel* lblF3A;
  TUniLabel* lblF3B;
  TUniLabel* lblF4A;
  TUniLabel* lblF4B;
  TUniLabel* lblF5A;
  TUniLabel* lblF5B;
  TUniURLFrame* urlTCK;

  // display engine page
  TUniLabel* lblStandort;
  TUniLabel* lblDayplan;
  TUniLabel* lblPlaylist;
  TUniLabel* lblFrame;
  TUniLabel* lblTicker;
  TUniLabel* lblNavi;
  TUniLabel* lblPath;
  TUniLabel* lblPlay;
  TUniEdit* edtPreload;
  TUniButton* btnDayplan;
  TUniButton* btnFrame;
  TUniButton* btnPlaylist;
  TUniButton* btnTicker;
  TUniButton* btnNavi;
  TUniButton* btnPlayMedium;
  TUniPageControl* UniPageControl2;
  TUniMemo* memoDP;
  TUniStringGrid* GridFrame;
  TUniMemo* memoPLS;
  TUniMemo* memoPF1;
  TUniMemo* memoPF2;
  TUniMemo* memoPF3;
  TUniMemo* memoPF4;
  TUniMemo* memoPF5;
  TUniMemo* memoTicker;
  TUniLabel* lblTickerShow;
  TUniTabSheet* Navi;
  TUniButton* btnNaviSlave;
  TUniButton* btnNaviSlave2;
  TUniButton* btnNaviAktion;
  TUniButton* btnDelSlave;
  TUniButton* btnControls;
  TUniLabel* lblNaviBtn;
  TUniLabel* UniLabel3;
  TUniLabel* UniLabel4;
  TUniMemo* memoMasterNavi;
  TUniMemo* memoSlaveNavi;
  TUniMemo* memoNaviAkt;
  TUniMemo* memoControls;
  TUniMemo* memoLog;

  // console page
  TUniPanel* UniPanel1;
  TUniButton* UniButton1;
  TUniPageControl* UniPageControl3;
  TUniTabSheet* tabLogin;
  TUniTabSheet* tabSpielstand;
  TUniTabSheet* tabEnt;
  TUniTabSheet* tabTeamEdit;
  TUniTabSheet* tabMatchday;
  TUniTabSheet* tabTest;
  TUniPanel* panLogin;
  TUniEdit* edtLoginUser;
  TUniEdit* edtLoginPW;
  TUniSpeedButton* btnLoginOK;
  TUniSpeedButton* btnLoadAll;
  TUniPanel* panH1;
  TUniPanel* panG1;
  TUniPanel* panVerlauf;
  TUniButton* btnQSALoad;

  // timers
  TUniTimer* timerGo;
  TUniTimer* timerCMD;
  TUniTimer* timerF1;
  TUniTimer* timerF2;
  TUniTimer* timerF3;
  TUniTimer* timerF1B;
  TUniTimer* timerF2B;
  TUniTimer* timerF3B;
  TUniTimer* timerStopSound;
  TUniTimer* timerDayplan;

  // the double buffer of frames 1 to 3: which label takes the next item,
  // and the outgoing and incoming label of each frame
  bool f1Preload = false, f2Preload = false, f3Preload = false;
  TUniLabel* sL1 = nullptr;
  TUniLabel* sL2 = nullptr;
  TUniLabel* sL3 = nullptr;
  TUniLabel* sL4 = nullptr;
  TUniLabel* sL5 = nullptr;
  TUniLabel* sL6 = nullptr;

  // --- session start, login and exit ----------------------------------------
  void UniFormShow(Component* Sender);
  void UniFormScreenResize(Component* Sender, int AWidth, int AHeight);
  void btnLoginOKClick(Component* Sender);
  void UniButton1Click(Component* Sender);
  void timerGoTimer(Component* Sender);

  // --- display command execution ---------------------------------------------
  void timerCMDTimer(Component* Sender);
  // Stops frame n's rotation and makes its next step start from the first
  // queue line 100 ms after the timer is switched on again.
  void RestartFrame(int frame);
  // The file `name` in `folder` (e.g. "Config\Progs\") below the display
  // base folder; false when it does not exist or the name would leave the
  // folder. A file that exists but cannot be read (no permission, a folder
  // in its place) also gives false, after a line in both logs; `unreadable`
  // tells the two apart.
  bool FindDisplayFile(const std::string& folder, const std::string& name, std::string& file,
                       bool* unreadable = nullptr);
  // A failure of a display step: a line in the display log and one in the
  // server log ("display <location>, " + serverLine). A display has nobody
  // to dismiss an error box.
  void LogDisplayError(const std::string& logLine, const std::string& serverLine);
  // A line of the display log, which keeps its last 2000 lines and counts
  // an unchanged repeat of its last line ("... (x 120)").
  void DisplayLog(const std::string& line);

  // --- medium rendering --------------------------------------------------------
  enum class MediumVariant { Frame1, Frame2, Frame3, Single };
  std::string MediumHtml(const std::string& address, const std::string& code, TUniPanel* panel,
                         MediumVariant variant);
  // Flips frame n's buffer, puts the HTML into the incoming label and starts
  // the fade timer with the effect (none without an effect).
  void ShowInFrame(int frame, const std::string& html, std::optional<int> effect);
  void FadeLabel(TUniLabel* label, bool fadeOut, int durationMs);
  void btnPlayMediumClick(Component* Sender);
  void timerF1BTimer(Component* Sender);
  void timerF2BTimer(Component* Sender);
  void timerF3BTimer(Component* Sender);
  void timerStopSoundTimer(Component* Sender);

  // --- playlist queues and frame rotation ------------------------------------
  void btnPlaylistClick(Component* Sender);
  void timerF1Timer(Component* Sender);
  void timerF2Timer(Component* Sender);
  void timerF3Timer(Component* Sender);
  // Whether an item with this time window and weekday mask plays now.
  bool IsActiveNow(const std::string& begin, const std::string& end, const std::string& mask) const;
  // One rotation step of frame n (1 to 3).
  void RotateFrame(int n);

  // --- frame layout ------------------------------------------------------------
  void btnFrameClick(Component* Sender);

  // --- ticker page ---------------------------------------------------------------
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

  // --- day plan -------------------------------------------------------------------
  void btnDayplanClick(Component* Sender);
  void timerDayplanTimer(Component* Sender);
  // The minute of the previous day-plan tick (counted from the clock's
  // first day; -1 before the first), and whether a plan was ever loaded.
  long long lastDayplanMinute = -1;
  bool dayplanLoaded = false;
  static long long DayplanMinute(const plat::DateTime& t);

  // --- navigation panels ------------------------------------------------------------
  int nrSlave = 0;                 // number of the last numbered sub-menu
  plat::xml::XmlDocument xmlFT;    // the menu file of the latest build
  // "#RRGGBB" as a colour value in $00BBGGRR order; raises ConvertError.
  static int HtmlToColor(std::string_view text);
  void btnNaviClick(Component* Sender);
  void btnNaviSlave2Click(Component* Sender);
  void btnNaviSlaveClick(Component* Sender);

  // --- navigation actions -------------------------------------------------------------
  void lblNaviBtnMouseDown(Component* Sender, MouseButton Button, ShiftState Shift, int X, int Y);
  void lblNaviBtnMouseUp(Component* Sender, MouseButton Button, ShiftState Shift, int X, int Y);
  void lblNaviBtnClick(Component* Sender);
  void btnNaviAktionClick(Component* Sender);
  void btnDelSlaveClick(Component* Sender);
  void btnControlsClick(Component* Sender);

  // --- display engine keys ----------------------------------------------------
  void UniFormKeyDown(Component* Sender, int& Key, ShiftState Shift);
  void UniFormKeyPress(Component* Sender, char32_t& Key);
  void memoLogDblClick(Component* Sender);

 private:
  void RegisterSessionHandlers();
  void RegisterDisplayHandlers();
  void RegisterCommandHandlers();
  void RegisterMediumHandlers();
  void RegisterPlaylistHandlers();
  void RegisterFrameLayoutHandlers();
  void RegisterTickerHandlers();
  void RegisterDayplanHandlers();
  void RegisterNaviPanelHandlers();
  void RegisterNaviActionHandlers();
  void BindComponents();
};

// The session's main form (of the session the current request runs for).
TMainForm* MainForm();
