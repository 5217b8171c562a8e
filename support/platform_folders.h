// What the portable path and folder functions (platform.cpp) take from each platform:
// the bytes that separate folders, the bytes that end a drive name, making and telling
// a single folder, and what finding a killed save's temporary files needs. Each
// platform file defines them; nothing else uses them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// The names in a folder, given as a path that ends in a separator (or a drive's colon),
// or empty for the current folder; empty when it cannot be listed.
std::vector<std::string> NamesIn(const std::string& folder);
// This process's id, and whether a process of that id runs now (ours included).
unsigned long CurrentProcessId();
bool ProcessRunning(unsigned long id);
// Deletes one file (however long its path may be); false when it stays.
bool RemoveFile(const std::string& path);

}  // namespace kw
