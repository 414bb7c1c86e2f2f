#pragma once
// Form definitions: a declarative text (YAML) per form with its component
// tree, properties and event bindings, parsed once per process into
// prototypes from which every session builds its own form.
//
//   class: TMainForm          # the form's class (its C++ class)
//   name: MainForm
//   caption: "j8 | Tessarine 2025"
//   events: {OnShow: UniFormShow}
//   children:
//     - {class: TUniButton, name: UniButton1, caption: Exit, events: {OnClick: UniButton1Click}}
//
// Every key other than class, name, events and children is a property.
// Plain scalars become numbers or booleans where they read as such; quoted
// scalars stay text.
//
// A child entry that holds only `include` stands for the one component that
// file defines, e.g. `- include: Main/Login.yaml`. The file name is relative
// to the folder of the including file and stays below it (no "..", no
// absolute path); a file may not include itself, directly or further down.
//
// The build turns a form definition into C++ read inside the form's class
// (platform/formgen): one typed field per named component, and the
// registration of every handler the definition names, so that a name
// without a fitting method fails to compile. What only a built form shows
// (property names and values, classes the runtime does not know) fails when
// the form is built.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/component.h"

namespace plat::ui {

struct ComponentPrototype {
  std::string file;  // the definition file it is written in
  std::string cls;
  std::string name;
  Json props = Json::object();
  std::vector<std::pair<std::string, std::string>> events;  // event, handler
  std::vector<ComponentPrototype> children;
};

struct FormPrototype : ComponentPrototype {
  // Every file read for this definition: the definition itself first, then
  // the files it includes, in the order they were read.
  std::vector<std::string> files;
};

// Raises UiError naming the file and the problem.
FormPrototype LoadFormDefinition(const std::string& path);
FormPrototype ParseFormDefinition(std::string_view text, const std::string& file = "<text>");

// Component classes by name.
using ComponentFactory = std::function<Component*(Form* owner)>;
void RegisterComponentClass(std::string name, ComponentFactory factory);
const ComponentFactory* FindComponentClass(std::string_view name);
// The names of the registered classes, in name order.
std::vector<std::string> ComponentClassNames();

// The folder of the form definitions (set at start; tests point it at the
// source tree).
void SetFormsFolder(std::string folder);
const std::string& FormsFolder();
// The prototype of a definition file in that folder, parsed once.
const FormPrototype& FormDefinition(const std::string& fileName);

}  // namespace plat::ui
