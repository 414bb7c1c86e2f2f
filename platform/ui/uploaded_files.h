#pragma once
// Files that came with an upload: the session layer streams them to cache
// files, the upload control hands them to its handler and erases them.
#include <string>
#include <vector>

namespace plat::ui {

struct UploadedFile {
  std::string name;   // the file name as the browser gave it
  std::string cache;  // system path of the cache file
};

// Deletes the cache files. Failures are logged, not raised.
void EraseUploadedFiles(const std::vector<UploadedFile>& files);

}  // namespace plat::ui
