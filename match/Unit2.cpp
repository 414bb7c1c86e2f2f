#include "match/Unit2.h"

#include "platform/ui/form_loader.h"
#include "server/MainModule.h"

TfrmUhr::TfrmUhr(plat::session::Session* session) : plat::ui::Form(session) {
  Build(plat::ui::FormDefinition("Unit2.yaml"));
}

TfrmUhr* frmUhr() { return UniMainModule()->Dialog<TfrmUhr>(); }
