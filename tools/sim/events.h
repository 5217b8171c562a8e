// What the simulator reports: one Event per command (and one for the load at the start
// and the unload at the end), each with the effects the plugin had on the host while it
// handled that command, in the order they happened. Texts here are UTF-8, converted from
// the wire at the boundary; the renderers (report.h) only lay them out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "script/trace.h"

namespace kwsim {

// ---- Effects: what the plugin did to the host -------------------------------------

// A message the script sent (SEND): "PFSendMessage" on a protocol.
struct SentEffect {
  std::string Protocol;       // protocol the plugin chose
  std::string To;             // recipient id
  std::string Text;           // message text
  std::int32_t Mark = 0;      // the plugin's own mark (1234)
  bool BlockedByHook = false; // the plugin's hook blocked its own message on the way out
};

// The user's status changed by the script (SETSTS): "PFChangeUserState".
struct StatusEffect {
  std::string Protocol;       // protocol as the plugin passed it
  std::int32_t Status = 0;    // new status number
  std::string Description;    // new description
  bool Served = true;         // the host has that protocol
};

// An item of the contact-list popup added or deleted by the plugin.
struct MenuEffect {
  bool Added = true;          // true "Tlen/AddMenuItem", false "Tlen/DeleteMenuItem"
  std::string Id;             // item id
  std::string Caption;        // caption when added; last known caption when deleted
};

// What became of the settings file during the command: it changed on disk; a save
// wrote nothing (the plugin's trace says why); the load found a long value whose
// pieces did not check, loaded its first piece and left the rest in the file; the load
// could not read the file; or a save left a variable out that the file cannot hold.
struct SettingsEffect {
  enum class Kind { Written, NotWritten, PiecesKept, NotRead, LeftOut };
  Kind What = Kind::Written;
  std::string Reason;          // all but Written: why, as the plugin told it
  std::string Name;            // PiecesKept, LeftOut: the variable
  std::int64_t LoadedBytes = 0;  // PiecesKept: bytes of the value loaded (0: none)
};

using Effect = std::variant<SentEffect, StatusEffect, MenuEffect, SettingsEffect>;

// ---- Events: one per command --------------------------------------------------------

// The module loaded (LoadPlugin done, _init run): at the start, and by "start".
struct LoadEvent {
  std::string Name;                    // PluginInfoDef Name
  std::string Version;                 // "a.b.c.d" from PluginInfoDef Version
  std::vector<std::string> DataFiles;  // data files present at load, in a fixed order
};

// UnloadPlugin done: at the end, and by "stop".
struct UnloadEvent {};

// UnloadPlugin, a fresh module, LoadPlugin.
struct RestartEvent {
  std::vector<std::string> DataFiles;  // data files present at the new load
};

// recv and send.
struct MessageEvent {
  bool Incoming = true;       // recv (event 1) or send (event 5)
  std::string Protocol;
  std::string Contact;
  std::string Text;           // as the host handed it over
  bool Hooked = false;        // a hook was registered for the protocol
  std::int32_t Result = 0;    // the hook's answer: -1 block, 0 pass
  std::string Back;           // the text the host got back
};

// An item the popup showed.
struct ShownItem {
  std::string Id;
  std::string Caption;
  bool Main = false;          // the plugin's own top item
};

struct PopupEvent {
  std::string Contact;
  std::int32_t Result = 0;           // the menu callback's answer
  std::vector<ShownItem> Shown;      // in the order the plugin showed them
};

struct ClickEvent {
  std::string Contact;
  std::string Item;           // as written in the command
  std::string Id;             // item id clicked
  std::string Caption;        // its caption, empty when the host has no such item
  bool Known = false;         // the host has a live item with that id
  std::int32_t Result = 0;    // the menu callback's answer
};

struct StatusEvent {
  std::string Protocol;
  std::int32_t Status = 0;
  std::string Description;
};

struct ContactEvent {
  std::string Id;
  bool Added = false;         // new in the list (else changed)
  std::string Name;           // the element after the change
  std::string Group;
  std::string Description;
  std::int32_t Flags = 0;
};

struct ServiceEvent {
  std::string Name;           // the service called
  std::string Text;           // its text
  bool Found = false;         // the plugin had registered it
  std::int64_t Result = 0;    // its answer
};

struct FileEvent {
  std::string Which;          // "script", "spam", "settings"
  std::string FileName;       // "Kwartlin.dat", ...
  bool Deleted = false;       // removed instead of written
  std::size_t Lines = 0;      // lines written
  std::size_t Bytes = 0;      // bytes written
  std::string Note;           // when the plugin will see the change
};

struct ShowFileEvent {
  std::string Which;
  std::string FileName;
  bool Exists = false;
  std::vector<std::string> Lines;  // its lines, UTF-8, without line breaks
};

struct OptionsEvent {
  std::string Action;         // show, hide, save, destroy, type, key, caret, help, menu, text
  bool Available = false;     // the page is registered (and, for the user's acts, open)
  std::int32_t Result = 0;    // the page callback's answer
  std::string PageName;       // what the plugin wrote into the record
  std::string PageDescription;
  std::string Note;           // why nothing happened, when Available is false
  // The user's acts on the open page.
  std::string Editor;         // type, key, caret, text: "script" or "spam"; else empty
  std::string Input;          // type: the text; key: "tab" or "enter"; menu: the caption;
                              // caret: "LINE COLUMN" as written
  bool Chosen = false;        // menu: an entry had that caption and was chosen
  int CaretLine = 0;          // type, key, caret, menu: the editor's caret afterwards,
  int CaretColumn = 0;        // 1-based; 0 when not reported
  std::string Syntax;         // help: the first help line (Label1)
  std::string Description;    // help: the second help line (Label2)
  std::vector<std::string> Lines;  // text: the editor's lines, not counting an empty last
  std::vector<std::string> ErrorBoxes;  // page actions: the texts of the error boxes shown
};

struct EchoEvent {
  std::string Text;
};

struct HelpEvent {
  std::vector<std::string> Lines;
};

// A variable of the plugin's table, as the trace channel reported it after the last
// run (or after the service set one).
struct VariableRow {
  std::string Name;           // "$" and the name, upper case, as the plugin keeps it
  std::string Value;          // cut to the channel's 256 bytes when long
  std::int64_t Bytes = 0;     // the value's full length in bytes (Windows-1250)
  bool Save = false;          // the save flag: written to Kwartlin.ini at the unload
};

// vars [PATTERN]: the table after the last event.
struct VarsEvent {
  std::string Pattern;              // as written; empty: every variable
  bool Loaded = false;              // the plugin is running
  bool Known = false;               // the plugin reported a table since it loaded
  std::int64_t Count = 0;           // variables in the table
  std::int64_t Reported = 0;        // of them the channel listed (at most 10,000)
  std::vector<VariableRow> Rows;    // those matching the pattern, in the table's order
};

// One word of a spam rule that matched, and which of its alternatives occur in the
// folded text.
struct SpamWordHit {
  std::string Word;                 // as written in the rule
  std::vector<std::string> Hits;    // alternatives as written that occur
  std::vector<std::string> Folded;  // the same, folded as they were looked for
};

struct SpamMatch {
  int Line = 0;                     // line of the spam list file
  std::string Rule;                 // the rule as written (trimmed)
  std::vector<SpamWordHit> Words;   // every word of the rule (all of them hit)
};

// spam TEXT: what the plugin's CHKSPAM answers for TEXT, and why.
struct SpamEvent {
  std::string Text;                 // as written
  std::string Folded;               // the text as the rules are matched against it
  bool Spam = false;                // CHKSPAM writes 1
  std::size_t Rules = 0;            // rule lines in the list the plugin loaded
  std::vector<SpamMatch> Matches;   // the rules that match, in file order
  // The rules that do not match, in file order, each with only its words that found
  // nothing: what a writer of the list must change to make it match.
  std::vector<SpamMatch> Misses;
  std::string Note;                 // which list was used, when that needs saying
};

// trace on|off.
struct TraceSwitchEvent {
  bool On = false;
};

using Payload = std::variant<LoadEvent, UnloadEvent, RestartEvent, MessageEvent, PopupEvent,
                             ClickEvent, StatusEvent, ContactEvent, ServiceEvent, FileEvent,
                             ShowFileEvent, OptionsEvent, EchoEvent, HelpEvent, VarsEvent,
                             SpamEvent, TraceSwitchEvent>;

// ---- The plugin's trace ---------------------------------------------------------------

// A value of a trace record: null, a flag, a number, a text (UTF-8), a list of texts, or
// a list of numbers.
using TraceValue = std::variant<std::monostate, bool, std::int64_t, std::string, std::vector<std::string>,
                                std::vector<std::int64_t>>;

// One record of the plugin's trace channel (docs/trace.md), as the plugin wrote it, with
// its texts in UTF-8.
struct TraceItem {
  std::string Kind;  // its "event", a word of KW_TRACE_EVENTS (script/trace.h)
  int Depth = 1;     // the run's nesting: 1 for the run the command started
  std::vector<std::pair<std::string, TraceValue>> Fields;  // its other keys, in order

