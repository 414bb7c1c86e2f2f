#include "editor/Unit3.h"

#include "server/MainModule.h"

TfrmMedium::TfrmMedium(plat::ui::Session* session) : TfrmMediumComponents(session) { BuildComponents<TfrmMedium>(); }

TfrmMedium* frmMedium() { return UniMainModule()->Dialog<TfrmMedium>(); }
