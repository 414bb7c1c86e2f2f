#include "editor/Unit3.h"

#include "platform/ui/form_loader.h"
#include "server/MainModule.h"

TfrmMedium::TfrmMedium(plat::session::Session* session) : plat::ui::Form(session) {
  Build(plat::ui::FormDefinition("Unit3.yaml"));
}

TfrmMedium* frmMedium() { return UniMainModule()->Dialog<TfrmMedium>(); }
