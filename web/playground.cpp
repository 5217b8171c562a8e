// The playground's engine: the C functions the page's worker calls. Each one answers a
// JSON text (UTF-8) that stays valid until the next call. Everything the page shows
// comes from here, and everything here is the simulator's or the plugin's own code:
//
// - a session is kwsim::Session with both of the simulator's reporters, so the page's
//   log is exactly what "kwartlin-sim run" prints, and its panels read the same events
//   as JSON;
// - the page's buttons become simulator command lines, fed through the transcript
//   reader (kwp_feed), so a line the simulator refuses is refused here alike;
// - the checker, the help lines and the command reference menu come from the
//   checker's library (check/) and the options page's tables and menu builder.
//
// Nothing may escape into JavaScript: every entry catches everything and answers an
// error object instead.
#include <emscripten/emscripten.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "check/checker.h"
#include "check/output.h"
#include "options/command_menu.h"
#include "options/view_headless.h"
#include "script/KwartlinConst.h"
#include "script/trace.h"
#include "script/variables.h"
#include "support/kwartlin_version.h"
#include "support/message.h"
#include "tools/sim/codec.h"
#include "tools/sim/driver.h"
#include "tools/sim/plugins_folder.h"
#include "tools/sim/report.h"
#include "tools/sim/session.h"
#include "tools/sim/trace_reader.h"
#include "tools/sim/trace_text.h"
#include "tools/sim/transcript.h"
#include "web/module_web.h"

namespace {

using kwsim::JsonString;

// The stand-in module file the session copies into its plugins folder (the code itself
// is linked in; see module_loader_web.cpp).
constexpr const char* kModuleFile = "/kwartlin/kwartlin.tpl";

// What the variables list shows: the panel is for reading, not for dumping 100,000
// variables or a 16 MiB value into the page.
constexpr std::size_t kMaxVariablesShown = 2000;
constexpr std::size_t kMaxValueShown = 4000;
// The trace panel likewise: its first records of a command.
constexpr std::size_t kMaxTraceShown = 2000;

std::string answer;  // the last answer, alive until the next call

const char* Answer(std::string json) {
  answer = std::move(json);
  return answer.c_str();
}

std::string ErrorJson(const std::string& message) {
  return "{\"ok\":false,\"errors\":[" + JsonString(message) + "]}";
}

// Runs one entry; anything thrown becomes an error answer.
const char* Guarded(const std::function<std::string()>& body) {
  try {
    return Answer(body());
  } catch (const std::exception& e) {
    return Answer(ErrorJson(e.what()));
  } catch (...) {
    return Answer(ErrorJson("unknown failure"));
  }
}

void EnsureModuleFile() {
  struct stat st {};
  if (::stat(kModuleFile, &st) == 0) return;
  ::mkdir("/kwartlin", 0777);
  std::ofstream(kModuleFile, std::ios::binary) << kwweb::ModuleFileImage();
}

// One trace record as a row of the page's panel, worded as the simulator's text layout
// words it: {"line": the file line when the record is at one, "text": the label and
// what happened}. Runs nested in a host call are indented.
std::string TraceRow(const kwsim::TraceItem& item) {
  const std::optional<kwsim::TraceLine> line = kwsim::DescribeTraceItem(item);
  if (!line) return {};
  return "{" + (line->FileLine > 0 ? "\"line\":" + std::to_string(line->FileLine) + "," : std::string()) +
         "\"text\":" + JsonString(kwsim::TraceLineText(*line)) + "}";
}

// Both of the simulator's layouts at once: the text for the log (and the comparison with
// a golden transcript), JSON for the page's panels; and the trace for its trace panel.
// The trace is asked for on its own, after the answer: the page shows what happened to
// a message first, and the panel's rows are worded while it does.
//
// The session traces every run, so the panel always has the lines; but a traced event
// prints its trace in both layouts, and the log must stay what "kwartlin-sim run" prints
// untraced. So the reporters get each event with only what an untraced session reports
// (the end of a run a bound stopped), unless the user's own "trace on" asked for all.
class BothReporters final : public kwsim::Reporter {
 public:
  BothReporters() : text_(textOut_, false), json_(jsonOut_) {}
  void Report(const kwsim::Event& event) override {
    for (const kwsim::TraceItem& item : event.Trace) {
      if (!kw::TraceEventFromWord(item.Kind)) continue;  // a kind the panel has no words for
      if (trace_.size() < kMaxTraceShown) trace_.push_back(item);
      else ++traceLeft_;
    }
    if (const auto* t = std::get_if<kwsim::TraceSwitchEvent>(&event.Data)) userTrace_ = t->On;
    if (userTrace_ || event.Trace.empty()) {
      text_.Report(event);
      json_.Report(event);
      return;
    }
    // Without the records: a traced run has one for every line it ran.
    kwsim::Event plain(event.Line, event.Data, event.Effects);
    for (const kwsim::TraceItem& item : event.Trace)
      if (kwsim::EndedByBound(item)) plain.Trace.push_back(item);
    text_.Report(plain);
    json_.Report(plain);
  }
  // The output since the last call, as "text" and "events" keys.
  std::string Take() {
    std::string events;
    std::istringstream lines(jsonOut_.str());
    for (std::string line; std::getline(lines, line);) {
      if (line.empty()) continue;
      events += events.empty() ? "" : ",";
      events += line;
    }
    std::string json = "\"text\":" + JsonString(textOut_.str()) + ",\"events\":[" + events + "]";
    textOut_.str({});
    jsonOut_.str({});
    return json;
  }
  // The trace since the last call, as the "trace" key: one row per record.
  std::string TakeTrace() {
    std::string rows;
    for (const kwsim::TraceItem& item : trace_) rows += (rows.empty() ? "" : ",") + TraceRow(item);
    if (traceLeft_ > 0) rows += ",{\"text\":" + JsonString("... " + std::to_string(traceLeft_) + " more") + "}";
    trace_.clear();
    traceLeft_ = 0;
    return "\"trace\":[" + rows + "]";
  }

