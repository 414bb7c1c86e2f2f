#pragma once
// The server's own files: form definitions, the browser client, the icon
// font and the favicon. They lie in share/tessarine beside the folder that
// holds the running binary: bin/ below an installation prefix, and in a
// build folder its server/, tests/ and bench/ folders, where the build
// lays them out the same way. So a server runs from wherever it is.
#include <string>

// The resource folder of the running binary, without a trailing slash.
const std::string& ResourceFolder();
