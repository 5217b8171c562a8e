// What the portable path and folder functions (platform.cpp) take from each platform:
// the bytes that separate folders, the bytes that end a drive name, and making and
// telling a single folder. Each platform file defines them; nothing else uses them.
#pragma once

#include <string>
#include <string_view>

namespace kw {

// Bytes that separate folders in a path: "\\/" on Windows, "/" elsewhere.
extern const std::string_view kFolderSeparators;
// Bytes that end a drive name ("C:"): a folder part ends there too, but a drive is never
// created. ":" on Windows, none elsewhere.
extern const std::string_view kDriveMarks;

// Asks for one folder whose parent exists; whether it worked is told by IsFolder.
void MakeOneFolder(const std::string& path);
// True when path names an existing folder.
bool IsFolder(const std::string& path);

}  // namespace kw
