// Files, folders and the clock on Windows, through the ANSI functions: every path is
// 8-bit text in the system's code page, as the host and the module path hand it over.
// A replacement is written beside its target, flushed, and moved over it in one step
// (MoveFileExW with write-through), so a crash or a full disk never leaves a half-written
// data file; the replacement's longer name goes through the wide functions in the long
// form, so any path the profile functions take can be saved. Both '\\' and '/' separate folders; a drive ("C:") is never created.
// A save replaces the file a symbolic link points to, never the link (ResolveLinks).
// Every function catches everything and answers false (or an empty result).
#include "support/platform.h"
#include "support/platform_folders.h"
#include "support/write_fault.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

// True when the file holds exactly contents: a layer that drops a write without a word
// (a full disk under some file systems, a network share) shows here, before the old file
// goes.
bool HoldsExactly(HANDLE h, std::string_view contents) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size) || static_cast<unsigned long long>(size.QuadPart) != contents.size()) return false;
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(h, start, nullptr, FILE_BEGIN)) return false;
  std::vector<char> buffer(65536);
  std::size_t done = 0;
  while (done < contents.size()) {
    const DWORD want = static_cast<DWORD>(std::min(buffer.size(), contents.size() - done));
    DWORD got = 0;
    if (!ReadFile(h, buffer.data(), want, &got, nullptr) || got == 0 ||
        contents.compare(done, got, buffer.data(), got) != 0)
      return false;
    done += got;
  }
  return true;
}

// The path in the long form ("\\?\C:\..." or "\\?\UNC\server\..."), for the wide
// functions: a temporary name beside a file whose path is just short of MAX_PATH goes
// past it, where the ANSI functions fail. The ANSI text is turned into UTF-16 by the
// system's code page, as the ANSI functions themselves do. Empty when it cannot be.
std::wstring LongPath(const std::string& path) {
  const int n = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), n);
  if (wide.starts_with(L"\\\\?\\")) return wide;
  std::wstring full(wide.size() + MAX_PATH, L'\0');
  for (int round = 0; round < 2; ++round) {
    const DWORD got = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (got == 0) return {};
    if (got < full.size()) {
      full.resize(got);
      if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
      return L"\\\\?\\" + full;
    }
    full.assign(got, L'\0');
  }
  return {};
}

