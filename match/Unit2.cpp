#include "match/Unit2.h"

#include "server/MainModule.h"

TfrmUhr::TfrmUhr(plat::session::Session* session) : plat::ui::Form(session) { BuildComponents(); }

TfrmUhr* frmUhr() { return UniMainModule()->Dialog<TfrmUhr>(); }
