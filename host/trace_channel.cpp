// The trace channel's writer: the engine's trace sink (script/trace.h) turned into
// JSON lines in the file the host named. Every text is Windows-1250 in the plugin; in
// the file it is plain ASCII JSON, each character past ASCII written as its \uXXXX
// (the five bytes the code page leaves unused as \u0081 and so on, their own value), so
// any JSON reader gets the real text. Texts longer than kShownBytes are cut there, and
// their full length comes beside them.
//
// What a trace of a long run costs is bounded: after kMaxTracedLines line events in one
// run (the runs nested in it included) the run goes on untraced and only its end is
// written; the table after a run lists at most kMaxTracedVariables variables. The file
// is flushed when a run nobody waits for has ended and before each call to the host,
// so a host reading the file while it answers sees what led to the call.
//
// Line numbers: a run of the plugin's own script gives each line's number in the
// script file, found by preparing the file's lines one by one as the loader does; a
// run of other lines (or of a script file changed since the load) gives only the
// prepared line's index.
#include "host/trace_channel.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/globals.h"
#include "host/trace_file.h"
#include "script/KwartlinConst.h"
#include "script/loader.h"
#include "script/text.h"
#include "script/trace.h"
#include "script/variables.h"
#include "support/cp1250.h"
#include "support/platform.h"

namespace kw {
namespace {

constexpr std::size_t kShownBytes = 256;
// An IF's two texts that first differ at kNearFrom or later are also shown from
// kNearBefore bytes before the difference, kNearBytes of each.
constexpr std::size_t kNearFrom = 32;
constexpr std::size_t kNearBefore = 16;
constexpr std::size_t kNearBytes = 48;
constexpr std::int64_t kMaxTracedLines = 10'000;
constexpr std::size_t kMaxTracedVariables = 10'000;

// One JSON object, keys in the order added.
class Json {
 public:
  // A text, cut when long; a cut one has its full length beside it as key_bytes.
  Json& Text(std::string_view key, std::string_view text) {
    Key(key);
    Quote(text.substr(0, kShownBytes));
    if (text.size() > kShownBytes) Number(WithBytes(key), static_cast<std::int64_t>(text.size()));
    return *this;
  }
  // A value the script works with: cut when long, its full length always beside it as
  // key_bytes; null when absent.
  Json& Value(std::string_view key, std::optional<std::string_view> text) {
    if (!text) return Raw(key, "null");
    Key(key);
    Quote(text->substr(0, kShownBytes));
    return Number(WithBytes(key), static_cast<std::int64_t>(text->size()));
  }
  Json& Event(TTraceEvent event) { return Text("event", TraceEventWord(event)); }
  Json& Number(std::string_view key, std::int64_t n) { return Raw(key, std::to_string(n)); }
  Json& Flag(std::string_view key, bool flag) { return Raw(key, flag ? "true" : "false"); }
  // A file line number, or null when it is not known.
  Json& Line(std::string_view key, int line) { return line > 0 ? Number(key, line) : Raw(key, "null"); }
  // Texts, each cut when long; when one is, the lengths of all come as key_bytes.
  Json& Texts(std::string_view key, const std::vector<std::string>& texts) {
    Key(key);
    body_ += '[';
    std::string lengths;
    bool cut = false;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (i > 0) body_ += ',', lengths += ',';
      Quote(std::string_view(texts[i]).substr(0, kShownBytes));
      lengths += std::to_string(texts[i].size());
      cut = cut || texts[i].size() > kShownBytes;
    }
    body_ += ']';
    if (cut) Raw(WithBytes(key), "[" + lengths + "]");
    return *this;
  }
  Json& Raw(std::string_view key, std::string_view json) {
    Key(key);
    body_ += json;
    return *this;
  }
  const std::string& Done() {
    body_ += "}\n";
    return body_;
  }

