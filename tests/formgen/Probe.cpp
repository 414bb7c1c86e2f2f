// A form class for the form compiler's checks: each case's definition is
// generated into PROBE_HEADER; only the one that fits compiles.
#include PROBE_HEADER

class TProbe : public TProbeComponents {
 public:
  TProbe() : TProbeComponents(nullptr) { BuildComponents<TProbe>(); }
  void btnGoClick(plat::ui::Component* Sender);
};
