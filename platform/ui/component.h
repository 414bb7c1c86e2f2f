#pragma once
// The component model of the web UI. A Component has a name, an owner form
// and a tag; a Control adds a parent, the geometry and the common visual
// properties. Browser-visible state lives in a property bag whose keys are
// the names the browser runtime knows, declared once per class in its
// property table; a change marks the property, and the session sends the
// marked properties to the browser in order with scripts, toasts and
// dialogs.
#include <any>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/change_stream.h"
#include "platform/ui/properties.h"

namespace plat::ui {

class Component;
class Control;
class Form;

class UiError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- events ---------------------------------------------------------------
// An event slot holds at most one handler. Handlers are bound by name from
// the form definition (checked at start-up) or assigned in code.
class EventSlotBase {
 public:
  virtual ~EventSlotBase() = default;
  // Binds a handler stored in a form's registry; false when its type does
  // not fit this slot.
  virtual bool BindAny(const std::any& handler) = 0;
  virtual bool Assigned() const = 0;
};

template <typename... Args>
class Event final : public EventSlotBase {
 public:
  using Fn = std::function<void(Args...)>;
  Event& operator=(Fn fn) {
    fn_ = std::move(fn);
    return *this;
  }
  void operator()(Args... args) const {
    if (fn_) fn_(args...);
  }
  bool Assigned() const override { return static_cast<bool>(fn_); }
  const Fn& Handler() const { return fn_; }
  bool BindAny(const std::any& handler) override {
    if (const Fn* f = std::any_cast<Fn>(&handler)) {
      fn_ = *f;
      return true;
    }
    return false;
  }

 private:
  Fn fn_;
};

enum class MouseButton { Left = 0, Middle = 1, Right = 2 };
struct ShiftState {
  bool shift = false, ctrl = false, alt = false;
};

using NotifyEvent = Event<Component*>;
using MouseEvent = Event<Component*, MouseButton, ShiftState, int, int>;
using KeyEvent = Event<Component*, int&, ShiftState>;         // key code, may be changed
using KeyPressEvent = Event<Component*, char32_t&>;           // character
using ResizeEvent = Event<Component*, int, int>;              // width, height

// ---- components -------------------------------------------------------------
class Component {
 public:
  explicit Component(Form* owner);
  virtual ~Component();
  // For forms: no owner, the change stream of their page given (null for a
  // form built only to check its definition).
  Component(std::nullptr_t, ChangeStream* stream);
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  virtual const char* ClassName() const = 0;

  const std::string& Name() const { return name_; }
  // Raises UiError when another component of the owner has the name.
  void SetName(std::string_view name);
  Form* Owner() const { return owner_; }
  // A number the application keeps on the component (a definition sets it
  // as "tag"); the browser never sees it.
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  int Id() const { return id_; }
  std::string JSName() const;  // the client-side name
  // The change stream of the component's page (null for a form built only
  // to check its definition).
  ChangeStream* Stream() const { return stream_; }

  // Browser-visible properties.
  const Json& Prop(std::string_view key) const;
  std::string PropStr(std::string_view key) const;
  int PropInt(std::string_view key, int def = 0) const;
  bool PropBool(std::string_view key, bool def = false) const;
  void SetProp(std::string_view key, Json value);
  // Sets a value that came from the browser: stored, not sent back.
  void StoreFromBrowser(std::string_view key, Json value);
  // The properties of the class (the table of its own, then its base's).
  static const PropertyTable& Properties();
  virtual const PropertyTable& ClassProperties() const { return Properties(); }
  // True when the definition or the code may set this key on this class.
  bool KnowsProp(std::string_view key) const { return ClassProperties().Accepts(key); }
  const Json& Props() const { return props_; }

  // Events by name (OnClick, ...): the slots this class offers.
  EventSlotBase* FindEvent(std::string_view name);

  // The JSON of the component and its children for the browser.
  virtual Json Render() const;
  // The value of a property as the browser gets it (colours become CSS).
  virtual Json RenderProp(std::string_view key) const;

  bool Rendered() const { return rendered_; }

  // Whether the browser may send events to this component now.
  virtual bool AcceptsBrowserEvents() const { return false; }
  // One browser event (already checked by the session); `type` is the
  // event's "t". Returns false when the component takes no such event.
  virtual bool HandleBrowserEvent(const std::string& type, const Json& event);
  // For a component that keeps bulky browser state back while it is not
  // showing (ChangeStream::DeferUntilShown): marks that state for sending once it
  // shows. True when nothing is left waiting.
  virtual bool SendWhenShown() { return true; }

