// The media library panel: the folder tree of "Containers\", the file list
// of the chosen folder with an icon per kind, the preview of the chosen
// file, "Play" to the screens and the folder menu.
#include "editor/MediaLibrary.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/MainForm.h"
#include "display/MediumHtml.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "platform/ui/escape.h"
#include "server/ServerModule.h"

namespace fs = std::filesystem;
namespace utf8 = plat::io::utf8;

namespace {

struct MediaKind {
  const char* extensions[6];
  const char* icon;
};

// The icon texts end in two blanks, the film and layer-group icons in one.
const MediaKind kKinds[] = {
    {{".jpg", ".jpeg", ".bmp", ".png", ".gif"}, "<i class=\"far fa-image fa-fw\" style=\"font-size: 24px;\"></i>  "},
    {{".ppt", ".pptx", ".pdf", ".swf", ".web", ".mp3"}, "<i class=\"fas fa-eye fa-fw\" style=\"font-size: 24px;\"></i>  "},
    {{".htm", ".html"}, "<i class=\"fab fa-html5 fa-fw\" style=\"font-size: 24px;\"></i>  "},
    {{".str"}, "<i class=\"far fa-file-code\" style=\"font-size: 24px;\"></i>  "},
    {{".mpg", ".mp4", ".mov"}, "<i class=\"fas fa-film fa-fw\" style=\"font-size: 24px;\"></i> "},
    {{".sls"}, "<i class=\"fas fa-layer-group\" style=\"font-size: 24px;\"></i> "},
};

bool OneOf(const std::string& ext, std::initializer_list<const char*> list) {
  return std::any_of(list.begin(), list.end(), [&](const char* e) { return ext == e; });
}

std::string LowerExt(std::string_view name) { return utf8::ToLower(plat::io::ExtractFileExt(name)); }

// The folders the match keeps its files in; the library menu never deletes
// them or anything below them.
bool HoldsMatchFiles(const std::string& firstComponent) {
  return utf8::EqualsNoCase(firstComponent, "System") || utf8::EqualsNoCase(firstComponent, "Teams");
}

// The names of a folder's entries of one kind, without following links:
// folders (no link to one) or files (a link to a file counts).
std::vector<std::string> EntriesOf(const std::string& systemFolder, bool folders) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(plat::io::Resolve(systemFolder), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code sec;
    const fs::file_status own = it->symlink_status(sec);
    if (sec) continue;
    const bool isFolder = fs::is_directory(own);
    const bool isFile = fs::is_regular_file(own) || (fs::is_symlink(own) && fs::is_regular_file(it->status(sec)));
    if (folders ? isFolder : isFile) names.push_back(it->path().filename().string());
  }
  return names;
}

// The video element of the preview: the player's controls, the medium as
// its source.
std::string PreviewVideoHtml(const std::string& address, int w, int h) {
  return "<video width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" controls><source src=\"" +
         plat::ui::EscapeHtml(address) + "\" type=\"video/mp4\">Your browser does not support the video tag.</video>";
}

}  // namespace

// ---- shared routines ---------------------------------------------------------------

std::string MediaIconHtml(std::string_view fileName) {
  const std::string ext = LowerExt(fileName);
  if (ext.empty()) return {};
  for (const MediaKind& k : kKinds)
    for (const char* e : k.extensions)
      if (e && ext == e) return k.icon;
  return {};
}

std::string StripTags(std::string_view text) {
  while (!text.empty() && text.front() == '<') {
    const std::size_t close = text.find('>');
    if (close == std::string_view::npos) break;
    text.remove_prefix(close + 1);
  }
  return std::string(text);
}

std::string LibraryItemFileName(std::string_view item) {
  std::string name = StripTags(item);
  name.erase(0, name.find_first_not_of(' '));
  name.erase(name.find_last_not_of(' ') + 1);
  return plat::ui::UnescapeHtml(name);
}

std::string GetNodePath(const plat::ui::TTreeNode* node) {
  if (!node) return {};
  std::string path = node->Text();
  for (const plat::ui::TTreeNode* a = node->Parent(); a; a = a->Parent()) path = a->Text() + "\\" + path;
  return path;
}

bool DeleteFolder(std::string_view systemPath) {
  const fs::path path = plat::io::Resolve(systemPath);
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(path, ec))) return false;
  // remove_all removes links themselves, never what they lead to.
  fs::remove_all(path, ec);
  if (ec) plat::LogLine("cannot delete the folder " + std::string(systemPath) + ": " + ec.message());
  return !ec && !fs::exists(fs::symlink_status(path, ec));
}

