// A form class for the form compiler's checks: each case's definition is
// generated into PROBE_HEADER and must fail to compile with this class.
#include PROBE_HEADER

class TProbe : public TProbeComponents {
 public:
  explicit TProbe(plat::ui::Session* session) : TProbeComponents(session) { BuildComponents<TProbe>(); }
  void btnGoClick(plat::ui::Component* Sender);
};
