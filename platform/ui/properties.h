#pragma once
// Property tables. Each component class declares its browser-visible
// properties once, as a list macro; TESS_PROPERTIES turns the list into the
// class's accessors and its table. The table says which keys code and form
// definitions may set on the class, and which keys the browser gets.
//
//   #define TESS_LABEL_PROPERTIES(P) P(Text, Caption, "caption", ) P(Bool, AutoSize, "autoSize", true)
//   class TUniLabel : public Control {
//    public:
//     TESS_PROPERTIES(Control, TESS_LABEL_PROPERTIES)
//
// gives TUniLabel Caption(), SetCaption(text), AutoSize() (true while the
// key is not set) and SetAutoSize(bool). An entry is
// P(kind, accessor name, key, value when not set), one a line in the
// headers; the kinds:
//   Text, Bool, Int           the getter and the setter
//   TextGet, BoolGet, IntGet  the getter only; the class writes the setter
//   Key                       no accessors (the class writes its own, or
//                             there are none)
//   Server                    set by code and definitions and kept on the
//                             server; the browser draws nothing for it
//   Sent                      sent to the browser from the class's own
//                             state; code and definitions cannot set it
// A class without a list of its own has its base's table.
#include <initializer_list>
#include <string_view>
#include <vector>

namespace plat::ui {

enum class PropertyUse {
  Drawn,   // set by code or definition, drawn by the browser
  Server,  // set by code or definition, used by the server only
  Sent     // made by the class, drawn by the browser
};

struct Property {
  std::string_view key;
  PropertyUse use;
};

class PropertyTable {
 public:
  PropertyTable(const PropertyTable* base, std::initializer_list<Property> own) : base_(base), own_(own) {}
  PropertyTable(const PropertyTable&) = delete;
  PropertyTable& operator=(const PropertyTable&) = delete;

  // Whether code and definitions may set the key (here or in a base).
  bool Accepts(std::string_view key) const;
  // The properties this class adds to its base's.
  const std::vector<Property>& Own() const { return own_; }
  const PropertyTable* Base() const { return base_; }

 private:
  const PropertyTable* base_;
  std::vector<Property> own_;
};

}  // namespace plat::ui

#define TESS_PROPERTIES(Base, LIST)                                                                  \
  LIST(TESS_PROPERTY_ACCESSORS)                                                                      \
  static const ::plat::ui::PropertyTable& Properties() {                                             \
    static const ::plat::ui::PropertyTable table(&Base::Properties(), {LIST(TESS_PROPERTY_ENTRY)}); \
    return table;                                                                                    \
  }                                                                                                  \
  const ::plat::ui::PropertyTable& ClassProperties() const override { return Properties(); }

#define TESS_PROPERTY_ENTRY(kind, Name, key, def) {key, TESS_PROPERTY_USE_##kind},
#define TESS_PROPERTY_USE_Text ::plat::ui::PropertyUse::Drawn
#define TESS_PROPERTY_USE_TextGet ::plat::ui::PropertyUse::Drawn
#define TESS_PROPERTY_USE_Bool ::plat::ui::PropertyUse::Drawn
#define TESS_PROPERTY_USE_BoolGet ::plat::ui::PropertyUse::Drawn
#define TESS_PROPERTY_USE_Int ::plat::ui::PropertyUse::Drawn
#define TESS_PROPERTY_USE_IntGet ::plat::ui::PropertyUse::Drawn
#define TESS_PROPERTY_USE_Key ::plat::ui::PropertyUse::Drawn
#define TESS_PROPERTY_USE_Server ::plat::ui::PropertyUse::Server
#define TESS_PROPERTY_USE_Sent ::plat::ui::PropertyUse::Sent

#define TESS_PROPERTY_ACCESSORS(kind, Name, key, def) TESS_PROPERTY_##kind(Name, key, def)
#define TESS_PROPERTY_TextGet(Name, key, def) \
  std::string Name() const { return PropStr(key); }
#define TESS_PROPERTY_Text(Name, key, def) \
  TESS_PROPERTY_TextGet(Name, key, def) void Set##Name(std::string_view v) { SetProp(key, std::string(v)); }
#define TESS_PROPERTY_BoolGet(Name, key, def) \
  bool Name() const { return PropBool(key, def); }
#define TESS_PROPERTY_Bool(Name, key, def) \
  TESS_PROPERTY_BoolGet(Name, key, def) void Set##Name(bool v) { SetProp(key, v); }
#define TESS_PROPERTY_IntGet(Name, key, def) \
  int Name() const { return PropInt(key, def); }
#define TESS_PROPERTY_Int(Name, key, def) \
  TESS_PROPERTY_IntGet(Name, key, def) void Set##Name(int v) { SetProp(key, v); }
#define TESS_PROPERTY_Key(Name, key, def)
#define TESS_PROPERTY_Server(Name, key, def)
#define TESS_PROPERTY_Sent(Name, key, def)
