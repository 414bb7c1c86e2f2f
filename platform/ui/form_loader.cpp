#include "platform/ui/form_loader.h"

#include <filesystem>
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

// What one definition read has met so far: the files it is reading, the
// outermost first (an include of one of them is a cycle), and every file
// read.
struct Reading {
  std::vector<std::string> open;
  std::vector<std::string>* files;
};

void ParseNode(const YAML::Node& n, ComponentPrototype& out, const std::string& file,
               Reading& reading);

// The path of an included file: `name` below the folder of `including`.
std::string IncludedPath(const std::string& including, const std::string& name) {
  namespace fs = std::filesystem;
  fs::path rel(name);
  bool plain = !name.empty() && rel.is_relative() && name.find('\\') == std::string::npos;
  for (const auto& part : rel)
    if (part == "..") plain = false;
  if (!plain) throw UiError(including + ": include " + name + " must name a file below its folder");
  return (fs::path(including).parent_path() / rel).lexically_normal().string();
}

// Reads one definition file whose root is a component.
void ParseFile(const std::string& path, ComponentPrototype& out, Reading& reading) {
  for (const auto& f : reading.open)
    if (f == path) throw UiError(reading.open.back() + ": " + path + " includes itself");
  YAML::Node root;
  try {
    root = YAML::LoadFile(path);
  } catch (const YAML::BadFile&) {
    throw UiError((reading.open.empty() ? path : reading.open.back()) + ": cannot read " + path);
  } catch (const YAML::Exception& e) {
    throw UiError(path + ": " + e.what());
  }
  reading.open.push_back(path);
  reading.files->push_back(path);
  ParseNode(root, out, path, reading);
  reading.open.pop_back();
}

void ParseChild(const YAML::Node& n, ComponentPrototype& child, const std::string& file,
                Reading& reading) {
  if (n.IsMap() && n["include"]) {
    if (n.size() != 1) throw UiError(file + ": an include entry holds nothing but include");
    ParseFile(IncludedPath(file, n["include"].as<std::string>()), child, reading);
    return;
  }
  ParseNode(n, child, file, reading);
}

void ParseNode(const YAML::Node& n, ComponentPrototype& out, const std::string& file,
               Reading& reading) {
  if (!n.IsMap()) throw UiError(file + ": a component must be a map");
  out.file = file;
  try {
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
          ParseChild(c, child, file, reading);
          out.children.push_back(std::move(child));
        }
      } else {
        out.props[key] = ToJson(v, file + ": " + out.name + "." + key);
      }
    }
  } catch (const YAML::Exception& e) {
    throw UiError(file + ": " + e.what());
  }
  if (out.cls.empty()) throw UiError(file + ": component " + out.name + " has no class");
}

}  // namespace

FormPrototype ParseFormDefinition(std::string_view text, const std::string& file) {
  FormPrototype proto;
  Reading reading{{file}, &proto.files};
  proto.files.push_back(file);
  YAML::Node root;
  try {
    root = YAML::Load(std::string(text));
  } catch (const YAML::Exception& e) {
    throw UiError(file + ": " + e.what());
  }
  ParseNode(root, proto, file, reading);
  return proto;
}

FormPrototype LoadFormDefinition(const std::string& path) {
  FormPrototype proto;
  Reading reading{{}, &proto.files};
  ParseFile(std::filesystem::path(path).lexically_normal().string(), proto, reading);
  return proto;
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
