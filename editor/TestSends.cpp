// The test page: day plans and single media sent straight to the displays.
#include "common/MainForm.h"
#include "server/ServerModule.h"

void TMainForm::SendTestDayplan(const TUniEdit& name) {
  const std::string effect = chkEffect->Checked() ? "true" : "false";
  UniServerModule().IssueCommand("Dayplan", name.Text(), &effect);
}

void TMainForm::SendTestMedium(const TUniEdit& address) {
  UniServerModule().IssueMedium("TestMedium", address.Text(), chkEffect->Checked() ? "true" : "false");
}

void TMainForm::btnStart1Click(Component*) { SendTestDayplan(*edtStart1); }
void TMainForm::btnStart2Click(Component*) { SendTestDayplan(*edtStart2); }
void TMainForm::btnStart3Click(Component*) { SendTestDayplan(*edtStart3); }
void TMainForm::btnStart4Click(Component*) { SendTestDayplan(*edtStart4); }
void TMainForm::btnStart5Click(Component*) { SendTestMedium(*edtStart5); }
void TMainForm::btnStart6Click(Component*) { SendTestMedium(*edtStart6); }
void TMainForm::btnStart7Click(Component*) { SendTestMedium(*edtStart7); }
