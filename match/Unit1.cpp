#include "match/Unit1.h"

#include "server/MainModule.h"

TfrmHeim::TfrmHeim(plat::session::Session* session) : plat::ui::Form(session) { BuildComponents(); }

TfrmHeim* frmHeim() { return UniMainModule()->Dialog<TfrmHeim>(); }