 private:
  std::ostringstream textOut_, jsonOut_;
  kwsim::TextReporter text_;
  kwsim::JsonReporter json_;
  std::vector<kwsim::TraceItem> trace_;  // the panel's records since the last TakeTrace
  std::size_t traceLeft_ = 0;            // records since then past the panel's bound
  bool userTrace_ = false;          // the user's own "trace on" is in force
};

// The plugin's variables as the last command left them (names and values UTF-8).
std::string VariablesJson() {
  const kw::TZmienne& table = kw::VariableTable;
  std::string list;
  const std::size_t shown = std::min(table.size(), kMaxVariablesShown);
  for (std::size_t i = 0; i < shown; ++i) {
    const kw::TZmienna& v = table[i];
    const std::string value = kwsim::Cp1250ToUtf8(v.Value.substr(0, kMaxValueShown));
    list += i == 0 ? "" : ",";
    list += "{\"name\":" + JsonString(kwsim::Cp1250ToUtf8(v.Name)) + ",\"value\":" + JsonString(value) +
            ",\"bytes\":" + std::to_string(v.Value.size()) + ",\"save\":" + (v.Save ? "true" : "false") + "}";
  }
  return "\"variables\":[" + list + "],\"variableCount\":" + std::to_string(table.size());
}

class Playground {
 public:
  // A fresh messenger: the previous one closes first (its unload goes with its log).
  std::string Start(const std::string& pluginsFrom, const std::string& baseDir) {
    Finish();
    EnsureModuleFile();
    reporter_ = std::make_unique<BothReporters>();
    kwsim::SessionOptions options;
    options.ModulePath = kModuleFile;
    options.PluginsFrom = pluginsFrom;
    options.BaseDir = baseDir.empty() ? "/" : baseDir;
    options.Trace = true;  // for the trace panel; BothReporters keeps the log untraced
    session_ = std::make_unique<kwsim::Session>(options, *reporter_);
    std::vector<std::string> errors;
    try {
      session_->Start();
    } catch (const std::exception& e) {
      errors.push_back(e.what());
      session_.reset();
    }
    return Envelope(errors.empty() ? 0 : kwsim::kExitFailure, errors);
  }

