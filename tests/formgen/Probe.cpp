// A form class for the form compiler's checks: each case's definition is
// generated into PROBE_HEADER; only the one that fits compiles.
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"

class TProbe : public plat::ui::Form {
 public:
  TProbe() : plat::ui::Form(nullptr) { BuildComponents(); }
  void btnGoClick(plat::ui::Component* Sender);

#include PROBE_HEADER
};
