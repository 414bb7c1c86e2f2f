#include "common/MainForm.h"

TMainForm::TMainForm(Session* session) : SessionForm(session) { BuildComponents(); }

TMainForm* MainForm() {
  Session* s = Session::Current();
  auto* form = s ? dynamic_cast<TMainForm*>(s->MainForm()) : nullptr;
  if (!form) throw UiError("no main form for this request");
  return form;
}
