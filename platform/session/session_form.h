#pragma once
// A form of a browser session: a form whose code reaches the session's
// services (URL parameters, scripts, messages, termination). The form's
// components see only the session's change stream.
#include "platform/session/session.h"
#include "platform/ui/form.h"

namespace plat::session {

class SessionForm : public ui::Form {
 public:
  // `session` may be null (a form built only to check its definition).
  explicit SessionForm(Session* session) : ui::Form(session), session_(session) {}
  Session* FormSession() const { return session_; }

 private:
  Session* session_;
};

}  // namespace plat::session
