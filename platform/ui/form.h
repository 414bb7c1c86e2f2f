#pragma once
// Forms: the main form of a session and its dialogs. A form owns its
// components, finds them by name and holds the registry of its handler
// methods, to which the form definition binds events by name.
#include <cstdint>
#include <any>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/component.h"

namespace plat::ui {

struct FormPrototype;

// A dialog's position: "design" (or "poDesigned") keeps its left and top,
// else the browser centres it. With key preview the form gets the page's
// keys (OnKeyDown, OnKeyPress).
#define TESS_FORM_PROPERTIES(P)               \
  P(Text, Caption, "caption", )               \
  P(BoolGet, Modal, "modal", false)           \
  P(Server, KeyPreview, "keyPreview", )       \
  P(Key, Position, "position", )              \
  P(Key, TitleVisible, "titleVisible", )      \
  P(Key, Closable, "closable", )

// Whether a method type M (void (F::*)(Args...)) can handle events of the
// slot type E: the same arguments, as the binding by name requires.
template <typename E, typename M>
inline constexpr bool kHandlerFits = false;
template <typename F, typename... Args>
inline constexpr bool kHandlerFits<Event<Args...>, void (F::*)(Args...)> = true;

class Form : public Control {
 public:
  // `stream` may be null (a form built only to check its definition).
  explicit Form(ChangeStream* stream);
  ~Form() override;

  const char* ClassName() const override { return "TUniForm"; }

  // The component of that name owned by this form, or nullptr.
  Component* FindComponent(std::string_view name) const;
  // Like FindComponent, but raises UiError when it is missing or of
  // another class.
  template <typename T>
  T* Get(std::string_view name) const {
    Component* c = FindComponent(name);
    T* t = dynamic_cast<T*>(c);
    if (!t)
      throw UiError(std::string(c ? "component has another class: " : "missing component: ") +
                    std::string(name) + " in " + Name());
    return t;
  }
  // Every owned component in creation order (the form itself excluded).
  std::vector<Component*> Components() const;
  // Frees an owned component (and the controls it parents).
  void Release(Component* c);

  // Handler registry: event bindings of the definition name these.
  template <typename... Args>
  void RegisterHandler(std::string name, std::function<void(Args...)> fn) {
    handlers_[std::move(name)] = std::any(std::move(fn));
  }
  template <typename F, typename... Args>
  void RegisterMethod(std::string name, void (F::*method)(Args...)) {
    F* self = static_cast<F*>(this);
    RegisterHandler<Args...>(std::move(name), std::function<void(Args...)>(
                                                  [self, method](Args... a) { (self->*method)(a...); }));
  }
  const std::any* FindHandler(std::string_view name) const;

  // Builds the components of a definition into this form and binds their
  // events; raises UiError for an unknown class, property or handler.
  void Build(const FormPrototype& proto);

  // Showing. A main form is shown once by the session; dialogs are shown
  // (modal or not) and closed by handlers; Close frees a dialog after the
  // current event.
  void Show();
  void ShowModal();
  void Close();
  bool IsShown() const { return shown_; }
  // Grows with every form shown in the process: of two shown forms the one
  // shown later lies above.
  std::uint64_t ShownOrder() const { return shownOrder_; }
  bool Showing() const override { return shown_ && Visible(); }

  TESS_PROPERTIES(Control, TESS_FORM_PROPERTIES)
  bool KeyPreview() const { return PropBool("keyPreview"); }

  NotifyEvent OnShow;
  NotifyEvent OnClose;
  ResizeEvent OnScreenResize;
  KeyEvent OnKeyDown;
  KeyPressEvent OnKeyPress;

  // The browser knows two kinds of form: the page and dialog windows.
  Json Render() const override;
  // Marks the form and its controls as being in the browser and renders
  // them (the page's form at boot, a dialog when it is shown).
  Json RenderForBrowser();

 private:
  friend class Component;
  void Adopt(Component* c);
  void Forget(Component* c);
  int NextLocalId() { return --localIds_; }
  bool shown_ = false;
  bool closing_ = false;
  std::uint64_t shownOrder_ = 0;
  int localIds_ = 0;
  std::vector<std::unique_ptr<Component>> owned_;
  std::map<std::string, Component*, std::less<>> byName_;
  std::map<std::string, std::any, std::less<>> handlers_;
};

}  // namespace plat::ui
