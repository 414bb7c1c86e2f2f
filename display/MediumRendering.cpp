// Medium rendering: the HTML put into a frame label for one medium, the
// double buffer of frames 1 to 3 with its cross-fades, and the single
// medium shown in frame 1.
#include <cctype>
#include <cstring>
#include <random>

#include "common/Main.h"
#include "common/MainForm.h"
#include "display/MediumHtml.h"
#include "platform/io/utf8.h"
#include "platform/session/session_manager.h"
#include "server/ServerModule.h"

namespace {

std::string CacheBuster() {
  thread_local std::mt19937 rng{std::random_device{}()};
  return "?" + std::to_string(std::uniform_int_distribution<int>(0, 199)(rng));
}

// The code of a single medium by its name; later tests replace earlier ones.
std::string SingleMediumCode(const std::string& medium) {
  const std::string m = plat::io::utf8::ToLower(medium);
  std::string code;
  const std::string last3 = RightText(m, 3), last4 = RightText(m, 4);
  if (last3 == "png" || last3 == "jpg" || last4 == "jpeg") code = "0";
  if (last3 == "gif") code = "7";
  if (last3 == "pdf") code = "9";
  if (last3 == "mpg" || last3 == "mp4" || last3 == "mov") code = "2";
  if (LeftText(m, 4) == "http") code = "5";
  if (last3 == "htm" || last4 == "html") code = "4";
  return code;
}

}  // namespace

std::string TMainForm::MediumHtml(const std::string& address, const std::string& code, TUniPanel* panel,
                                  MediumVariant variant) {
  using namespace medium_html;
  const int w = panel->Width(), h = panel->Height();
  const bool bustPages = variant == MediumVariant::Frame1 || variant == MediumVariant::Single;
  // The cache-buster and the PDF suffix follow the encoded address as they are.
  const std::string src = MediaAddress(address);
  if (code == "0") return PictureHtml(src, w, h);
  if (code == "7") return GifHtml(src, w, h);
  if (code == "4" || code == "5") return IframeHtml(bustPages ? src + CacheBuster() : src, w, h);
  if (code == "9") {
    const char* key = variant == MediumVariant::Frame2 ? "pdfF2" : variant == MediumVariant::Frame3 ? "pdfF3" : "pdfF1";
    return IframeHtml(src + ReadIniString(apppath + "Config\\Medien.ini", "HTM", key, "") + " ", w, h);
  }
  if (code == "2") return VideoHtml(src + CacheBuster(), w, h);
  return {};
}

void TMainForm::ShowInFrame(int frame, const std::string& html, std::optional<int> effect) {
  struct Buffer {
    bool* flag;
    TUniLabel* a;
    TUniLabel* b;
    TUniLabel** outgoing;
    TUniLabel** incoming;
    TUniTimer* fade;
  };
  const Buffer buffers[] = {{&f1Preload, lblF1A, lblF1B, &sL1, &sL2, timerF1B},
                            {&f2Preload, lblF2A, lblF2B, &sL3, &sL4, timerF2B},
                            {&f3Preload, lblF3A, lblF3B, &sL5, &sL6, timerF3B}};
  const Buffer& f = buffers[frame - 1];
  *f.flag = !*f.flag;
  *f.incoming = *f.flag ? f.a : f.b;
  *f.outgoing = *f.flag ? f.b : f.a;
  (*f.incoming)->SetCaption(html);
  if (!effect) return;
  f.fade->SetTag(*effect);
  f.fade->SetEnabled(true);
}

void TMainForm::FadeLabel(TUniLabel* label, bool fadeOut, int durationMs) {
  FormSession()->ControlScript(*label, std::string("\x01") + (fadeOut ? ".el.fadeOut({duration: " : ".el.fadeIn({duration: ") +
                                           std::to_string(durationMs) + "});");
}

void TMainForm::timerF1BTimer(Component*) {
  timerF1B->SetEnabled(false);
  if (timerF1B->Tag() != 0) {
    FadeLabel(sL1, true, 700);
    FadeLabel(sL2, false, 700);
    timerStopSound->SetEnabled(true);
  } else {
    FadeLabel(sL1, true, 10);
    FadeLabel(sL2, false, 10);
    sL1->SetCaption("");
  }
}

void TMainForm::timerF2BTimer(Component*) {
  timerF2B->SetEnabled(false);
  const bool fade = timerF2B->Tag() != 0;
  FadeLabel(sL3, true, fade ? 1000 : 10);
  FadeLabel(sL4, false, fade ? 1000 : 10);
  if (!fade) sL3->SetCaption("");
}

void TMainForm::timerF3BTimer(Component*) {
  timerF3B->SetEnabled(false);
  const bool fade = timerF3B->Tag() != 0;
  FadeLabel(sL5, true, fade ? 1200 : 10);
  FadeLabel(sL6, false, fade ? 1200 : 10);
}

void TMainForm::timerStopSoundTimer(Component*) {
  timerStopSound->SetEnabled(false);
  if (sL1) sL1->SetCaption("");
}

void TMainForm::btnPlayMediumClick(Component*) {
  const TDisplayCommand cmd = UniServerModule().DisplayCommand();
  const std::string& medium = cmd.sMedium;
  FormSession()->UserString = "Play Medium " + medium;
  timerF1->SetInterval(600000 - nPreloadTime);
  lblPlay->SetCaption(medium);
  ShowInFrame(1, MediumHtml(medium, SingleMediumCode(medium), panF1, MediumVariant::Single),
              cmd.sEffect == "true" ? 1 : 0);
}