 private:
  static std::string WithBytes(std::string_view key) {
    std::string bytes(key);
    bytes += "_bytes";
    return bytes;
  }
  void Key(std::string_view key) {
    body_ += body_.empty() ? "{\"" : ",\"";
    body_ += key;
    body_ += "\":";
  }
  void Quote(std::string_view text) {
    body_ += '"';
    for (const char c : text) {
      const auto b = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        body_ += '\\';
        body_ += c;
      } else if (b >= 0x20 && b < 0x7F) {
        body_ += c;
      } else {
        const unsigned code = b < 0x80 ? b : (kCp1250High[b - 0x80] != 0 ? kCp1250High[b - 0x80] : b);
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", code);
        body_ += escape;
      }
    }
    body_ += '"';
  }

  std::string body_;
};

std::string_view EntryName(int entryCode) {
  const int code = entryCode >= 0 && entryCode < kSpecialLabelCount ? entryCode : entryStart;
  return SpecialLabelTable[code].Name;
}

// Two texts an IF compared and found different: where they first differ, and when that
// lies past their first bytes, both texts around that place, so two long values that
// only differ late do not look alike once cut.
void Difference(Json& j, std::string_view left, std::string_view right) {
  const auto [l, r] = std::mismatch(left.begin(), left.end(), right.begin(), right.end());
  if (l == left.end() && r == right.end()) return;
  const auto at = static_cast<std::size_t>(l - left.begin());
  j.Number("differs_at", static_cast<std::int64_t>(at));
  if (at < kNearFrom) return;
  const std::size_t from = at - kNearBefore;
  j.Number("near_from", static_cast<std::int64_t>(from));
  j.Text("left_near", left.substr(from, kNearBytes)).Text("right_near", right.substr(from, kNearBytes));
}