  // Command lines, read whole first as a transcript is: a line that cannot be read
  // stops them all before any runs. A failing command stops the ones after it.
  std::string Feed(std::string_view text) {
    std::vector<std::string> errors;
    if (!session_) return Envelope(kwsim::kExitFailure, {"the messenger is not running: start it first"});
    std::vector<kwsim::Step> steps;
    try {
      steps = kwsim::ParseTranscript(text);
    } catch (const kwsim::TranscriptError& e) {
      return Envelope(kwsim::kExitUsage, {"line " + std::to_string(e.Line()) + ": " + e.what()});
    }
    int code = kwsim::kExitOk;
    for (const kwsim::Step& step : steps) {
      if (step.Kind == kwsim::Verb::Quit) break;
      try {
        session_->Execute(step);
      } catch (const std::exception& e) {
        errors.push_back("line " + std::to_string(step.Line) + ": " + e.what());
        code = kwsim::kExitFailure;
        break;
      }
    }
    return Envelope(code, errors);
  }

  // The data files as the data folder holds them now, as editor texts: Windows-1250
  // read as UTF-8, CR LF as LF, no line break after the last line (a "file ... <<END"
  // block writes the text back as the same bytes). null: no file. "folder" is where
  // the plugin reads them, for the page's download of their bytes.
  std::string Files() const {
    std::string json = "{\"ok\":true";
    if (session_) json += ",\"folder\":" + JsonString(kwsim::PathToUtf8(session_->DataPath(kwsim::DataFile::Script).parent_path()));
    for (const kwsim::DataFile file : {kwsim::DataFile::Script, kwsim::DataFile::Spam, kwsim::DataFile::Settings}) {
      json += ",\"" + std::string(kwsim::DataFileName(file)) + "\":";
      std::optional<std::string> bytes;
      if (session_) bytes = kwsim::ReadBytes(session_->DataPath(file));
      if (!bytes) {
        json += "null";
        continue;
      }
      std::string text;
      for (std::size_t i = 0; i < bytes->size(); ++i) {
        if ((*bytes)[i] == '\r' && i + 1 < bytes->size() && (*bytes)[i + 1] == '\n') continue;
        text += (*bytes)[i];
      }
      if (!text.empty() && text.back() == '\n') text.pop_back();
      json += JsonString(kwsim::Cp1250ToUtf8(text));
    }
    return json + "}";
  }

  // Where the running messenger keeps its settings file, for the page to keep a copy of;
  // null when none runs.
  std::string SettingsPath() const {
    if (!session_) return "{\"ok\":true,\"path\":null}";
    const std::string path = kwsim::PathToUtf8(session_->DataPath(kwsim::DataFile::Settings));
    return "{\"ok\":true,\"path\":" + JsonString(path) + "}";
  }

  // Closes the messenger as the end of a transcript does (the unload is reported).
  std::string Finish() {
    std::vector<std::string> errors;
    if (session_) {
      try {
        session_->Finish();
      } catch (const std::exception& e) {
        errors.push_back(e.what());
      }
    }
    std::string json = reporter_ ? Envelope(kwsim::kExitOk, errors) : std::string();
    closedTrace_ = reporter_ ? reporter_->TakeTrace() : "\"trace\":null";
    session_.reset();
    reporter_.reset();
    return json;
  }

  // The trace panel's rows since the last call: the running messenger's, or what the
  // one closed last ran last (its unload); null when there is no trace at all.
  std::string Trace() {
    if (reporter_) return "{\"ok\":true," + reporter_->TakeTrace() + "}";
    return "{\"ok\":true," + std::exchange(closedTrace_, "\"trace\":null") + "}";
  }

 private:
  std::string Envelope(int code, const std::vector<std::string>& errors) {
    std::string json = "{\"ok\":" + std::string(code == 0 ? "true" : "false") + ",\"code\":" + std::to_string(code);
    if (reporter_) json += "," + reporter_->Take();
    json += ",\"errors\":[";
    for (std::size_t i = 0; i < errors.size(); ++i) json += (i ? "," : "") + JsonString(errors[i]);
    return json + "]," + VariablesJson() + "}";
  }

