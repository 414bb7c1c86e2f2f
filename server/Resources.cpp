#include "server/Resources.h"

#include <filesystem>
#include <system_error>

const std::string& ResourceFolder() {
  static const std::string folder = [] {
    std::error_code ec;
    std::filesystem::path binary = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) binary = std::filesystem::current_path() / "tessarine";
    return (binary.parent_path().parent_path() / "share" / "tessarine").string();
  }();
  return folder;
}
