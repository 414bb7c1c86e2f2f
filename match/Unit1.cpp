#include "match/Unit1.h"

#include "server/MainModule.h"

TfrmHeim::TfrmHeim(plat::ui::Session* session) : TfrmHeimComponents(session) { BuildComponents<TfrmHeim>(); }

TfrmHeim* frmHeim() { return UniMainModule()->Dialog<TfrmHeim>(); }
