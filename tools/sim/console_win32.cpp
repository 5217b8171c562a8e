// Windows side of console.h. Output is switched to binary mode so that transcripts come
// out byte for byte as on other platforms; a real console gets the UTF-8 code page and,
// where it offers it, the processing of colour escapes.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "tools/sim/console.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace kwsim {
namespace {

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

bool StdoutIsTerminal() { return IsConsole(STD_OUTPUT_HANDLE); }
bool StdinIsTerminal() { return IsConsole(STD_INPUT_HANDLE); }

bool PrepareConsole() {
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (IsConsole(STD_INPUT_HANDLE)) SetConsoleCP(CP_UTF8);
  if (!IsConsole(STD_OUTPUT_HANDLE)) return true;
  SetConsoleOutputCP(CP_UTF8);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  GetConsoleMode(out, &mode);
  return SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::string ExecutablePath() {
  wchar_t wide[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, wide, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(n), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

}  // namespace kwsim
