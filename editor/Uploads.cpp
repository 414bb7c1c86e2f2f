// Uploads into the chosen library folder: the upload window and the drop
// zone. Each file goes into the folder under a temporary name and is then
// renamed into place, so that a display delivering the old file never
// reads half of a new one.
#include "editor/Uploads.h"

#include <filesystem>
#include <system_error>

#include "common/MainForm.h"
#include "platform/io/path.h"
#include "platform/log.h"
#include "platform/session/random_hex.h"
#include "platform/ui/escape.h"

namespace fs = std::filesystem;

std::string UploadFileName(std::string_view reported) {
  const std::size_t cut = reported.find_last_of("/\\");
  std::string name(cut == std::string_view::npos ? reported : reported.substr(cut + 1));
  static const std::pair<std::string_view, std::string_view> kFolds[] = {
      {"\xC3\xBC", "ue"}, {"\xC3\x9C", "UE"}, {"\xC3\xB6", "oe"}, {"\xC3\x96", "OE"},
      {"\xC3\xA4", "ae"}, {"\xC3\x84", "AE"}, {"\xC3\x9F", "ss"}, {"?", "_"}};
  for (const auto& [from, to] : kFolds)
    for (std::size_t at = 0; (at = name.find(from, at)) != std::string::npos; at += to.size())
      name.replace(at, from.size(), to);
  return plat::io::IsPlainName(name) ? name : std::string();
}

void TMainForm::btnUploadSingleClick(Component*) { Upload1->Execute(); }

void TMainForm::UniFileUploadButton1MultiCompleted(Component*, const std::vector<UploadedFile>& Files) {
  StoreUploads(Files, false);
}

void TMainForm::Upload1MultiCompleted(Component*, const std::vector<UploadedFile>& Files) { StoreUploads(Files, true); }

void TMainForm::StoreUploads(const std::vector<UploadedFile>& files, bool toastEach) {
  Session* session = FormSession();
  auto toast = [&](const std::string& text) {
    session->AddJS("Ext.toast({html: " + plat::ui::ScriptJson(plat::ui::EscapeHtml(text)) +
                   ", header: false, autoCloseDelay: 5000});");
  };
  const std::string folder = lblContFile->Caption();
  const fs::path target = plat::io::Resolve(apppath + "Containers\\" + folder);
  for (const UploadedFile& file : files) {
    std::error_code ec;
    const fs::path cache = plat::io::Resolve(file.cache);
    if (file.cache.empty() || !fs::is_regular_file(cache, ec)) continue;  // no content came
    const std::string name = UploadFileName(file.name);
    const std::string shown = name.empty() ? file.name : name;
    auto failed = [&](const std::string& why) {
      plat::LogLine(session->LogName() + ": upload of \"" + plat::LogExcerpt(file.name, 200) + "\" into Containers\\" +
                    folder + " failed: " + why);
      toast(" File: " + shown + " not uploaded: " + why + " ");
    };
    if (name.empty()) {
      failed("no file name");
      continue;
    }
    if (!fs::is_directory(fs::symlink_status(target, ec))) {
      failed("the folder Containers\\" + folder + " does not exist");
      continue;
    }
    const fs::path destination = target / name;
    const std::uintmax_t size = fs::file_size(cache, ec);
    if (!ec && size == 0 && fs::exists(fs::symlink_status(destination, ec))) {
      failed("the file is empty; the file of that name stays");
      continue;
    }
    // Into the folder under a name the library does not list, then into
    // place in one step. Moving the cache file costs nothing on the same
    // file system; across file systems it is copied.
    const fs::path part = target / (".upload-" + plat::session::RandomHex(8) + ".part");
    fs::rename(cache, part, ec);
    if (ec) {
      ec.clear();
      fs::copy_file(cache, part, fs::copy_options::overwrite_existing, ec);
    }
    if (!ec) fs::rename(part, destination, ec);
    if (ec) {
      std::error_code ignore;
      fs::remove(part, ignore);
      failed(ec.message());
      continue;
    }
    plat::LogLine(session->LogName() + ": uploaded Containers\\" + folder + "\\" + name);
    if (toastEach) toast(" File: " + name + " Uploaded. ");
  }
}