  const TraceValue* Find(std::string_view key) const {
    for (const auto& [k, v] : Fields)
      if (k == key) return &v;
    return nullptr;
  }
  // The field as a text, a number, a flag; empty, the fallback or false when it is
  // missing or of another kind.
  std::string Text(std::string_view key) const {
    const TraceValue* v = Find(key);
    const std::string* s = v ? std::get_if<std::string>(v) : nullptr;
    return s ? *s : std::string();
  }
  std::int64_t Number(std::string_view key, std::int64_t fallback = 0) const {
    const TraceValue* v = Find(key);
    const std::int64_t* n = v ? std::get_if<std::int64_t>(v) : nullptr;
    return n ? *n : fallback;
  }
  bool Flag(std::string_view key) const {
    const TraceValue* v = Find(key);
    const bool* b = v ? std::get_if<bool>(v) : nullptr;
    return b != nullptr && *b;
  }
  // A list field; empty when it is missing or of another kind.
  template <class T>
  std::vector<T> List(std::string_view key) const {
    const TraceValue* v = Find(key);
    const std::vector<T>* list = v ? std::get_if<std::vector<T>>(v) : nullptr;
    return list ? *list : std::vector<T>();
  }
  bool Is(kw::TTraceEvent event) const { return Kind == kw::TraceEventWord(event); }
  bool Has(std::string_view key) const {
    const TraceValue* v = Find(key);
    return v != nullptr && !std::holds_alternative<std::monostate>(*v);
  }
};

struct Event {
  Event() = default;
  Event(int line, Payload data, std::vector<Effect> effects = {})
      : Line(line), Data(std::move(data)), Effects(std::move(effects)) {}

  int Line = 0;                 // transcript line; 0 for the load and unload around it
  Payload Data;
  std::vector<Effect> Effects;  // in the order they happened
  // What the plugin's trace channel told meanwhile: with the trace on, every record of
  // every run; with it off, only the end of a run that a bound stopped.
  std::vector<TraceItem> Trace;
};

}  // namespace kwsim