  std::unique_ptr<BothReporters> reporter_;
  std::unique_ptr<kwsim::Session> session_;
  std::string closedTrace_ = "\"trace\":null";
};

Playground& ThePlayground() {
  static Playground playground;
  return playground;
}

std::string FindingsJson(const std::vector<kwcheck::TFinding>& findings) {
  std::string list;
  for (const kwcheck::TFinding& f : findings) {
    list += list.empty() ? "" : ",";
    list += kwcheck::FindingJson(f);
  }
  return "[" + list + "]";
}

// An editor's text as the file the page would write from it: each line in
// Windows-1250 and ended by CR LF, as a "file ... <<END" block writes it. A line the
// code page cannot hold is reported (the page refuses to write it) and checked with its
// characters as question marks, so the other findings keep their lines and columns (a
// Windows-1250 byte is one character, as a question mark is).
std::string EditorFile(std::string_view text, std::vector<kwcheck::TFinding>& findings) {
  std::string bytes;
  int line = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view utf8 = text.substr(start, end - start);
    if (!utf8.empty() && utf8.back() == '\r') utf8.remove_suffix(1);
    ++line;
    std::string wire, error;
    if (!kwsim::Utf8ToCp1250(utf8, wire, error)) {
      wire.clear();
      for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) wire += static_cast<char>(c);
        else if ((c & 0xC0) != 0x80) wire += '?';
      }
      kwcheck::TFinding f;
      f.Line = line;
      f.Code = 503;
      f.Column = 1;
      f.EndColumn = static_cast<int>(wire.size()) + 1;
      f.Message = kwcheck::TMessage::UnsavableCharacter;
      f.Fields = {{"error", error}};
      findings.push_back(std::move(f));
    }
    bytes += wire;
    bytes += "\r\n";
    start = end + 1;
  }
  return bytes;
}

std::string CheckJson(std::string_view text, bool spam) {
  std::vector<kwcheck::TFinding> findings;
  const std::string bytes = EditorFile(text, findings);
  std::vector<kwcheck::TFinding> checked = spam ? kwcheck::CheckSpamList(bytes) : kwcheck::CheckScript(bytes);
  findings.insert(findings.end(), checked.begin(), checked.end());
  std::stable_sort(findings.begin(), findings.end(), [](const kwcheck::TFinding& a, const kwcheck::TFinding& b) {
    return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
  });
  return "{\"ok\":true,\"findings\":" + FindingsJson(findings) + "}";
}

// The options page's two help lines for an editor line, as the form finds them.
std::string HelpJson(std::string_view lineUtf8) {
  std::string line, error;
  if (!kwsim::Utf8ToCp1250(lineUtf8, line, error)) line.clear();
  const int i = kw::FindCommandIndex(line);
  if (i < 0 || i >= kw::kCommandCount) return "{\"ok\":true,\"syntax\":\"\",\"description\":\"\"}";
  return "{\"ok\":true,\"command\":" + std::to_string(i) +
         ",\"syntax\":" + JsonString(kwsim::Cp1250ToUtf8(kw::CommandTable[i].Syntax)) +
         ",\"description\":" + JsonString(kwsim::Cp1250ToUtf8(kw::CommandTable[i].Description)) + "}";
}

// The command reference menu as the options page builds it, item by item, with the
// text each entry inserts (and a command's help lines, for its tooltip).
std::string MenuItemsJson(const kw::THeadlessOptionsView& view, int parent) {
  std::string list;
  for (int id : view.MenuChildren(parent)) {
    const kw::TMenuItem& item = view.MenuItem(id);
    std::string kind = "entry";
    if (item.Kind == kw::TMenuItemKind::Header) kind = "header";
    else if (item.Kind == kw::TMenuItemKind::Separator) kind = "separator";
    else if (item.Kind == kw::TMenuItemKind::Submenu) kind = "submenu";
    list += list.empty() ? "" : ",";
    list += "{\"kind\":\"" + kind + "\",\"caption\":" + JsonString(kwsim::Cp1250ToUtf8(item.Caption));
    if (item.Kind == kw::TMenuItemKind::Entry) {
      list += ",\"insert\":" + JsonString(kwsim::Cp1250ToUtf8(kw::MenuItemInsertText(item)));
      if (item.Section == 0 && item.Tag >= 0 && item.Tag < kw::kCommandCount) {
        list += ",\"syntax\":" + JsonString(kwsim::Cp1250ToUtf8(kw::CommandTable[item.Tag].Syntax));
        list += ",\"description\":" + JsonString(kwsim::Cp1250ToUtf8(kw::CommandTable[item.Tag].Description));
      }
    }
    if (item.Kind == kw::TMenuItemKind::Submenu) list += ",\"items\":" + MenuItemsJson(view, id);
    list += "}";
  }
  return "[" + list + "]";
}

