#pragma once
// The change stream the components of one browser page write to. The host
// of the page (the session) owns it: it numbers and registers the
// components, collects their marked properties and ops in order for the
// browser, knows the page's form and takes back the dialogs that close.
// Components know only this interface, never the session itself.
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace plat::ui {

using Json = nlohmann::json;

class Component;
class Form;

class ChangeStream {
 public:
  virtual ~ChangeStream() = default;

  // The page's id (the session id) and how it appears in log lines.
  virtual const std::string& Id() const = 0;
  virtual std::string LogName() const = 0;

  // Component registry: ids are unique in the stream.
  virtual int NextId() = 0;
  virtual void Register(Component* c) = 0;
  virtual void Unregister(Component* c) = 0;
  virtual Component* FindById(int id) const = 0;

  // An op for the browser; the properties marked before it go out first.
  virtual void Emit(Json op) = 0;
  // The browser gets the property's value once, before the next op or at
  // the end of the request.
  virtual void MarkDirty(Component* c, std::string_view key) = 0;
  // Keeps a component's bulky browser state back until it shows: before the
  // ops of every request go out the component is asked again
  // (Component::SendWhenShown).
  virtual void DeferUntilShown(int componentId) = 0;

  // The form that is the page (nullptr before there is one).
  virtual Form* MainForm() const = 0;
  // A dialog closed: the host frees it after the current event.
  virtual void CloseDialog(Form* dialog) = 0;

  // Whether one more refused event may have its own log line; a host that
  // says no counts it and reports the count in one line of its own.
  virtual bool TakeRefusalLine() { return true; }
};

// Logs a browser event that is refused: one bounded line with the page, the
// event (cut) and why, when the stream allows it (stream may be null).
void LogRefusedEvent(ChangeStream* stream, const Json& event, std::string_view why);

}  // namespace plat::ui
