// One simulated messenger with the plugin in it. The session plays the host: it makes
// the plugins folder, loads the module by path through its three exports, hands it the
// test host's link, and from then on turns each command into the host call it stands
// for (a message to the hook, a popup to the menu callback, a call of the plugin's
// service, a page action to the options callback). After each call it reads the host's
// logs for what the plugin did meanwhile and reports one Event.
//
// The plugin's own code is never linked in: everything goes through host/records.h.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/sim/events.h"
#include "tools/sim/plugins_folder.h"
#include "tools/sim/report.h"
#include "tools/sim/trace_reader.h"
#include "tools/sim/transcript.h"
#include "tools/testhost/module_loader.h"
#include "tools/testhost/test_host.h"

namespace kwsim {

struct SessionOptions {
  std::string ModulePath;   // the kwartlin.tpl to copy in (UTF-8)
  std::string PluginsFrom;  // folder whose data files are copied in; empty = none
  std::string BaseDir;      // where "file ... from PATH" paths start (UTF-8)
  bool Keep = false;        // leave the plugins folder behind
  bool Trace = false;       // report every line of the plugin's runs (trace on)
  bool KeepTrace = false;   // go on tracing after "trace off" (a trace panel shows every run)
};

class Session {
 public:
  Session(SessionOptions options, Reporter& reporter);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Makes the folder and loads the plugin. Throws SimError.
  void Start();
  // Carries out one command (not Quit). Throws SimError.
  void Execute(const Step& step);
  // Unloads the plugin and closes the module; does nothing when not loaded.
  void Finish();

  std::string FolderPath() const;
  // Where the plugin keeps a data file; empty before the folder is made.
  std::filesystem::path DataPath(DataFile file) const;

  // Warnings about files copied in since the last call ("PATH:LINE: warning: ..."): a
  // script or spam list saved as UTF-8 (with or without its mark), UTF-16 or ISO-8859-2,
  // or holding a zero byte, gets the checker's finding about the file, with its advice.
  // The bytes are copied as they are all the same, as the messenger would read them.
  std::vector<std::string> TakeWarnings();
  // For the shell's user, after a command: what makes the running plugin read the
  // script or spam list that the command wrote; empty after other commands.
  std::string LoadHint(const Step& step) const;

 private:
  // Sizes of the host's logs before a call into the plugin.
  struct LogMark {
    std::size_t Calls = 0;
    std::size_t ProtocolCalls = 0;
    std::size_t Sent = 0;
    std::size_t StateChanges = 0;
    std::size_t Added = 0;
    std::size_t Changed = 0;
    std::size_t Deleted = 0;
    std::optional<std::string> Settings;  // the settings file's bytes
  };

  void LoadModule(Event& event);
  void UnloadModule(Event& event);
  LogMark Mark() const;
  void CollectEffects(const LogMark& mark, std::vector<Effect>& effects);
  // Reports the event with what the trace channel told meanwhile.
  void Emit(Event event);
  void WarnAboutTheFile(DataFile file, std::string_view bytes, const std::string& shownPath);

  void Message(const Step& step, bool incoming);
  void Popup(const Step& step);
  void Click(const Step& step);
  void Status(const Step& step);
  void Contact(const Step& step);
  void Service(const Step& step);
  void Restart(const Step& step);
  void StopPlugin(const Step& step);
  void StartPlugin(const Step& step);
  void WriteFile(const Step& step);
  void ShowFile(const Step& step);
  void Options(const Step& step);
  void PageAction(const Step& step, OptionsEvent& event);  // show, hide, save, destroy
  void UserOnPage(const Step& step, OptionsEvent& event);  // type, key, caret, help, ...
  void Vars(const Step& step);
  void Spam(const Step& step);
  void SwitchTrace(const Step& step);

  SessionOptions options_;
  Reporter& reporter_;
  std::unique_ptr<PluginsFolder> folder_;
  std::unique_ptr<kwtest::TestHost> host_;
  kwtest::PluginModule module_;
  bool loaded_ = false;
  // The user's own state, which outlives a restart of the messenger. The user starts
  // online on both protocols.
  std::map<std::string, kwtest::UserStatus> statuses_{{"TLEN", {2, ""}}, {"GG", {2, ""}}};
  std::vector<kwtest::Contact> contacts_;
  // Menu items by host handle: id and last caption (Windows-1250), for deletions.
  std::map<std::intptr_t, std::pair<std::string, std::string>> items_;
  // Answers of the hook to the plugin's own messages, by index in the host's Sent log.
  std::map<std::size_t, std::int32_t> ownEchoes_;
  // The plugin's trace channel (a file in the plugins folder), whether its runs' lines
  // are wanted, and the spam list as the plugin last loaded it (nullopt: no file).
  std::unique_ptr<TraceReader> trace_;
  bool tracing_ = false;
  std::optional<std::string> loadedSpam_;
  std::vector<std::string> warnings_;
};

}  // namespace kwsim