std::string MenuJson() {
  kw::THeadlessOptionsView view;
  kw::BuildCommandMenu(view);
  return "{\"ok\":true,\"items\":" + MenuItemsJson(view, -1) + "}";
}

// A whole transcript in a session of its own, as "kwartlin-sim run [--expect]" plays it.
// The program holds one plugin, as a process holds one loaded module: the page's own
// messenger closes first (without a word in its log), or the two would share it.
std::string RunJson(std::string_view transcript, const std::string& pluginsFrom, const std::string& baseDir,
                    const std::string& expected) {
  ThePlayground().Finish();
  EnsureModuleFile();
  kwsim::RunOptions options;
  options.Module = kModuleFile;
  options.PluginsFrom = pluginsFrom;
  std::ostringstream out, err;
  int code = kwsim::RunTranscript(transcript, "transcript", baseDir.empty() ? "/" : baseDir, options, out, err);
  std::string json = "{\"ok\":" + std::string(code == 0 ? "true" : "false") + ",\"code\":" + std::to_string(code);
  if (code == kwsim::kExitOk && !expected.empty()) {
    const int compared = kwsim::CompareWithExpected(out.str(), expected, err);
    json += ",\"matches\":" + std::string(compared == kwsim::kExitOk ? "true" : "false");
  }
  return json + ",\"text\":" + JsonString(out.str()) + ",\"errors\":[" + JsonString(err.str()) + "]}";
}

// The language's vocabulary from the engine's own tables, for the editor's highlighting,
// completion and hover: commands (as people write them, with their two help lines),
// constants, special labels and program variables; each command's parameters with their
// role and use, from the command list's signatures. Texts UTF-8.
std::string LanguageJson() {
  std::string commands, constants, labels, variables;
  const auto add = [](std::string& list, const std::string& item) { list += (list.empty() ? "" : ",") + item; };
  static constexpr std::string_view kAccess[] = {"read", "write", "modify", "asWritten"};
  for (int i = 0; i < kw::kCommandCount; ++i) {
    const kw::TParamSignature& signature = kw::kSignatures[i];
    std::string params;
    for (std::size_t n = 0; n < signature.Count; ++n) {
      const kw::TParamRoleName& role = kw::kParamRoleNames[static_cast<std::size_t>(signature.Params[n].Role)];
      add(params, "{\"role\":" + JsonString(role.Id) + ",\"name\":" + JsonString(role.English) +
                      ",\"namePl\":" + JsonString(kwsim::Cp1250ToUtf8(role.Polish)) + ",\"access\":" +
                      JsonString(kAccess[static_cast<std::size_t>(signature.Params[n].Access)]) + "}");
    }
    add(commands, "{\"word\":" + JsonString(kwsim::Cp1250ToUtf8(kw::kCommandList[i].Word)) +
                      ",\"syntax\":" + JsonString(kwsim::Cp1250ToUtf8(kw::CommandTable[i].Syntax)) +
                      ",\"description\":" + JsonString(kwsim::Cp1250ToUtf8(kw::CommandTable[i].Description)) +
                      ",\"params\":[" + params + "],\"rest\":" + (signature.Rest ? "true" : "false") +
                      ",\"repeats\":" + (signature.LastRepeats ? "true" : "false") + "}");
  }
  for (const kw::TStala& c : kw::ConstantTable)
    add(constants, "{\"name\":" + JsonString(kwsim::Cp1250ToUtf8(c.Name)) +
                       ",\"value\":" + JsonString(kwsim::Cp1250ToUtf8(c.Value)) + "}");
  for (const kw::TEtykietaSpec& l : kw::SpecialLabelTable)
    add(labels, "{\"name\":" + JsonString(kwsim::Cp1250ToUtf8(l.Name)) +
                    ",\"params\":" + JsonString(kwsim::Cp1250ToUtf8(l.Params)) + "}");
  for (const std::string_view v : kw::ProgramVariableNames) add(variables, JsonString(kwsim::Cp1250ToUtf8(v)));
  return "{\"ok\":true,\"commands\":[" + commands + "],\"constants\":[" + constants + "],\"labels\":[" + labels +
         "],\"variables\":[" + variables + "]}";
}

