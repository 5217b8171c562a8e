// Windows side of console.h. Output is switched to binary mode so that transcripts come
// out byte for byte as on other platforms; a real console gets the UTF-8 code page and,
// where it offers it, the processing of colour escapes.
//
// The shell reads plain lines here: no line editing library is built for this target,
// and the console's own line input already offers editing and its history (F7). Ctrl-C
// and Ctrl-Break only set a flag, so that the shell unloads the plugin and removes its
// folder rather than being ended by the system.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <iostream>

#include "tools/sim/console.h"
#include "tools/sim/texts.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace kwsim {
namespace {

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

std::atomic<bool> gInterrupted{false};

// Runs on a thread of its own that the system starts.
BOOL WINAPI OnControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  gInterrupted = true;
  return TRUE;
}

class PlainReader final : public LineReader {
 public:
  explicit PlainReader(bool interactive) : interactive_(interactive) {}

  ReadResult Read(std::string_view prompt, std::string& line) override {
    if (gInterrupted.exchange(false)) return ReadResult::Interrupted;
    if (interactive_) std::cout << prompt << std::flush;
    if (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return ReadResult::Line;
    }
    // A Ctrl-C ends the console's read as if the input had ended; its handler may run
    // a moment later.
    for (int i = 0; interactive_ && i < 20 && !gInterrupted; ++i) Sleep(10);
    if (!gInterrupted.exchange(false)) return ReadResult::End;
    std::cin.clear();
    if (interactive_) std::cout << '\n';
    return ReadResult::Interrupted;
  }
  bool Interactive() const override { return interactive_; }
  std::string_view Keys() const override { return Text(TextId::KeysWindows); }

 private:
  bool interactive_;
};

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

std::unique_ptr<LineReader> OpenStdinReader() {
  SetConsoleCtrlHandler(OnControl, TRUE);
  return std::make_unique<PlainReader>(StdinIsTerminal());
}

}  // namespace kwsim
