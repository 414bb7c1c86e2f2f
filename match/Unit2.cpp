#include "match/Unit2.h"

#include "server/MainModule.h"

TfrmUhr::TfrmUhr(plat::ui::Session* session) : TfrmUhrComponents(session) { BuildComponents<TfrmUhr>(); }

TfrmUhr* frmUhr() { return UniMainModule()->Dialog<TfrmUhr>(); }
