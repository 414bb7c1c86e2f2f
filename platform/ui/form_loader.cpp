#include "platform/ui/form_loader.h"

#include <map>
#include <memory>
#include <mutex>

#include <yaml-cpp/yaml.h>

namespace plat::ui {
namespace {

std::mutex gMutex;
std::map<std::string, ComponentFactory, std::less<>>& Classes() {
  static std::map<std::string, ComponentFactory, std::less<>> classes;
  return classes;
}
std::string& FolderSlot() {
  static std::string folder = "forms";
  return folder;
}
std::map<std::string, std::unique_ptr<FormPrototype>>& Cache() {
  static std::map<std::string, std::unique_ptr<FormPrototype>> cache;
  return cache;
}

Json ToJson(const YAML::Node& n, const std::string& where) {
  switch (n.Type()) {
    case YAML::NodeType::Null:
      return nullptr;
    case YAML::NodeType::Scalar: {
      const std::string& s = n.Scalar();
      if (n.Tag() == "!") return s;  // quoted: text
      if (s == "true") return true;
      if (s == "false") return false;
      if (!s.empty() && (std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '-')) {
        try {
          std::size_t used = 0;
          long long v = std::stoll(s, &used, 0);
          if (used == s.size()) return v;
        } catch (...) {
        }
      }
      return s;
    }
    case YAML::NodeType::Sequence: {
      Json a = Json::array();
      for (const auto& e : n) a.push_back(ToJson(e, where));
      return a;
    }
    case YAML::NodeType::Map: {
      Json o = Json::object();
      for (const auto& kv : n) o[kv.first.as<std::string>()] = ToJson(kv.second, where);
      return o;
    }
    default:
      throw UiError(where + ": unsupported value");
  }
}

void ParseNode(const YAML::Node& n, ComponentPrototype& out, const std::string& file) {
  if (!n.IsMap()) throw UiError(file + ": a component must be a map");
  for (const auto& kv : n) {
    std::string key = kv.first.as<std::string>();
    const YAML::Node& v = kv.second;
    if (key == "class") {
      out.cls = v.as<std::string>();
    } else if (key == "name") {
      out.name = v.as<std::string>();
    } else if (key == "events") {
      if (!v.IsMap()) throw UiError(file + ": events of " + out.name + " must be a map");
      for (const auto& ev : v) out.events.emplace_back(ev.first.as<std::string>(), ev.second.as<std::string>());
    } else if (key == "children") {
      if (!v.IsSequence()) throw UiError(file + ": children of " + out.name + " must be a list");
      for (const auto& c : v) {
        ComponentPrototype child;
        ParseNode(c, child, file);
        out.children.push_back(std::move(child));
      }
    } else {
      out.props[key] = ToJson(v, file + ": " + out.name + "." + key);
    }
  }
  if (out.cls.empty()) throw UiError(file + ": component " + out.name + " has no class");
}

}  // namespace

FormPrototype ParseFormDefinition(std::string_view text, const std::string& file) {
  FormPrototype proto;
  proto.file = file;
  try {
    YAML::Node root = YAML::Load(std::string(text));
    ParseNode(root, proto, file);
  } catch (const YAML::Exception& e) {
    throw UiError(file + ": " + e.what());
  }
  return proto;
}

FormPrototype LoadFormDefinition(const std::string& path) {
  try {
    YAML::Node root = YAML::LoadFile(path);
    FormPrototype proto;
    proto.file = path;
    ParseNode(root, proto, path);
    return proto;
  } catch (const YAML::Exception& e) {
    throw UiError(path + ": " + e.what());
  }
}

void RegisterComponentClass(std::string name, ComponentFactory factory) {
  std::lock_guard<std::mutex> lock(gMutex);
  Classes()[std::move(name)] = std::move(factory);
}

const ComponentFactory* FindComponentClass(std::string_view name) {
  std::lock_guard<std::mutex> lock(gMutex);
  auto it = Classes().find(name);
  return it == Classes().end() ? nullptr : &it->second;
}

std::vector<std::string> ComponentClassNames() {
  std::lock_guard<std::mutex> lock(gMutex);
  std::vector<std::string> names;
  for (const auto& [name, factory] : Classes()) names.push_back(name);
  return names;
}

void SetFormsFolder(std::string folder) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (FolderSlot() == folder) return;
  FolderSlot() = std::move(folder);
  Cache().clear();
}

const std::string& FormsFolder() {
  std::lock_guard<std::mutex> lock(gMutex);
  return FolderSlot();
}

const FormPrototype& FormDefinition(const std::string& fileName) {
  std::lock_guard<std::mutex> lock(gMutex);
  auto& slot = Cache()[fileName];
  if (!slot) slot = std::make_unique<FormPrototype>(LoadFormDefinition(FolderSlot() + "/" + fileName));
  return *slot;
}

}  // namespace plat::ui
