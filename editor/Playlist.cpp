#include "editor/Playlist.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <functional>
#include <system_error>

#include "common/Main.h"
#include "editor/FileFormats.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"
#include "platform/ui/controls_trees.h"

namespace fs = std::filesystem;
namespace utf8 = plat::io::utf8;

namespace {

const char* const kIconEnd = "font-size: 22px;\"></i>";
const char* const kStickyNote = "<i class=\"fas fa-sticky-note fa-fw\" style=\"font-size: 22px;\"></i>";
const char* const kPictureFw = "<i class=\"far fa-image fa-fw\" style=\"font-size: 22px;\"></i>";
const char* const kPicture = "<i class=\"far fa-image\" style=\"font-size: 22px;\"></i>";
const char* const kFilm = "<i class=\"fas fa-film fa-fw\" style=\"font-size: 22px;\"></i>";
const char* const kEye = "<i class=\"fas fa-eye fa-fw\" style=\"font-size: 22px;\"></i>";
const char* const kHtml5 = "<i class=\"fab fa-html5 fa-fw\" style=\"font-size: 22px;\"></i>";
const char* const kLayers = "<i class=\"fas fa-layer-group\" style=\"font-size: 22px;\"></i>";
const char* const kCode = "<i class=\"far fa-file-code\" style=\"font-size: 22px;\"></i>";
const char* const kClock = "<i class=\"fas fa-clock fa-fw\" style=\"font-size: 22px;\"></i>";

struct ExtensionKind {
  const char* ext;
  const char* type;
  const char* icon;
};

const ExtensionKind kAdded[] = {
    {"jpg", "0", kPictureFw},  {"jpeg", "0", kPictureFw}, {"bmp", "0", kPictureFw}, {"png", "0", kPictureFw},
    {"gif", "7", kPictureFw},  {"mpg", "2", kFilm},       {"mp4", "2", kFilm},      {"mp3", "2", kFilm},
    {"mov", "2", kFilm},       {"ppt", "4", kEye},        {"pptx", "4", kEye},      {"pdf", "9", kEye},
    {"sls", "12", kLayers},    {"web", "4", kHtml5},      {"html", "4", kHtml5},    {"htm", "4", kHtml5},
    {"str", "16", kCode},
};

bool OneOf(std::string_view s, std::initializer_list<const char*> list) {
  return std::any_of(list.begin(), list.end(), [&](const char* e) { return s == e; });
}

}  // namespace

const char* const kWebAddressIcon = kHtml5;

std::string PlaylistCellText(std::string_view typed) {
  std::string out;
  out.reserve(typed.size());
  for (char c : typed)
    if (c != ',' && c != '\r' && c != '\n') out += c;
  const std::size_t b = out.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  out.erase(out.find_last_not_of(" \t") + 1);
  return out.substr(b);
}

