#include "common/MainForm.h"

#include "platform/ui/form_loader.h"
#include "server/MainModule.h"

TMainForm::TMainForm(Session* session) : SessionForm(session) {
  RegisterSessionHandlers();
  RegisterDisplayHandlers();
  RegisterCommandHandlers();
  RegisterMediumHandlers();
  RegisterPlaylistHandlers();
  RegisterFrameLayoutHandlers();
  RegisterTickerHandlers();
  RegisterDayplanHandlers();
  RegisterNaviPanelHandlers();
  RegisterNaviActionHandlers();
  Build(FormDefinition("Main.yaml"));
  BindComponents();
}

#define BIND(field) field = Get<std::remove_pointer_t<decltype(field)>>(#field)

void TMainForm::BindComponents() {
  BIND(UniPageControl1);
  BIND(tabPlayer);
  BIND(tabSettings);
  BIND(UniTabSheet1);
  BIND(panBack);
  BIND(panF1);
  BIND(panF2);
  BIND(panF3);
  BIND(panF4);
  BIND(panF5);
  BIND(lblF1A);
  BIND(lblF1B);
  BIND(lblF2A);
  BIND(lblF2B);
  BIND(lblF3A);
  BIND(lblF3B);
  BIND(lblF4A);
  BIND(lblF4B);
  BIND(lblF5A);
  BIND(lblF5B);
  BIND(urlTCK);
  BIND(lblStandort);
  BIND(lblDayplan);
  BIND(lblPlaylist);
  BIND(lblFrame);
  BIND(lblTicker);
  BIND(lblNavi);
  BIND(lblPath);
  BIND(lblPlay);
  BIND(edtPreload);
  BIND(btnDayplan);
  BIND(btnFrame);
  BIND(btnPlaylist);
  BIND(btnTicker);
  BIND(btnNavi);
  BIND(btnPlayMedium);
  BIND(UniPageControl2);
  BIND(memoDP);
  BIND(GridFrame);
  BIND(memoPLS);
  BIND(memoPF1);
  BIND(memoPF2);
  BIND(memoPF3);
  BIND(memoPF4);
  BIND(memoPF5);
  BIND(memoTicker);
  BIND(lblTickerShow);
  BIND(Navi);
  BIND(btnNaviSlave);
  BIND(btnNaviSlave2);
  BIND(btnNaviAktion);
  BIND(btnDelSlave);
  BIND(btnControls);
  BIND(lblNaviBtn);
  BIND(UniLabel3);
  BIND(UniLabel4);
  BIND(memoMasterNavi);
  BIND(memoSlaveNavi);
  BIND(memoNaviAkt);
  BIND(memoControls);
  BIND(memoLog);
  BIND(UniPanel1);
  BIND(UniButton1);
  BIND(UniPageControl3);
  BIND(tabLogin);
  BIND(tabSpielstand);
  BIND(tabEnt);
  BIND(tabTeamEdit);
  BIND(tabMatchday);
  BIND(tabTest);
  BIND(panLogin);
  BIND(edtLoginUser);
  BIND(edtLoginPW);
  BIND(btnLoginOK);
  BIND(btnLoadAll);
  BIND(panH1);
  BIND(panG1);
  BIND(panVerlauf);
  BIND(btnQSALoad);
  BIND(timerGo);
  BIND(timerCMD);
  BIND(timerF1);
  BIND(timerF2);
  BIND(timerF3);
  BIND(timerF1B);
  BIND(timerF2B);
  BIND(timerF3B);
  BIND(timerStopSound);
  BIND(timerDayplan);
}

#undef BIND

TMainForm* MainForm() {
  Session* s = Session::Current();
  auto* form = s ? dynamic_cast<TMainForm*>(s->MainForm()) : nullptr;
  if (!form) throw UiError("no main form for this request");
  return form;
}
