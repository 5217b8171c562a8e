// The engine's one way out: everything the commands need of the world outside the
// script (the messenger, the plugin's menu, the settings file, the clock) as one
// interface. script/ declares it so that the engine depends on no host; host/
// implements it over the messenger's services and installs it when the plugin loads,
// and engine tests install a fake. Until something is installed the engine talks to a
// null host that answers as a missing messenger does: nothing is sent, set or saved,
// states and contacts read empty, the menu has no entries. Its clock is the system's:
// time needs no messenger, and a script run by a tool still gets the date.
//
// A call may run the messenger's code, which may call the plugin back and start a
// nested run. The commands copy their values before the call and take nothing they read
// before it as still valid after it (commands.cpp). One virtual call per host command;
// nothing here is reached per executed line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/platform.h"  // LocalDateTime

namespace kw {

struct TKontaktInfo {
  std::string Id;                // wanted contact id, upper case
  std::string AuxText;           // element text at offset 68
  std::int32_t AuxNumber = -1;   // element number at offset 12
  std::int32_t Flags = 0;        // CINFO_* bits of the element
  std::string Name;              // display name
  std::string Group;             // group name
  std::string Description;       // status description
};

struct TUserState {
  std::int32_t Status = 0;       // STS_* number; 0 when the host gave none
  std::string Description;       // status description
};

class IScriptHost {
 public:
  IScriptHost() = default;
  IScriptHost(const IScriptHost&) = delete;
  IScriptHost& operator=(const IScriptHost&) = delete;
  virtual ~IScriptHost() = default;

  // SEND, SETSTS, READSTS, CONINFO.
  virtual void SendProtocolMessage(const std::string& recipient, const std::string& text) = 0;
  virtual void ChangeUserState(const std::string& proto, std::int32_t status,
                               const std::string& description) = 0;
  virtual TUserState GetUserState(const std::string& proto) = 0;
  virtual TKontaktInfo GetContactInfo(const std::string& id) = 0;

  // MenuAdd, MenuDel, MenuShow. An index is the host's position of an entry, valid
  // until its next call that may change the menu.
  virtual void AddOrRenameMenuEntry(std::string_view name, std::string_view caption) = 0;
  virtual int FindMenuEntryByName(std::string_view name) = 0;  // -1 when there is none
  virtual void DeleteMenuEntry(int index) = 0;
  virtual void SetMenuEntryVisible(int index, bool visible) = 0;

  // SaveConfig: the variables marked for saving go to the settings file.
  virtual void SaveConfig() = 0;

  // GETDATE, GETTIME: the local wall clock.
  virtual LocalDateTime Now() = 0;
};

// The host the engine talks to now: the installed one, else the null host.
IScriptHost& ScriptHost();
// Makes host the engine's host (not owned: it must stay alive while installed); null
// puts the null host back. Returns the host installed before, null for the null host.
IScriptHost* InstallScriptHost(IScriptHost* host);

}  // namespace kw