std::string InfoJson() {
  return "{\"ok\":true,\"name\":\"Kwartlin\",\"version\":\"" KW_VERSION_TEXT "\",\"commands\":" +
         std::to_string(kw::kCommandCount) + ",\"pointerBytes\":" + std::to_string(sizeof(void*)) + "}";
}

// A text from the page: its bytes and their count (a zero byte is part of the text).
std::string Text(const char* bytes, int length) {
  return bytes != nullptr && length > 0 ? std::string(bytes, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

// Texts come as a pointer and a byte count each.
extern "C" {

EMSCRIPTEN_KEEPALIVE const char* kwp_info() { return Guarded([] { return InfoJson(); }); }

// A fresh messenger whose data folder starts with the files of pluginsFrom (may be
// empty); "file ... from PATH" paths start at baseDir.
EMSCRIPTEN_KEEPALIVE const char* kwp_start(const char* pluginsFrom, int pluginsFromLength, const char* baseDir,
                                           int baseDirLength) {
  return Guarded([&] {
    return ThePlayground().Start(Text(pluginsFrom, pluginsFromLength), Text(baseDir, baseDirLength));
  });
}

// Simulator command lines, one or more, separated by line feeds.
EMSCRIPTEN_KEEPALIVE const char* kwp_feed(const char* commands, int length) {
  return Guarded([&] { return ThePlayground().Feed(Text(commands, length)); });
}

// The trace of what ran since the last call (start, feed, finish), for the trace panel.
EMSCRIPTEN_KEEPALIVE const char* kwp_trace() {
  return Guarded([] { return ThePlayground().Trace(); });
}

EMSCRIPTEN_KEEPALIVE const char* kwp_files() {
  return Guarded([] { return ThePlayground().Files(); });
}

EMSCRIPTEN_KEEPALIVE const char* kwp_settings_path() {
  return Guarded([] { return ThePlayground().SettingsPath(); });
}

EMSCRIPTEN_KEEPALIVE const char* kwp_finish() {
  return Guarded([] { return ThePlayground().Finish(); });
}

// The checker's findings for an editor's text (spam != 0: a spam list).
EMSCRIPTEN_KEEPALIVE const char* kwp_check(const char* text, int length, int spam) {
  return Guarded([&] { return CheckJson(Text(text, length), spam != 0); });
}

EMSCRIPTEN_KEEPALIVE const char* kwp_help(const char* line, int length) {
  return Guarded([&] { return HelpJson(Text(line, length)); });
}

EMSCRIPTEN_KEEPALIVE const char* kwp_menu() { return Guarded([] { return MenuJson(); }); }

EMSCRIPTEN_KEEPALIVE const char* kwp_language() { return Guarded([] { return LanguageJson(); }); }

// The page's language, for every text the engine words from here on; anything but
// "pl" is English.
EMSCRIPTEN_KEEPALIVE const char* kwp_set_text_language(const char* name, int length) {
  return Guarded([&] {
    kw::SetTextLanguage(kw::LanguageNamed(Text(name, length)).value_or(kw::Language::English));
    return std::string("{}");
  });
}

// A whole transcript in a session of its own; with expected (a file path), compared.
EMSCRIPTEN_KEEPALIVE const char* kwp_run(const char* transcript, int transcriptLength, const char* pluginsFrom,
                                         int pluginsFromLength, const char* baseDir, int baseDirLength,
                                         const char* expected, int expectedLength) {
  return Guarded([&] {
    return RunJson(Text(transcript, transcriptLength), Text(pluginsFrom, pluginsFromLength),
                   Text(baseDir, baseDirLength), Text(expected, expectedLength));
  });
}

}  // extern "C"
