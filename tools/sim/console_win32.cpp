// Windows side of console.h. Inside, the simulator speaks UTF-8; here it meets Windows:
// - The arguments are read again from the wide command line (CommandLineToArgvW):
//   main's argv is in the ANSI code page, which cannot hold every letter of a path and
//   which the rest of the program would misread as UTF-8.
// - A console is written with WriteConsoleW and read with ReadConsoleW, through stream
//   buffers put in place of std::cout's, std::cerr's and std::cin's. Polish then shows
//   right whatever the console's code page (852 on a Polish system), and that code page,
//   which the console's other programs share, is left as it was.
// - Output to a file or a pipe is UTF-8 without a byte order mark, byte for byte as on
//   other platforms (binary mode: no CR added before LF). Notepad opens such a file as
//   UTF-8; a program that reads it in the console's code page would not, and is told so
//   in the user's guide.
//
// The shell reads plain lines here: no line editing library is built for this target,
// and the console's own line input already offers editing and its history (F7). Ctrl-C
// and Ctrl-Break only set a flag, so that the shell unloads the plugin and removes its
// folder rather than being ended by the system.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iostream>
#include <optional>
#include <streambuf>

#include "tools/sim/console.h"
#include "tools/testhost/wide_text_win32.h"
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

// The length of text without a UTF-8 sequence that its end cuts short.
std::size_t CompleteLength(std::string_view text) {
  const std::size_t size = text.size();
  for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(text[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? size - back : size;
  }
  return size;
}

// A standard output stream's way to a console: UTF-8 in, UTF-16 out. A character whose
// bytes two writes share waits for its rest.
class ConsoleWriter final : public std::streambuf {
 public:
  explicit ConsoleWriter(HANDLE console) : console_(console) {}
  ~ConsoleWriter() override { Write(pending_.size()); }
  ConsoleWriter(const ConsoleWriter&) = delete;
  ConsoleWriter& operator=(const ConsoleWriter&) = delete;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    pending_.append(s, static_cast<std::size_t>(n));
    if (pending_.size() >= kChunk && !Write(CompleteLength(pending_))) return 0;
    return n;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }
  int sync() override { return Write(CompleteLength(pending_)) ? 0 : -1; }

 private:
  static constexpr std::size_t kChunk = 4096;

  // Writes the first bytes of what is pending; false when the console refuses.
  bool Write(std::size_t bytes) {
    const std::wstring wide = kwtest::WideFromUtf8(std::string_view(pending_).substr(0, bytes));
    pending_.erase(0, bytes);
    for (std::size_t done = 0; done < wide.size();) {
      std::size_t n = std::min<std::size_t>(wide.size() - done, 8192);
      if (n > 1 && done + n < wide.size() && IS_HIGH_SURROGATE(wide[done + n - 1])) --n;
      DWORD written = 0;
      if (!WriteConsoleW(console_, wide.data() + done, static_cast<DWORD>(n), &written, nullptr) ||
          written == 0)
        return false;
      done += written;
    }
    return true;
  }

  HANDLE console_;
  std::string pending_;
};

// Standard input's way from a console: each line as typed, read with ReadConsoleW and
// given as UTF-8 with a plain LF at its end. A line that begins with Ctrl-Z ends the
// input, as it does for the C runtime's reading.
class ConsoleReader final : public std::streambuf {
 public:
  explicit ConsoleReader(HANDLE console) : console_(console) {}

 protected:
  int_type underflow() override {
    if (gptr() == egptr()) {
      if (!ReadLine()) return traits_type::eof();
      setg(line_.data(), line_.data(), line_.data() + line_.size());
    }
    return traits_type::to_int_type(*gptr());
  }

 private:
  // False at the end of input, and when a Ctrl-C ended the read.
  bool ReadLine() {
    std::wstring wide;
    do {
      wchar_t buffer[1024];
      DWORD got = 0;
      if (!ReadConsoleW(console_, buffer, 1024, &got, nullptr) || got == 0) break;
      wide.append(buffer, got);
    } while (wide.back() != L'\n');
    if (wide.empty() || wide.front() == L'\x1A') return false;
    if (wide.size() >= 2 && wide.back() == L'\n' && wide[wide.size() - 2] == L'\r') wide.erase(wide.size() - 2, 1);
    line_ = kwtest::Utf8FromWide(wide);
    return !line_.empty();
  }

  HANDLE console_;
  std::string line_;
};

// The stream buffers in place for the program's life, and put back at its end (a static
// of PrepareConsole, so it goes before the standard streams do).
class ConsoleStreams {
 public:
  ConsoleStreams() {
    if (IsConsole(STD_OUTPUT_HANDLE)) Replace(std::cout, out_, STD_OUTPUT_HANDLE, oldOut_);
    if (IsConsole(STD_ERROR_HANDLE)) Replace(std::cerr, err_, STD_ERROR_HANDLE, oldErr_);
    if (IsConsole(STD_INPUT_HANDLE)) {
      in_.emplace(GetStdHandle(STD_INPUT_HANDLE));
      oldIn_ = std::cin.rdbuf(&*in_);
    }
  }
  ~ConsoleStreams() {
    std::cout.flush();
    std::cerr.flush();
    if (out_) std::cout.rdbuf(oldOut_);
    if (err_) std::cerr.rdbuf(oldErr_);
    if (in_) std::cin.rdbuf(oldIn_);
  }
  ConsoleStreams(const ConsoleStreams&) = delete;
  ConsoleStreams& operator=(const ConsoleStreams&) = delete;

 private:
  static void Replace(std::ostream& stream, std::optional<ConsoleWriter>& writer, DWORD which,
                      std::streambuf*& old) {
    stream.flush();
    writer.emplace(GetStdHandle(which));
    old = stream.rdbuf(&*writer);
  }

  std::optional<ConsoleWriter> out_, err_;
  std::optional<ConsoleReader> in_;
  std::streambuf* oldOut_ = nullptr;
  std::streambuf* oldErr_ = nullptr;
  std::streambuf* oldIn_ = nullptr;
};

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
  static ConsoleStreams streams;
  if (!IsConsole(STD_OUTPUT_HANDLE)) return true;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  GetConsoleMode(out, &mode);
  return SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(kwtest::Utf8FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}

bool StartedAlone() {
  DWORD ids[2] = {};
  return StdinIsTerminal() && StdoutIsTerminal() && GetConsoleProcessList(ids, 2) == 1;
}

void WaitForKey() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(in, &mode)) return;
  SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
  for (;;) {
    INPUT_RECORD record{};
    DWORD got = 0;
    if (!ReadConsoleInputW(in, &record, 1, &got) || got == 0) break;
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    const WORD key = record.Event.KeyEvent.wVirtualKeyCode;
    // Shift, Ctrl, Alt and the lock keys alone are no answer.
    if (key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU && key != VK_CAPITAL && key != VK_NUMLOCK)
      break;
  }
  SetConsoleMode(in, mode);
}

std::string ExecutablePath() {
  wchar_t wide[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, wide, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return {};
  return kwtest::Utf8FromWide(std::wstring_view(wide, n));
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

std::unique_ptr<LineReader> OpenStdinReader() {
  SetConsoleCtrlHandler(OnControl, TRUE);
  return std::make_unique<PlainReader>(StdinIsTerminal());
}

}  // namespace kwsim
