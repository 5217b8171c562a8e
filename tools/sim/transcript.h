// The simulator's command language, shared by transcript files and the interactive
// prompt. One command per line; "#" starts a comment line; texts run to the end of the
// line or stand in double quotes. The whole language is described in tools/sim/README.md.
//
// Parsing is separate from running: a transcript is read whole first, so a line that
// cannot be read stops everything before the plugin has seen a single event. Texts are
// converted to Windows-1250 here, once; a character the code page cannot hold is a
// parse error of its line.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kwsim {

enum class Verb {
  Recv,      // a message arrives: hook event 1
  Send,      // the user sends a message: hook event 5
  Popup,     // the contact-list popup opens on a contact
  Click,     // an item of that popup is clicked
  Status,    // the user's own status as the host holds it
  Contact,   // an element of the host's contact list, added or changed
  Service,   // another party calls the plugin's service
  Restart,   // the messenger closes and starts again
  Stop,      // the messenger closes (the plugin is unloaded)
  Start,     // the messenger starts (the plugin is loaded again)
  File,      // a data file is written between events
  ShowFile,  // a data file is printed
  Options,   // the options page
  Vars,      // the plugin's variables as its trace channel last reported them
  Spam,      // what the spam list the plugin loaded makes of a text
  Trace,     // the trace of the plugin's runs on or off
  Echo,      // a line of commentary for the reader
  Help,      // the command summary (interactive)
  Quit,      // end of the session
};

// The plugin's three data files in its "Kwartlin" folder.
enum class DataFile { Script, Spam, Settings };

// Page actions of the host (show, hide, save, destroy), then what the user does on the
// page and what the user reads from it.
enum class OptionsAction { Show, Hide, Save, Destroy, Type, Key, Caret, Help, Menu, Text };

// A changed field of a contact; absent fields keep what the host has.
struct ContactFields {
  std::optional<std::string> Name;         // display name
  std::optional<std::string> Group;        // group name
  std::optional<std::string> Description;  // status description
  std::optional<std::int32_t> Flags;       // CINFO_* bits
};

// One parsed command. Texts are Windows-1250 except FromPath.
struct Step {
  int Line = 0;                 // 1-based line of the command in its file
  Verb Kind = Verb::Echo;
  std::string Protocol;         // recv, send, status: "TLEN" or "GG"
  std::string Contact;          // recv, send: the other party; popup, click, contact: the id
  std::string Text;             // message, item, service text, echo text, status description,
                                // options type text, options menu caption, vars pattern,
                                // spam text
  std::int32_t Status = 0;      // status: the status number
  ContactFields Fields;         // contact
  DataFile File = DataFile::Script;  // file, show-file
  std::optional<std::string> Content;  // file: the new bytes (heredoc), when given inline
  std::string FromPath;         // file ... from PATH: the path as written (UTF-8)
  bool Delete = false;          // file ... delete: the file is removed
  OptionsAction Options = OptionsAction::Show;  // options
  int Memo = 1;                 // options type, key, caret, text: 1 script editor, 2 spam list
  int Key = 0;                  // options key: the virtual-key code (9 Tab, 13 Enter)
  int CaretLine = 1;            // options caret: 1-based line
  int CaretColumn = 1;          // options caret: 1-based column
  bool On = false;              // trace: on (true) or off
};

// A line that cannot be read: its number and why.
class TranscriptError : public std::runtime_error {
 public:
  TranscriptError(int line, const std::string& reason)
      : std::runtime_error(reason), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// Reads commands line by line, keeping the state of an open "<<TAG" block.
class TranscriptParser {
 public:
  // Takes the next line (without its line break). Returns the command that the line
  // completes, nothing for a blank or comment line or a line inside a block. Throws
  // TranscriptError for a line that cannot be read; the parser then goes on with the
  // next line as if the bad one had not been there.
  std::optional<Step> Feed(std::string_view line);
  // True while a "<<TAG" block waits for its closing line.
  bool InBlock() const { return block_.has_value(); }
  // Forgets an open block and its lines (the shell's Ctrl-C).
  void DropBlock() { block_.reset(); }
  // Throws TranscriptError when a block is still open (the end of the input).
  void Finish();

 private:
  struct Block {
    Step step;         // the file command that opened the block
    std::string tag;   // the closing line
    std::string text;  // collected lines, UTF-8, each ended by CR LF
  };
  std::optional<Step> FeedBlock(std::string_view line);

  int line_ = 0;
  std::optional<Block> block_;
};

// A whole transcript. Throws TranscriptError for its first bad line.
std::vector<Step> ParseTranscript(std::string_view text);

// The command language's summary, as "help" shows it.
std::vector<std::string> CommandSummary();

// Names used in messages and output.
std::string_view VerbName(Verb verb);
std::string_view DataFileName(DataFile file);       // "script", "spam", "settings"
std::string_view DataFileOnDisk(DataFile file);     // "Kwartlin.dat", ...
std::string_view OptionsActionName(OptionsAction action);

// The host's status names: 1 "offline" to 7 "invisible"; empty for other numbers.
std::string_view StatusName(std::int32_t status);

}  // namespace kwsim
