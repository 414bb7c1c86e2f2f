#include "match/Unit2.h"

#include "server/MainModule.h"

TfrmUhr::TfrmUhr(plat::ui::Session* session) : plat::ui::Form(session) { BuildComponents(); }

TfrmUhr* frmUhr() { return UniMainModule()->Dialog<TfrmUhr>(); }
