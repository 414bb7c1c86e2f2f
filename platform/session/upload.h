#pragma once
// Receiving uploaded files. The browser posts multipart/form-data; every
// file part is streamed to its own cache file in the temp folder through a
// small buffer, so files of any size (videos of several GiB) pass without
// being held in memory. The cache file names are made up here and never
// taken from the browser.
#include <string>
#include <vector>

#include "platform/http/message.h"
#include "platform/ui/uploaded_files.h"

namespace plat::session {

// Streams the file parts of a multipart request (parts with a file name;
// other fields are read and dropped) to new files in `tempFolderNative`,
// which is created when missing. Returns the files in the order of the
// request. On any failure (not multipart, a broken or truncated body, a full
// disk) every cache file written so far is deleted, `error` (when given)
// says why, and the result is empty; on success `error` is empty.
std::vector<ui::UploadedFile> ReceiveUpload(const http::HttpRequest& request, http::BodyReader& body,
                                            const std::string& tempFolderNative, std::string* error);

}  // namespace plat::session
