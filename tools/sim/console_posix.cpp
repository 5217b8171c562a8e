// POSIX side of console.h.
//
// The shell's reader on a terminal is libedit's readline-compatible API: line editing,
// the history (Up and Down, Ctrl-R) and Tab completion all come from it. libedit rather
// than GNU readline because of the licence: libedit is BSD-licensed and asks for its
// notice only, while linking GNU readline (GPL 3) would put the whole simulator under
// the GPL. The history lives in memory for one session and is never written to a file:
// its lines hold test messages and whole scripts, and the simulator writes nothing
// outside its own temporary folder. Builds without libedit (KW_LINE_EDITING unset, as
// the playground's) read plain lines, with the prompt on a terminal.
//
// SIGINT, SIGTERM and SIGHUP only set a flag and write a byte into a pipe of our own,
// so that a read waiting in poll() wakes at once, and a signal that comes between the
// check of the flags and the wait is not lost. libedit reads the terminal through our
// own function (ReadKey), which waits on the terminal and that pipe together: a Ctrl-C
// pressed at any moment, even before libedit has put the terminal in its mode, ends the
// read. libedit is told not to catch signals: its own handler sends them on to the
// whole process group.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <iostream>
#include <optional>

#ifdef KW_LINE_EDITING
#include <editline/readline.h>
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/sim/completion.h"
#endif

#include "tools/sim/console.h"
#include "tools/sim/texts.h"

namespace kwsim {
namespace {

volatile sig_atomic_t gInterrupted = 0;
volatile sig_atomic_t gEnded = 0;
int gWakeRead = -1;
int gWakeWrite = -1;

void OnSignal(int signal) {
  const int saved = errno;
  if (signal == SIGINT) gInterrupted = 1;
  else gEnded = 1;
  const char byte = 0;
  if (gWakeWrite >= 0) (void)!write(gWakeWrite, &byte, 1);
  errno = saved;
}

// A signal that the shell was started to ignore (nohup, a background job) stays ignored.
// SA_RESTART: no other call of the simulator sees EINTR; the shell's waits poll the pipe.
void CatchSignals() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

// Its bytes only wake a wait; the flags say what came.
void DrainWakePipe() {
  char bytes[64];
  while (gWakeRead >= 0 && read(gWakeRead, bytes, sizeof bytes) > 0) {
  }
}

// Waits until standard input has bytes or a signal has come. False when a signal woke
// it (the pipe is drained, the flags are left); true otherwise, a failed wait included,
// so that the read that follows reports the failure.
bool WaitForInput() {
  pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {gWakeRead, POLLIN, 0}};
  if (poll(fds, 2, -1) < 0) return errno != EINTR;
  if (fds[1].revents != 0) {
    DrainWakePipe();
    return false;
  }
  return fds[0].revents != 0;
}

// What the signals since the last call ask for, if anything. An end stays asked for.
std::optional<ReadResult> TakeSignal() {
  DrainWakePipe();
  if (gEnded) return ReadResult::End;
  if (gInterrupted) {
    gInterrupted = 0;
    return ReadResult::Interrupted;
  }
  return std::nullopt;
}

// Lines from a pipe, a file, or a terminal that libedit does not serve.
class PlainReader final : public LineReader {
 public:
  explicit PlainReader(bool interactive) : interactive_(interactive) {}

  ReadResult Read(std::string_view prompt, std::string& line) override {
    if (interactive_) std::cout << prompt << std::flush;
    for (;;) {
      if (const std::optional<ReadResult> signal = TakeSignal()) {
        // The terminal echoed ^C where the cursor stood.
        if (interactive_ && *signal == ReadResult::Interrupted) std::cout << '\n';
        return *signal;
      }
      const std::size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return ReadResult::Line;
      }
      if (atEnd_) {
        if (buffer_.empty()) return ReadResult::End;
        line = std::move(buffer_);
        buffer_.clear();
        return ReadResult::Line;
      }
      Fill();
    }
  }
  bool Interactive() const override { return interactive_; }
  std::string_view Keys() const override { return Text(TextId::KeysPlain); }

 private:
  void Fill() {
    if (!WaitForInput()) return;
    char chunk[4096];
    const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
    if (n > 0) buffer_.append(chunk, static_cast<std::size_t>(n));
    else if (n == 0 || (errno != EINTR && errno != EAGAIN)) atEnd_ = true;
  }

  bool interactive_;
  bool atEnd_ = false;
  std::string buffer_;
};

#ifdef KW_LINE_EDITING

constexpr int kHistoryLines = 1000;
char kWordBreaks[] = " \t";

std::vector<std::string> gCandidates;

char* NextCandidate(const char* /*text*/, int state) {
  static std::size_t next = 0;
  if (state == 0) next = 0;
  if (next >= gCandidates.size()) return nullptr;
  return strdup(gCandidates[next++].c_str());
}