// Creates a new, empty temporary file beside path; its name comes back in tempPath.
// CREATE_NEW so that a stray file of the same name is never truncated.
HANDLE CreateTempBeside(const std::string& path, std::string& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = TempFileBeside(path, CurrentProcessId(), ++counter);
    HANDLE h = CreateFileW(LongPath(tempPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

// Links followed before a chain counts as a loop (the system's own bound is 63).
constexpr int kMaxLinkHops = 63;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The system writes paths with "\\?\" (a share: "\\?\UNC\") in front, and a link holds
// its absolute target as an NT path, "\??\" in front; the ANSI functions take neither.
std::string PlainPath(std::string path) {
  for (const std::string_view prefix : {"\\\\?\\", "\\??\\"}) {
    if (!path.starts_with(prefix)) continue;
    path.erase(0, prefix.size());
    if (path.starts_with("UNC\\")) path.replace(0, 3, "\\");
    break;
  }
  return path;
}

// The path of the file behind an open handle, every link followed; empty when unknown.
std::string FinalPath(HANDLE h) {
  std::string buffer(MAX_PATH, '\0');
  for (int round = 0; round < 2; ++round) {
    const DWORD n = GetFinalPathNameByHandleA(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return PlainPath(std::move(buffer));
    }
    buffer.assign(n, '\0');  // too small: n is the size it needs
  }
  return {};
}

// The head of a symbolic link's reparse data (REPARSE_DATA_BUFFER, which the Windows
// headers at hand lack); the names follow as UTF-16, at byte offsets from PathBuffer.
struct TSymlinkReparseData {
  DWORD ReparseTag;
  WORD ReparseDataLength;
  WORD Reserved;
  WORD SubstituteNameOffset;
  WORD SubstituteNameLength;
  WORD PrintNameOffset;
  WORD PrintNameLength;
  ULONG Flags;  // SYMLINK_FLAG_RELATIVE
};

// The target written in the symbolic link at path, in the system's code page, and
// whether it is relative; empty when path is no symbolic link, the link cannot be read,
// or its target has a character that the code page cannot hold.
std::string SymlinkTarget(const std::string& path, bool& relative) {
  FileHandle link(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!link.Valid()) return {};
  std::vector<char> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD got = 0;
  if (!DeviceIoControl(link.handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                       static_cast<DWORD>(data.size()), &got, nullptr) ||
      got < sizeof(TSymlinkReparseData))
    return {};
  TSymlinkReparseData head{};
  std::memcpy(&head, data.data(), sizeof head);
  const std::size_t offset = sizeof head + head.SubstituteNameOffset;
  const std::size_t size = head.SubstituteNameLength;
  if (head.ReparseTag != IO_REPARSE_TAG_SYMLINK || size == 0 || offset + size > got) return {};
  std::wstring wide(size / sizeof(wchar_t), L'\0');
  std::memcpy(wide.data(), data.data() + offset, wide.size() * sizeof(wchar_t));
  const int length = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return {};
  std::string target(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, target.data(), n, nullptr, nullptr);
  relative = (head.Flags & SYMLINK_FLAG_RELATIVE) != 0;
  return PlainPath(std::move(target));
}

// The folder part of path with its separator ("C:" for "C:x"), to put before a relative
// link target; empty when path has none.
std::string FolderPrefix(const std::string& path) {
  const std::size_t at = path.find_last_of("\\/:");
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
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

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

// A process that exists but may not be asked counts as running.
bool ProcessRunning(unsigned long id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(LongPath(path).c_str()) != 0; }

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

// A file that opens is asked for its final path: the system has followed every link on
// the way (under Wine the host system's own links too, which show no reparse point).
// A link that does not open (its target is missing) is followed by hand, one link at a
// time. A final path too long for the ANSI functions leaves the path as it was given.
std::string ResolveLinks(const std::string& path) {
  try {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
      FileHandle file(CreateFileA(current.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
      if (file.Valid()) {
        const std::string final = FinalPath(file.handle);
        return final.empty() || final.size() >= MAX_PATH ? current : final;
      }
      const DWORD attributes = GetFileAttributesA(current.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return current;  // missing (a new file) or no link
      bool relative = false;
      std::string target = SymlinkTarget(current, relative);
      if (target.empty()) return current;  // another kind of reparse point: as before
      if (relative) target.insert(0, FolderPrefix(current));
      current = std::move(target);
    }
    return {};
  } catch (...) {
    return {};
  }
}

bool WriteFileAtomic(const std::string& path, std::string_view contents, TWriteFailure& failure) {
  std::string tempPath;
  failure = TWriteFailure::Target;
  try {
    const std::string target = ResolveLinks(path);
    if (target.empty()) return false;
    // Windows refuses to move a file over a read-only one; asked first, so that the
    // answer does not depend on the file system (Wine replaces it) and nothing is written.
    failure = TWriteFailure::ReadOnly;
    DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
      return false;
    RemoveLeftoverTempFiles(target);
    failure = TWriteFailure::TempFile;
    FileHandle temp(CreateTempBeside(target, tempPath));
    if (!temp.Valid()) return false;
    failure = TWriteFailure::Write;
    bool ok = WriteContents(temp.handle, contents) && FlushFileBuffers(temp.handle) != 0;
    if (ok && !HoldsExactly(temp.handle, contents)) {
      failure = TWriteFailure::Verify;
      ok = false;
    }
    ok = temp.Close() && ok;
    if (ok) {
      failure = TWriteFailure::Replace;
      if (MoveFileExW(LongPath(tempPath).c_str(), LongPath(target).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
        failure = TWriteFailure::None;
        return true;
      }
    }
  } catch (...) {
  }
  if (!tempPath.empty()) RemoveFile(tempPath);
  return false;
}

LocalDateTime GetLocalDateTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace kw
