// Files, folders and the clock on POSIX systems (the native build and its tests).
// Plain system calls rather than iostreams: they tell a folder or a pipe from a regular
// file before reading, and let a replacement reach the disk (fsync) before it is renamed
// over the old file, so a crash or a full disk never leaves a half-written data file.
// A save replaces the file a symbolic link points to, never the link (ResolveLinks).
// Every function catches everything and answers false (or an empty result).
#include "support/platform.h"
#include "support/platform_folders.h"
#include "support/write_fault.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace kw {
namespace {

// Closes the descriptor when the owner leaves scope.
struct FileDescriptor {
  int fd = -1;  // open descriptor, -1 when none
  explicit FileDescriptor(int f) : fd(f) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
  // Closes now and reports whether the close succeeded (a late write error shows here).
  bool Close() {
    int f = fd;
    fd = -1;
    return ::close(f) == 0;
  }
};

bool WriteAll(int fd, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes contents, or only the bytes before an armed fault and then fails.
bool WriteContents(int fd, std::string_view contents) {
  const WriteBudget budget = TakeWriteBudget(contents.size());
  const bool written = WriteAll(fd, contents.substr(0, budget.allowed));
  return written && !budget.fails;
}

// True when the file holds exactly contents: a layer that drops a write without a word
// (a full network share, a file system that lies) shows here, before the old file goes.
bool HoldsExactly(int fd, std::string_view contents) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || static_cast<unsigned long long>(st.st_size) != contents.size()) return false;
  char buffer[65536];
  std::size_t done = 0;
  while (done < contents.size()) {
    const std::size_t want = std::min(sizeof buffer, contents.size() - done);
    const ssize_t n = ::pread(fd, buffer, want, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || contents.compare(done, static_cast<std::size_t>(n), buffer, static_cast<std::size_t>(n)) != 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Creates a new, empty temporary file beside path; its name comes back in tempPath.
// O_EXCL so that a stray file of the same name is never truncated or followed.
int CreateTempBeside(const std::string& path, std::string& tempPath) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = TempFileBeside(path, CurrentProcessId(), ++counter);
    int fd = ::open(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Links followed before a chain counts as a loop (the kernel's own bound for a path).
constexpr int kMaxLinkHops = 40;

// The target written in the link at path; empty when it cannot be read.
std::string ReadLink(const std::string& path) {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0) return {};
    if (static_cast<std::size_t>(n) < target.size()) {
      target.resize(static_cast<std::size_t>(n));
      return target;
    }
    target.resize(target.size() * 2);  // it may have been cut short
  }
}

// Makes the rename itself durable; a folder that cannot be synced costs only that.
void SyncFolderOf(const std::string& path) {
  std::string folder = FolderOf(path);
  if (folder.empty()) folder = path.size() > 0 && path[0] == '/' ? "/" : ".";
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

const std::string_view kFolderSeparators = "/";
const std::string_view kDriveMarks = "";

char PathSeparator() { return '/'; }

void MakeOneFolder(const std::string& path) { ::mkdir(path.c_str(), 0777); }

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
  ::closedir(dir);
  return names;
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

bool ProcessRunning(unsigned long id) {
  if (id == 0 || id > 0x7FFFFFFFul) return false;
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool FileExists(const std::string& path) {
  try {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  } catch (...) {
    return false;
  }
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  try {
    // O_NONBLOCK: opening a pipe must not hang; a regular file ignores the flag.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0) return false;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::string data;
    if (st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
      ssize_t n = ::read(file.fd, buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (n == 0) break;
      data.append(buffer, static_cast<std::size_t>(n));
    }
    contents = std::move(data);
    return true;
  } catch (...) {
    return false;
  }
}

std::string ResolveLinks(const std::string& path) {
  try {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
      struct stat st {};
      // Missing (a new file) or no link: this is the file.
      if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
      std::string target = ReadLink(current);
      if (target.empty()) return {};
      if (target.front() != '/') {
        const std::size_t slash = current.rfind('/');
        if (slash != std::string::npos) target.insert(0, current, 0, slash + 1);
      }
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
    RemoveLeftoverTempFiles(target);
    failure = TWriteFailure::TempFile;
    FileDescriptor temp(CreateTempBeside(target, tempPath));
    if (temp.fd < 0) return false;
    // The replacement keeps the permissions of the file it replaces.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
      ::fchmod(temp.fd, old.st_mode & 07777);
    failure = TWriteFailure::Write;
    bool ok = WriteContents(temp.fd, contents) && ::fsync(temp.fd) == 0;
    if (ok && !HoldsExactly(temp.fd, contents)) {
      failure = TWriteFailure::Verify;
      ok = false;
    }
    ok = temp.Close() && ok;
    if (ok) {
      failure = TWriteFailure::Replace;
      if (::rename(tempPath.c_str(), target.c_str()) == 0) {
        SyncFolderOf(target);
        failure = TWriteFailure::None;
        return true;
      }
    }
  } catch (...) {
  }
  if (!tempPath.empty()) ::unlink(tempPath.c_str());
  return false;
}

LocalDateTime GetLocalDateTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || ::localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace kw
