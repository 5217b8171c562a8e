// Stub.
#include "support/platform.h"
namespace kw {
char PathSeparator() { return '/'; }
bool FileExists(const std::string&) { return false; }
bool ReadWholeFile(const std::string&, std::string&) { return false; }
bool WriteFileAtomic(const std::string&, std::string_view) { return false; }
bool CreateFolders(const std::string&) { return false; }
std::string FolderOf(const std::string&) { return {}; }
LocalDateTime GetLocalDateTime() { return {}; }
}  // namespace kw