// ---- the panel --------------------------------------------------------------------

void TMainForm::ListMediaWithIcons(const std::string& folder, ObservedStrings& items) {
  items.Clear();
  ContUrl1->SetVisible(false);
  lblCPreview->SetVisible(false);
  imgEDTCont->SetVisible(false);
  for (const std::string& name : EntriesOf(folder, false)) {
    const std::string icon = MediaIconHtml(name);
    if (!icon.empty()) items.Add(icon + plat::ui::EscapeHtml(utf8::ReplaceInvalid(name)));
  }
}

void TMainForm::FillFolderTree(TUniTreeView* tree, const std::string& folder, TTreeNode* parent) {
  // Links are not followed, so the walk ends; the depth bound keeps a
  // pathological tree from exhausting the stack all the same.
  std::function<void(const std::string&, TTreeNode*, int)> fill = [&](const std::string& dir, TTreeNode* under,
                                                                        int depth) {
    if (depth > 32) return;
    std::vector<std::string> names = EntriesOf(dir, true);
    // In the order of a Windows folder listing: by name.
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return utf8::Collate(a, b) < 0; });
    for (const std::string& name : names) {
      if (name.front() == '.') continue;
      TTreeNode* node = tree->Items().AddChild(under, utf8::ReplaceInvalid(name));
      node->SetImageIndex(0);
      fill(dir + name + "\\", node, depth + 1);
    }
  };
  tree->Items().BeginUpdate();
  fill(folder.empty() || folder.back() == '\\' ? folder : folder + "\\", parent, 0);
  tree->Items().EndUpdate();
}

void TMainForm::FillLibraryTree() {
  treeCont->Items().BeginUpdate();
  treeCont->Items().Clear();
  FillFolderTree(treeCont, apppath + "Containers\\", nullptr);
  treeCont->Items().EndUpdate();
}

void TMainForm::treeContClick(Component*) {
  TTreeNode* node = treeCont->Selected();
  if (!node) return;
  // At most four levels below the library: a deeper folder lists the one
  // chosen before.
  if (node->Level() <= 3) lblContFile->SetCaption(GetNodePath(node));
  listCont->Items().Clear();
  ListMediaWithIcons(apppath + "Containers\\" + lblContFile->Caption() + "\\", listCont->Items());
}

void TMainForm::treeContMouseDown(Component*, MouseButton Button, ShiftState, int X, int Y) {
  if (Button == MouseButton::Right) popupDir->Popup(X, Y, treeCont);
}

void TMainForm::listContMouseDown(Component*, MouseButton Button, ShiftState, int X, int Y) {
  if (Button == MouseButton::Right) popupCont->Popup(X, Y, listCont);
}

void TMainForm::listContChange(Component* Sender) { listContClick(Sender); }

void TMainForm::listContClick(Component*) {
  // Whatever fails here (no item, a picture that cannot be read) ends the
  // handler quietly; what was done stays done.
  try {
    const int index = listCont->ItemIndex();
    if (index < 0 || index >= listCont->Items().Count()) return;
    const std::string name = LibraryItemFileName(listCont->Items()[index]);
    const std::string folder = lblContFile->Caption();
    const std::string target = "Containers/" + folder + "/" + name;
    lblCPreview->SetHint(target);
    popupCont->SetTag(index);
    if (!chkPLSView->Checked()) return;

    const std::string ext = LowerExt(name);
    const int w = lblCPreview->Width(), h = lblCPreview->Height();
    auto show = [&](Control* area) {
      for (Control* c : std::initializer_list<Control*>{imgEDTCont, lblCPreview, ContUrl1}) c->SetVisible(c == area);
    };
    if (OneOf(ext, {".jpg", ".jpeg", ".bmp", ".png", ".gif"})) {
      imgEDTCont->Picture().LoadFromFile(apppath + "Containers\\" + folder + "\\" + name);
      show(imgEDTCont);
    } else if (OneOf(ext, {".htm", ".html"})) {
      lblCPreview->SetCaption(medium_html::IframeHtml(medium_html::MediaAddress(target), w, h));
      show(lblCPreview);
    } else if (OneOf(ext, {".mpg", ".mp4", ".mp3", ".mov"})) {
      lblCPreview->SetCaption(PreviewVideoHtml(medium_html::MediaAddress(target), w, h));
      show(lblCPreview);
    } else if (OneOf(ext, {".ppt", ".pptx", ".pdf", ".web"})) {
      ContUrl1->SetURL(medium_html::MediaAddress(target));
      show(ContUrl1);
    }
  } catch (const std::exception& e) {
    plat::LogLine(FormSession()->LogName() + ": preview: " + e.what());
  }
}

