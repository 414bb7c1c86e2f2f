#include "editor/Unit3.h"

#include "server/MainModule.h"

TfrmMedium::TfrmMedium(plat::session::Session* session) : plat::ui::Form(session) { BuildComponents(); }

TfrmMedium* frmMedium() { return UniMainModule()->Dialog<TfrmMedium>(); }
