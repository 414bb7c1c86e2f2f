#include "platform/ui/controls.h"

#include "platform/ui/form_loader.h"

namespace plat::ui {

// ---- registration ---------------------------------------------------------------------------------

namespace {
template <typename T>
void Register(const char* name) {
  RegisterComponentClass(name, [](Form* owner) -> Component* { return new T(owner); });
}
}  // namespace

void RegisterStandardControls() {
  Register<TUniLabel>("TUniLabel");
  Register<TUniPanel>("TUniPanel");
  Register<TUniSplitter>("TUniSplitter");
  Register<TUniPageControl>("TUniPageControl");
  Register<TUniTabSheet>("TUniTabSheet");
  Register<TUniButton>("TUniButton");
  Register<TUniSpeedButton>("TUniSpeedButton");
  Register<TUniBitBtn>("TUniBitBtn");
  Register<TUniEdit>("TUniEdit");
  Register<TUniSpinEdit>("TUniSpinEdit");
  Register<TUniMemo>("TUniMemo");
  Register<TUniCheckBox>("TUniCheckBox");
  Register<TUniRadioButton>("TUniRadioButton");
  Register<TUniComboBox>("TUniComboBox");
  Register<TUniListBox>("TUniListBox");
  Register<TUniTreeView>("TUniTreeView");
  Register<TUniPopupMenu>("TUniPopupMenu");
  Register<TUniMenuItem>("TUniMenuItem");
  Register<TUniImage>("TUniImage");
  Register<TUniURLFrame>("TUniURLFrame");
  Register<TUniHTMLFrame>("TUniHTMLFrame");
  Register<TUniFileUpload>("TUniFileUpload");
  Register<TUniFileUploadButton>("TUniFileUploadButton");
  Register<TUniStringGrid>("TUniStringGrid");
  Register<TUniTimer>("TUniTimer");
  Register<TUniImageList>("TUniImageList");
  Register<TUniNativeImageList>("TUniNativeImageList");
}

}  // namespace plat::ui
