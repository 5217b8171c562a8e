// What the plugin needs of the operating system beyond the host: files, folders and
// the local clock. One implementation per platform (platform_win32.cpp, _posix.cpp);
// what differs only in the path separators is shared (platform.cpp).
#pragma once

#include <string>
#include <string_view>

namespace kw {

// The platform's path separator: '\\' on Windows, '/' elsewhere.
char PathSeparator();

// True when a regular file (not a folder) exists at path.
bool FileExists(const std::string& path);

// Reads the whole file. False when it is missing, a folder, or cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);

// Why a file was not replaced, by the step that failed.
enum class TWriteFailure {
  None,      // replaced
  Target,    // a loop of links, or a link that cannot be read
  ReadOnly,  // the file is marked read-only (Windows)
  TempFile,  // no new file could be made beside it (a read-only folder, a path that is no folder)
  Write,     // a write or the flush failed (a full disk)
  Verify,    // what was read back is not what was written
  Replace,   // the new file could not be moved over the old one (a folder there, a file held open)
};
// The failure in plain words, for the trace and the simulator ("" for None).
std::string_view WriteFailureText(TWriteFailure failure);

// Replaces the file atomically: writes a temporary file in the same folder, flushes it,
// reads it back and compares it with contents, then moves it over the old one. On any
// failure the old file is left as it was and false comes back (with the step that failed
// in failure). When path is a symbolic link, the file it points to (ResolveLinks) is the
// one replaced, beside which the temporary file goes; the link stays a link.
bool WriteFileAtomic(const std::string& path, std::string_view contents);
bool WriteFileAtomic(const std::string& path, std::string_view contents, TWriteFailure& failure);

// The temporary file that WriteFileAtomic makes beside target: target's name followed by
// ".~", the process id, "_" and a counter of the process's saves ("Kwartlin.ini.~412_3").
std::string TempFileBeside(const std::string& target, unsigned long processId, unsigned counter);
// Removes what saves of path (its link followed) that were killed midway left beside it:
// files named exactly as TempFileBeside names them, whose process no longer runs or is
// this one (which saves one file at a time, so none of its own is in use). Any other
// file stays, another program's and a running save's alike. WriteFileAtomic does it
// before each save; a reader of a file may do it too.
void RemoveLeftoverTempFiles(const std::string& path);

// The file that a save of path must replace: path itself, or, when path is a symbolic
// link, the file it finally points to (a chain is followed, a relative target is taken
// from the folder of the link that holds it). A user links a data file into a synced
// folder; renaming a new file over the link itself would cut it off for good.
// A dangling link gives the missing file it points to, which the save then creates, so
// the link works again; its folder is not created. Empty for a loop, a chain too long to
// follow, or a link that cannot be read: such a file is not replaced at all.
std::string ResolveLinks(const std::string& path);

// Test hook: the next WriteFileAtomic writes this many bytes of its temporary file and
// then fails as a full disk would; one shot, disarmed by that write. A negative count
// disarms it. With reported false the write stops there but says it wrote everything, as
// some layers over a full disk do. For tests only; the plugin never calls it.
void SetWriteFaultForTesting(long long bytesBeforeFailure, bool reported = true);

// Creates the folder and every missing parent. True when it exists afterwards.
bool CreateFolders(const std::string& path);

// The folder part of a path: everything up to, not including, the last separator
// ('\\', '/' or ':' on Windows, so "C:\\x" gives "C:"; '/' elsewhere); empty when there
// is none.
std::string FolderOf(const std::string& path);
// True for a byte that separates folders: '\\' or '/' on Windows ('/' cannot stand in
// a Windows file name, so it only ever separates), '/' elsewhere.
bool IsFolderSeparator(char c);
// True for a byte that a path's folder part ends at: a separator, or on Windows a
// drive's colon ("C:x").
bool EndsFolder(char c);

struct LocalDateTime {
  int year, month, day, hour, minute, second;
};
// The local wall clock (month and day from 1); all zero when the clock cannot be read.
LocalDateTime GetLocalDateTime();

}  // namespace kw