 protected:
  void RegisterEvent(std::string name, EventSlotBase* slot) { events_[std::move(name)] = slot; }
  // Marks a property as changed without changing the bag (derived state
  // such as grid cells).
  void MarkChanged(std::string_view key);
  // Asks the stream to call SendWhenShown before each request's ops go out.
  void DeferUntilShown() const;
  virtual void RenderInto(Json& node) const;
  // A class that keeps a property in its own state rather than in the bag
  // (memo lines, list items, grid cells) takes a value set by code or by the
  // form definition here; true when taken.
  virtual bool TakeProp(std::string_view key, const Json& value);
  friend class Form;
  friend class Control;
  void SetRendered(bool r);

 private:
  Form* owner_;
  ChangeStream* stream_;
  std::string name_;
  int tag_ = 0;
  int id_;
  bool rendered_ = false;
  Json props_ = Json::object();
  std::map<std::string, EventSlotBase*, std::less<>> events_;
};

enum class Align { None, Top, Bottom, Left, Right, Client };

// Colours are VCL colour values (0x00BBGGRR); -1 = none. While the browser
// waits for a control's click, it masks the page with the control's screen
// mask text (empty: no mask), or only the control of the same form named by
// screenMaskTarget. Align has its own accessors (GetAlign,
// SetAlign); the font is a ControlFont on the classes that offer one.
#define TESS_CONTROL_PROPERTIES(P)                 \
  P(Bool, Visible, "visible", true)                \
  P(Bool, Enabled, "enabled", true)                \
  P(Int, Left, "left", 0)                          \
  P(Int, Top, "top", 0)                            \
  P(Int, Width, "width", 0)                        \
  P(Int, Height, "height", 0)                      \
  P(Key, Align, "align", )                         \
  P(Key, Anchors, "anchors", )                     \
  P(Int, Color, "color", -1)                       \
  P(Key, Font, "font", )                           \
  P(Text, Hint, "hint", )                          \
  P(Key, ShowHint, "showHint", )                   \
  P(Key, Style, "style", )                         \
  P(Text, ScreenMask, "screenMask", )              \
  P(Text, ScreenMaskTarget, "screenMaskTarget", )  \
  P(Key, Name, "name", )

class Control : public Component {
 public:
  explicit Control(Form* owner);
  Control(std::nullptr_t, ChangeStream* stream);
  ~Control() override;

  Control* Parent() const { return parent_; }
  // Moves the control under another parent (nullptr detaches it).
  void SetParent(Control* parent);
  const std::vector<Control*>& Children() const { return children_; }
  void BringToFront();

  TESS_PROPERTIES(Component, TESS_CONTROL_PROPERTIES)
  void SetBounds(int left, int top, int width, int height);
  Align GetAlign() const;
  void SetAlign(Align a);
  std::string HelpKeyword() const { return helpKeyword_; }  // server-side only
  void SetHelpKeyword(std::string_view k) { helpKeyword_ = std::string(k); }

  // The control and every parent visible, each tab sheet the active page
  // of its page control, and its form shown.
  virtual bool Showing() const;
  // The control and every parent enabled.
  bool EnabledInTree() const;

  NotifyEvent OnClick;
  NotifyEvent OnDblClick;
  MouseEvent OnMouseDown;
  MouseEvent OnMouseUp;

  bool AcceptsBrowserEvents() const override { return Showing() && EnabledInTree(); }
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  // What a click of the browser does (controls that toggle state first).
  virtual void Click() { OnClick(this); }

 protected:
  void RenderInto(Json& node) const override;
  Json RenderProp(std::string_view key) const override;
  // Whether this control lets its child be seen (a page control shows
  // only its active page).
  virtual bool ShowsChild(const Control* child) const;
  void SetRenderedTree(bool r);
  void RegisterControlEvents();

 private:
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  std::string helpKeyword_;
};

// The modifier keys of a browser event.
ShiftState ShiftFromJson(const Json& event);

// VCL colour value to CSS "#rrggbb"; system colours map to theme colours.
std::string ColorToCss(int color);

}  // namespace plat::ui
