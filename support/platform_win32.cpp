// Files, folders and the clock on Windows, through the ANSI functions: every path is
// 8-bit text in the system's code page, as the host and the module path hand it over.
// A replacement is written beside its target, flushed, and moved over it in one step
// (MoveFileExA with write-through), so a crash or a full disk never leaves a half-written
// data file. Both '\\' and '/' separate folders; a drive ("C:") is never created.
// Every function catches everything and answers false (or an empty result).
#include "support/platform.h"
#include "support/platform_folders.h"
#include "support/write_fault.h"

#include <windows.h>

#include <string>
#include <utility>

namespace kw {
namespace {

// Closes the handle when the owner leaves scope.
struct FileHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;  // open file, INVALID_HANDLE_VALUE when none
  explicit FileHandle(HANDLE h) : handle(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  bool Valid() const { return handle != INVALID_HANDLE_VALUE; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    HANDLE h = handle;
    handle = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }
};

bool WriteAll(HANDLE h, std::string_view data) {
  while (!data.empty()) {
    DWORD chunk = data.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!WriteFile(h, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

// Writes contents, or only the bytes before an armed fault and then fails.
bool WriteContents(HANDLE h, std::string_view contents) {
  const WriteBudget budget = TakeWriteBudget(contents.size());
  const bool written = WriteAll(h, contents.substr(0, budget.allowed));
  return written && !budget.fails;
}

// Creates a new, empty temporary file beside path; its name comes back in tempPath.
// CREATE_NEW so that a stray file of the same name is never truncated.
HANDLE CreateTempBeside(const std::string& path, std::string& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = path + ".~" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    HANDLE h = CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

const std::string_view kFolderSeparators = "\\/";
const std::string_view kDriveMarks = ":";

char PathSeparator() { return '\\'; }

void MakeOneFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
  try {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  } catch (...) {
    return false;
  }
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  try {
    // Shared for writing too: an editor that holds the file open must not stop the read.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A folder does not open this way; a device or a pipe is not a file either.
    if (!file.Valid() || GetFileType(file.handle) != FILE_TYPE_DISK) return false;
    std::string data;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.handle, &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < data.max_size())
      data.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file.handle, buffer, sizeof buffer, &got, nullptr)) return false;
      if (got == 0) break;
      data.append(buffer, got);
    }
    contents = std::move(data);
    return true;
  } catch (...) {
    return false;
  }
}

bool WriteFileAtomic(const std::string& path, std::string_view contents) {
  std::string tempPath;
  try {
    // Windows refuses to move a file over a read-only one; asked first, so that the
    // answer does not depend on the file system (Wine replaces it) and nothing is written.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
      return false;
    FileHandle temp(CreateTempBeside(path, tempPath));
    if (!temp.Valid()) return false;
    bool ok = WriteContents(temp.handle, contents) && FlushFileBuffers(temp.handle) != 0;
    ok = temp.Close() && ok;
    if (ok && MoveFileExA(tempPath.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
      return true;
  } catch (...) {
  }
  if (!tempPath.empty()) DeleteFileA(tempPath.c_str());
  return false;
}

LocalDateTime GetLocalDateTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace kw
