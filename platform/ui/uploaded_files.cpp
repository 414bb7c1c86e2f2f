#include "platform/ui/uploaded_files.h"

#include <filesystem>
#include <system_error>

#include "platform/io/path.h"
#include "platform/log.h"

namespace plat::ui {

void EraseUploadedFiles(const std::vector<UploadedFile>& files) {
  for (const UploadedFile& f : files) {
    std::error_code ec;
    std::filesystem::remove(io::Resolve(f.cache), ec);
    if (ec) LogLine("cannot erase the upload cache file " + f.cache + ": " + ec.message());
  }
}

}  // namespace plat::ui