void TMainForm::btnPlayContMediumClick(Component*) {
  UniServerModule().IssueMedium("TestMedium", lblCPreview->Hint(), "true");
}

// ---- folders ------------------------------------------------------------------------

void TMainForm::CreateDirectoryClick(Component* Sender) {
  FormSession()->Prompt("New Directory name.", "", BoxIcon::Information,
                        [this, Sender](ModalResult r, const std::string& text) { CreateDirectoryDone(Sender, r, text); });
}

void TMainForm::CreateDirectoryDone(Component*, int AResult, const std::string& AText) {
  if (AResult != mrOk || AText.empty()) return;
  Session* session = FormSession();
  const std::string shown = "Containers\\" + lblContFile->Caption() + "\\" + AText;
  if (!plat::io::IsPlainName(AText) || !utf8::IsValid(AText)) {
    session->ShowMessage("\"" + AText + "\" is not a directory name: type one name without \"\\\" or \"/\".");
    return;
  }
  const fs::path parent = plat::io::Resolve(apppath + "Containers\\" + lblContFile->Caption());
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(parent, ec))) {
    session->ShowMessage("Directory " + shown + " not created: choose a library folder first.");
    return;
  }
  const fs::path target = plat::io::Resolve(apppath + "Containers\\" + lblContFile->Caption() + "\\" + AText);
  if (fs::exists(fs::symlink_status(target, ec))) {
    session->ShowMessage("Directory " + shown + " exists already.");
    return;
  }
  if (!fs::create_directory(target, ec) || ec) {
    plat::LogLine(session->LogName() + ": cannot create " + target.string() + ": " + ec.message());
    session->ShowMessage("Directory " + shown + " could not be created.");
    return;
  }
  plat::LogLine(session->LogName() + ": library folder " + shown + " created");
  FillLibraryTree();
  session->ShowMessage("Directory " + shown + " created!");
}

void TMainForm::DeleteDirectory1Click(Component* Sender) {
  FormSession()->Prompt("Delete Directory.", lblContFile->Caption(), BoxIcon::Information,
                        [this, Sender](ModalResult r, const std::string& text) { DeleteDirectoryDone(Sender, r, text); });
}

void TMainForm::DeleteDirectoryDone(Component*, int AResult, const std::string& AText) {
  if (AResult != mrOk || AText.empty()) return;
  Session* session = FormSession();
  const std::string shown = apppath + "Containers\\" + AText + "\\";
  // The text names a folder below the library, one plain name a level; a
  // trailing separator ("Clips\") is allowed, a drive ("C:") is not.
  std::vector<std::string> parts(1);
  for (char ch : AText) {
    if (ch == '\\' || ch == '/') parts.emplace_back();
    else parts.back() += ch;
  }
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
  const bool plain = utf8::IsValid(AText) && !(parts[0].size() == 2 && parts[0][1] == ':') &&
                     std::all_of(parts.begin(), parts.end(), [](const std::string& p) { return plat::io::IsPlainName(p); });
  if (!plain) {
    session->ShowMessage("\"" + AText + "\" is not a folder of the library: type its path below Containers\\.");
    return;
  }
  if (HoldsMatchFiles(parts.front())) {
    session->ShowMessage("Directory Containers\\" + AText + " holds the match's files and is not deleted.");
    return;
  }
  // No part of the way may be a link: deleting through one would delete
  // what it leads to.
  fs::path path = plat::io::Resolve(apppath + "Containers");
  std::error_code ec;
  for (const std::string& part : parts) {
    path = plat::io::Resolve((path / part).string());
    const fs::file_status st = fs::symlink_status(path, ec);
    if (fs::is_symlink(st)) {
      session->ShowMessage("Directory " + shown + " is a link and is not deleted.");
      return;
    }
    if (!fs::is_directory(st)) {
      session->ShowMessage("Directory " + shown + " does not exist.");
      return;
    }
  }
  if (!DeleteFolder(path.string())) {
    session->ShowMessage("Directory " + shown + " could not be deleted.");
    return;
  }
  plat::LogLine(session->LogName() + ": library folder Containers\\" + AText + " deleted");
  FillLibraryTree();
  session->ShowMessage("Directory " + shown + " deleted!");
}