bool IsWholeNumber(std::string_view text) {
  std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  if (i == text.size() || text.size() - i > 9) return false;
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

bool FitsPlaylistLine(std::string_view fileName) {
  return std::none_of(fileName.begin(), fileName.end(),
                      [](char c) { return c == ',' || static_cast<unsigned char>(c) < ' '; });
}

AddedKind KindOfLibraryFile(std::string_view fileName) {
  const std::string ext = utf8::ToLower(TextAfter(fileName, "."));
  for (const ExtensionKind& k : kAdded)
    if (ext == k.ext) return {k.type, k.icon};
  return {};
}

std::string LoadedRowIcon(std::string_view type, bool missing) {
  const char* first = nullptr;
  if (OneOf(type, {"0", "7"})) first = "<i class=\"far fa-image\" style=\"";
  else if (type == kWebAddressCode) first = "<i class=\"fab fa-html5 fa-fw\" style=\"";
  else if (OneOf(type, {"2", "8"})) first = "<i class=\"fas fa-film fa-fw\" style=\"";
  else if (OneOf(type, {"9", "1", "4"})) first = "<i class=\"fas fa-eye fa-fw\" style=\"";
  else if (type == "16") first = "<i class=\"far fa-file-code\" style=\"";
  if (!first) return kStickyNote;
  return std::string(first) + (missing && type != kWebAddressCode ? "color: #ed1d1d;" : "") + kIconEnd;
}

std::string RebuiltRowIcon(std::string_view type, std::string_view weekdays) {
  if (!weekdays.empty()) return kClock;
  if (OneOf(type, {"0", "7"})) return kPicture;
  if (type == kWebAddressCode) return kHtml5;
  if (OneOf(type, {"2", "8"})) return kFilm;
  if (OneOf(type, {"9", "1", "4"})) return kEye;
  return kStickyNote;
}

std::string GridRowLine(const plat::ui::GridModel& grid, int row, const std::string* time) {
  std::vector<std::string> fields;
  for (int c = 1; c <= kPlaylistFields; ++c) fields.push_back(c == plTime && time ? *time : grid.Cell(c, row));
  return FormatPlaylistLine(fields);
}

void SwapGridRows(plat::ui::GridModel& grid, int a, int b) {
  for (int c = 0; c < grid.ColCount(); ++c) {
    const std::string keep = grid.Cell(c, a);
    grid.SetCell(c, a, grid.Cell(c, b));
    grid.SetCell(c, b, keep);
  }
}

void RenumberGridRows(plat::ui::GridModel& grid) {
  for (int r = 0; r < grid.RowCount(); ++r) grid.SetCell(plNr, r, std::to_string(r + 1));
}

void ListFilesRecursive(const std::string& folder, plat::ui::StringList& list, std::string_view extension,
                        const std::string& root) {
  std::function<void(const std::string&, int)> walk = [&](const std::string& dir, int depth) {
    std::error_code ec;
    fs::directory_iterator it(plat::io::Resolve(dir), ec), end;
    if (ec) throw plat::io::IoError("cannot list the folder " + dir + ": " + ec.message());
    struct Entry {
      std::string name;
      bool folder;
    };
    std::vector<Entry> entries;
    for (; !ec && it != end; it.increment(ec)) {
      std::error_code sec;
      const fs::file_status own = it->symlink_status(sec);
      const std::string name = it->path().filename().string();
      // Links are left out, so the walk stays below the folder and ends.
      if (sec || fs::is_symlink(own) || !utf8::IsValid(name)) continue;
      if (fs::is_directory(own)) entries.push_back({name, true});
      else if (fs::is_regular_file(own)) entries.push_back({name, false});
    }
    if (ec) throw plat::io::IoError("cannot list the folder " + dir + ": " + ec.message());
    // In the order a Windows folder listing gives: by name.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return utf8::Collate(a.name, b.name) < 0; });
    for (const Entry& e : entries) {
      if (e.folder) {
        if (depth < 32) walk(dir + e.name + "\\", depth + 1);
      } else if (utf8::ToLower(plat::io::ExtractFileExt(e.name)) == extension) {
        const std::string full = dir + e.name;
        list.Add(full.substr(std::min(root.size(), full.size())));
      }
    }
  };
  walk(folder, 0);
}

void FillTreeFromList(const std::string& folder, plat::ui::TUniTreeView& tree, int folderImage,
                      std::string_view extension, const plat::ui::StringList& paths) {
  using plat::ui::TTreeNode;
  tree.Items().BeginUpdate();
  tree.Items().Clear();
  tree.SetHint(folder);
  auto endsWithExt = [&](const std::string& part) {
    return utf8::ToLower(RightText(part, static_cast<int>(extension.size()))) == extension;
  };
  auto anywhere = [&](const std::string& text) -> TTreeNode* {
    for (int i = 0; i < tree.Items().Count(); ++i)
      if (utf8::EqualsNoCase(tree.Items()[i]->Text(), text)) return tree.Items()[i];
    return nullptr;
  };
  for (const std::string& path : paths.Items()) {
    const plat::ui::StringList parts = SplitLine(path, '\\', true, false);
    if (parts.Count() == 0) continue;
    TTreeNode* node = anywhere(parts[0]);
    if (!node) {
      node = tree.Items().AddChild(nullptr, parts[0]);
      node->SetImageIndex(endsWithExt(parts[0]) ? 0 : folderImage);
    }
    for (int i = 1; i < parts.Count(); ++i) {
      const std::string& part = parts[i];
      if (i + 1 < parts.Count()) {
        // A folder further down stands under its own folder.
        TTreeNode* sub = nullptr;
        for (TTreeNode* child : node->Children())
          if (utf8::EqualsNoCase(child->Text(), part)) sub = child;
        if (!sub) {
          sub = tree.Items().AddChild(node, part);
          sub->SetImageIndex(folderImage);
        }
        node = sub;
      } else if (endsWithExt(part) && !anywhere(part)) {
        tree.Items().AddChild(node, part)->SetImageIndex(0);
      }
    }
  }
  tree.Items().EndUpdate();
}

bool SaveAsTarget(const std::string& progs, std::string_view typed, std::string& relative, std::string& why) {
  const std::string text = PlaylistCellText(typed);
  const std::string refused = "\"" + text +
                              "\" is not a playlist name: type a name, or existing folders below Config\\Progs\\ "
                              "and a name, separated by \"\\\".";
  std::vector<std::string> parts(1);
  for (char ch : text) {
    if (ch == '\\' || ch == '/') parts.emplace_back();
    else parts.back() += ch;
  }
  const bool plain = utf8::IsValid(text) && std::all_of(parts.begin(), parts.end(), [](const std::string& p) {
                       return plat::io::IsPlainName(p) && p.find(':') == std::string::npos;
                     });
  if (!plain) {
    why = refused;
    return false;
  }
  std::string& name = parts.back();
  if (utf8::ToLower(RightText(name, 4)) != ".pyl") name += ".pyl";
  std::string rel;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    rel += parts[i];
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(plat::io::Resolve(progs + rel), ec);
    if (!fs::is_directory(st)) {
      why = "Playlist not saved: the folder Config\\Progs\\" + rel + "\\ does not exist.";
      return false;
    }
    rel += "\\";
  }
  rel += name;
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(plat::io::Resolve(progs + rel), ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    why = "Playlist not saved: Config\\Progs\\" + rel + " is no playlist file.";
    return false;
  }
  relative = rel;
  return true;
}