class TFileTraceSink final : public ITraceSink {
 public:
  bool Open() {
    Close();
    file_ = OpenTraceFile();
    mappedVersion_ = 0;
    mappedText_.reset();
    fileLines_.clear();
    return file_ != nullptr;
  }
  void Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
  }

  void TellVariables() noexcept {
    try {
      WriteVariables();
      Flush();
    } catch (...) {
    }
  }

  // Whatever the level: a save that failed or a value cut at load matter to every host.
  void TellSettingsLoaded(const std::vector<TUncheckedValue>& unchecked, bool unreadable) noexcept {
    if (file_ == nullptr) return;
    try {
      if (unreadable) {
        Json j;
        j.Text("event", "settings").Text("action", "load").Flag("readable", false);
        Put(j.Text("reason", "the file is there but cannot be read; no save replaces it until a load reads it"));
      }
      for (const TUncheckedValue& u : unchecked) {
        Json j;
        j.Text("event", "settings").Text("action", "load").Text("name", u.Name);
        Put(j.Number("loaded_bytes", static_cast<std::int64_t>(u.LoadedBytes)).Text("reason", u.Reason));
      }
      Flush();
    } catch (...) {
    }
  }

  void TellSettingsSaved(bool written, std::string_view failure,
                         const std::vector<TLeftOutValue>& leftOut) noexcept {
    if (file_ == nullptr) return;
    try {
      for (const TLeftOutValue& v : leftOut) {
        Json left;
        Put(left.Text("event", "settings").Text("action", "leave").Text("name", v.Name).Text("reason", v.Reason));
      }
      Json j;
      j.Text("event", "settings").Text("action", "save").Flag("written", written);
      if (!written) j.Text("reason", failure);
      Put(j);
      Flush();
    } catch (...) {
    }
  }

  bool WantsLines() override { return file_ != nullptr && lines_ && !cut_; }

  void RunStarted(const TScriptLines& lines, int entryCode, int depth) override {
    if (file_ == nullptr) return;
    try {
      if (depth <= 1) {
        // The level is read per run, so a host may switch between runs.
        lines_ = TraceEnvironment(kTraceLevelVariable) != "runs";
        traced_ = 0;
        cut_ = false;
        MapFileLines(lines);
      }
      if (cut_) return;
      Json j;
      Put(j.Event(TTraceEvent::Run).Number("depth", depth).Text("entry", EntryName(entryCode)));
    } catch (...) {
    }
  }

  bool Line(std::int64_t index, std::string_view text) override {
    if (file_ == nullptr || cut_) return false;
    try {
      if (traced_ >= kMaxTracedLines) {
        cut_ = true;
        Json j;
        Put(j.Event(TTraceEvent::Cut).Number("lines", traced_));
        return false;
      }
      ++traced_;
      Json j;
      Put(j.Event(TTraceEvent::Line).Number("index", index).Line("line", FileLine(index)).Text("text", text));
      return true;
    } catch (...) {
      return false;
    }
  }

  void Condition(const TTraceCondition& c) override {
    Tell([&](Json& j) {
      j.Event(TTraceEvent::If).Flag("complete", c.Complete).Value("left", c.Left).Text("operator", c.Operator);
      j.Value("right", c.Right).Flag("numbers", c.Numbers).Flag("holds", c.Holds);
      if (c.Complete && !c.Numbers) Difference(j, c.Left, c.Right);
      if (c.Skipped >= 0) j.Number("skipped_index", c.Skipped).Line("skipped_line", FileLine(c.Skipped));
    });
  }

  void Jump(const TTraceJump& jump) override {
    Tell([&](Json& j) {
      j.Event(jump.Kind == TJumpKind::Goto ? TTraceEvent::Goto
              : jump.Kind == TJumpKind::Call ? TTraceEvent::Call
                                             : TTraceEvent::Ret);
      if (jump.Kind != TJumpKind::Ret) j.Text("label", jump.Label);
      j.Flag("found", jump.Found).Number("to_index", jump.To).Line("to_line", FileLine(jump.To));
    });
  }

  void Write(const TTraceWrite& write) override {
    Tell([&](Json& j) { j.Event(TTraceEvent::Write).Text("name", write.Name).Value("old", write.Old).Value("new", write.New); });
  }

  void SaveFlag(const TTraceSaveFlag& flag) override {
    Tell([&](Json& j) {
      j.Event(TTraceEvent::Save).Text("name", flag.Name).Flag("existed", flag.Existed);
      j.Flag("old", flag.Old).Flag("new", flag.New);
    });
  }

  void HostCall(const TTraceHostCall& call) override {
    Tell([&](Json& j) {
      j.Event(TTraceEvent::Host).Text("call", call.Name).Texts("args", call.Args);
      if (!call.Answer.empty()) j.Texts("answer", call.Answer);
    });
    // A call that answers has been made already; any other one is about to be.
    if (call.Answer.empty()) Flush();
  }

  void RunEnded(const TTraceEnd& end, int entryCode, int depth) override {
    if (file_ == nullptr) return;
    try {
      if (!cut_ || depth <= 1) {
        Json j;
        j.Event(TTraceEvent::End).Number("depth", depth).Text("entry", EntryName(entryCode));
        j.Text("how", RunEndName(end.How)).Number("index", end.Index).Line("line", FileLine(end.Index));
        j.Flag("before", end.Before);
        j.Number("bound", end.Bound).Number("lines_run", end.Lines).Number("bytes", end.Bytes);
        if (end.How == TRunEnd::ValueBound) j.Number("refused", static_cast<std::int64_t>(end.Refused));
        Put(j);
      }
      if (depth <= 1) {
        WriteVariables();
        Flush();
      }
    } catch (...) {
    }
  }

 private:
  template <class Fill>
  void Tell(Fill fill) noexcept {
    if (file_ == nullptr || cut_) return;
    try {
      Json j;
      fill(j);
      Put(j);
    } catch (...) {
    }
  }

  void Put(Json& j) {
    const std::string& line = j.Done();
    std::fwrite(line.data(), 1, line.size(), file_);
  }

  void Flush() {
    if (file_ != nullptr) std::fflush(file_);
  }

  void WriteVariables() {
    if (file_ == nullptr) return;
    const std::size_t shown = std::min(kw::VariableTable.size(), kMaxTracedVariables);
    Json head;
    Put(head.Event(TTraceEvent::Vars).Number("count", static_cast<std::int64_t>(kw::VariableTable.size()))
              .Number("shown", static_cast<std::int64_t>(shown)));
    for (std::size_t i = 0; i < shown; ++i) {
      const TZmienna& v = kw::VariableTable[i];
      Json j;
      Put(j.Event(TTraceEvent::Var).Text("name", v.Name).Value("value", v.Value).Flag("save", v.Save));
    }
  }

  // The script file's line of each prepared line, when the lines run are the plugin's
  // script as the file gives it now. The file is read again for every run nobody waits
  // for: a host may write it without a reload (the lines run are then the old ones, and
  // numbered only while the new file still prepares to them). Worked out again only
  // when the file or the script changed.
  void MapFileLines(const TScriptLines& lines) {
    mapped_ = false;
    if (&lines != &ScriptLines) return;
    std::string text;
    if (!FileExists(ScriptPath) || !ReadWholeFile(ScriptPath, text)) {
      mappedText_.reset();
      return;
    }
    if (mappedText_ && *mappedText_ == text && mappedVersion_ == ScriptLines.Version()) {
      mapped_ = fileLines_.size() == ScriptLines.size();
      return;
    }
    mappedVersion_ = ScriptLines.Version();
    mappedText_ = text;
    fileLines_.clear();
    // The script ends at a zero byte, as it does for the loader.
    text.resize(std::min(text.find('\0'), text.size()));
    const std::vector<std::string> fileLines = SplitFileLines(text);
    std::vector<int> numbers;
    for (std::size_t i = 0; i < fileLines.size(); ++i) {
      const std::vector<std::string> kept = ScriptLinesFromText(fileLines[i]);
      if (kept.empty()) continue;
      if (numbers.size() >= ScriptLines.size() || kept.front() != ScriptLines[numbers.size()]) return;
      numbers.push_back(static_cast<int>(i) + 1);
    }
    if (numbers.size() != ScriptLines.size()) return;
    fileLines_ = std::move(numbers);
    mapped_ = true;
  }

  // The file line of a prepared line, or 0 when it is not known.
  int FileLine(std::int64_t index) const {
    if (!mapped_ || index < 0 || static_cast<std::size_t>(index) >= fileLines_.size()) return 0;
    return fileLines_[static_cast<std::size_t>(index)];
  }

  std::FILE* file_ = nullptr;
  bool lines_ = true;          // this run tells its lines (the level is not "runs")
  std::int64_t traced_ = 0;    // line events of the current outermost run
  bool cut_ = false;           // its lines stopped at kMaxTracedLines
  bool mapped_ = false;        // fileLines_ holds the lines of the run's script
  std::uint64_t mappedVersion_ = 0;        // ScriptLines' version that fileLines_ was made for
  std::optional<std::string> mappedText_;  // the script file that fileLines_ was made from
  std::vector<int> fileLines_;             // file line (from 1) of each prepared line; empty
                                           // when the lines run are not the file's
};

// A static object, never destroyed while the module is loaded: a run that holds the
// sink while a nested unload closes the channel still reaches a live object (it then
// writes nothing).
TFileTraceSink channel;

}  // namespace

void OpenTraceChannel() {
  CloseTraceChannel();
  if (channel.Open()) InstallTraceSink(&channel);
}

void CloseTraceChannel() {
  if (TraceSink() == &channel) InstallTraceSink(nullptr);
  channel.Close();
}

void TraceVariableTable() {
  if (TraceSink() == &channel) channel.TellVariables();
}

void TraceSettingsLoaded(const std::vector<TUncheckedValue>& unchecked, bool unreadable) {
  if (TraceSink() == &channel) channel.TellSettingsLoaded(unchecked, unreadable);
}

void TraceSettingsSaved(bool written, std::string_view failure, const std::vector<TLeftOutValue>& leftOut) {
  if (TraceSink() == &channel) channel.TellSettingsSaved(written, failure, leftOut);
}

}  // namespace kw