// start counts characters, the line buffer holds UTF-8 bytes. Nothing may throw into
// libedit.
char** Complete(const char* text, int start, int /*end*/) {
  try {
    const std::string_view line = rl_line_buffer != nullptr ? rl_line_buffer : "";
    std::size_t bytes = 0;
    for (int chars = 0; chars < start && bytes < line.size(); ++chars) {
      ++bytes;
      while (bytes < line.size() && (static_cast<unsigned char>(line[bytes]) & 0xC0) == 0x80) ++bytes;
    }
    Completion c = CompleteShellWord(line.substr(0, bytes), text);
    rl_attempted_completion_over = c.Path ? 0 : 1;
    // "name=" goes on with its value, every other word with a blank.
    rl_completion_append_character = c.Words.size() == 1 && c.Words[0].back() == '=' ? '\0' : ' ';
    gCandidates = std::move(c.Words);
    return gCandidates.empty() ? nullptr : rl_completion_matches(text, NextCandidate);
  } catch (...) {
    rl_attempted_completion_over = 1;
    return nullptr;
  }
}

// libedit edits characters, so it needs a UTF-8 character type while it reads (the
// shell's input is UTF-8 whatever the locale says). Only while it reads: the plugin's
// runs see the same "C" locale as in every other mode.
class Utf8Ctype {
 public:
  Utf8Ctype() : own_(std::setlocale(LC_CTYPE, nullptr)) {
    if (std::setlocale(LC_CTYPE, "") != nullptr && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) return;
    std::setlocale(LC_CTYPE, "C.UTF-8");
  }
  ~Utf8Ctype() { std::setlocale(LC_CTYPE, own_.c_str()); }
  Utf8Ctype(const Utf8Ctype&) = delete;
  Utf8Ctype& operator=(const Utf8Ctype&) = delete;

 private:
  std::string own_;
};

// One key for libedit: a character of the terminal's UTF-8 as its code point, or EOF
// (which drops the line being typed) when the terminal ends or a signal is pending; the
// flags are left for TakeSignal.
int ReadKey(FILE* /*stream*/) {
  for (;;) {
    if (gInterrupted || gEnded) return EOF;
    if (!WaitForInput()) continue;
    unsigned char byte = 0;
    const ssize_t n = read(STDIN_FILENO, &byte, 1);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n != 1) return EOF;
    if (byte < 0xC0 || byte >= 0xF8) return byte;  // ASCII, or a stray byte as it is
    const int more = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
    int code = byte & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
      if (read(STDIN_FILENO, &byte, 1) != 1) return EOF;
      code = (code << 6) | (byte & 0x3F);
    }
    return code;
  }
}

class EditingReader final : public LineReader {
 public:
  EditingReader() {
    rl_readline_name = "kwartlin-sim";
    rl_catch_signals = 0;
    rl_getc_function = ReadKey;
    rl_attempted_completion_function = Complete;
    rl_basic_word_break_characters = kWordBreaks;
    rl_completer_word_break_characters = kWordBreaks;
    // libedit learns at its start whether keys are UTF-8: otherwise it takes ó and Ó
    // (0xF3, 0xD3) for Meta keys and drops them.
    const Utf8Ctype ctype;
    rl_initialize();
    stifle_history(kHistoryLines);
  }

  ReadResult Read(std::string_view prompt, std::string& line) override {
    if (const std::optional<ReadResult> signal = TakeSignal()) return *signal;
    std::cout << std::flush;
    std::fflush(stdout);
    char* got = nullptr;
    {
      const Utf8Ctype ctype;
      got = readline(std::string(prompt).c_str());
    }
    if (got != nullptr) {
      // A signal that came after the line was entered is the next read's.
      line = got;
      std::free(got);
      if (!line.empty() && line != last_) add_history(line.c_str());
      last_ = line;
      return ReadResult::Line;
    }
    if (TakeSignal() == ReadResult::Interrupted) {
      // libedit leaves the cursor after the dropped text.
      std::fputs("\n", stdout);
      std::fflush(stdout);
      return ReadResult::Interrupted;
    }
    return ReadResult::End;
  }
  bool Interactive() const override { return true; }
  std::string_view Keys() const override {
    return Text(TextId::KeysLineEditing);
  }

 private:
  std::string last_;
};

#endif

}  // namespace

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) != 0; }
bool StdinIsTerminal() { return isatty(STDIN_FILENO) != 0; }

bool PrepareConsole() { return true; }

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

std::unique_ptr<LineReader> OpenStdinReader() {
  int fds[2];
  if (gWakeRead < 0 && pipe(fds) == 0) {
    for (int fd : fds) {
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    gWakeRead = fds[0];
    gWakeWrite = fds[1];
  }
  CatchSignals();
#ifdef KW_LINE_EDITING
  // Escapes and echo belong on a terminal, not in a file the output goes to.
  if (StdinIsTerminal() && StdoutIsTerminal()) return std::make_unique<EditingReader>();
#endif
  return std::make_unique<PlainReader>(StdinIsTerminal());
}

}  // namespace kwsim
