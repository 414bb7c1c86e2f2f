#include "match/Unit1.h"

#include "platform/ui/form_loader.h"
#include "server/MainModule.h"

TfrmHeim::TfrmHeim(plat::session::Session* session) : plat::ui::Form(session) {
  Build(plat::ui::FormDefinition("Unit1.yaml"));
}

TfrmHeim* frmHeim() { return UniMainModule()->Dialog<TfrmHeim>(); }
