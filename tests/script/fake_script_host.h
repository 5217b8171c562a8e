// A stand-in for the engine's host: records what the commands hand over, answers from
// fields the test fills, keeps a menu of its own, and reads a fixed clock. Installed
// while it lives, so a test declares one and runs scripts; without one the engine talks
// to its null host. DuringCall, when set, runs inside every call that would reach the
// messenger (not inside the nested ones it causes), as a messenger that calls the plugin
// back does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_host.h"
#include "support/casing.h"

namespace kwtest {

class FakeScriptHost final : public kw::IScriptHost {
 public:
  struct Message {
    std::string To, Text;
    bool operator==(const Message&) const = default;
  };
  struct StatusChange {
    std::string Proto;
    std::int32_t Status;
    std::string Description;
    bool operator==(const StatusChange&) const = default;
  };
  struct MenuEntry {
    std::string Name, Caption;
    bool Visible = true;
  };

  FakeScriptHost() : before_(kw::InstallScriptHost(this)) {}
  ~FakeScriptHost() override { kw::InstallScriptHost(before_); }

  std::vector<Message> Sent;
  std::vector<StatusChange> StatusChanges;
  std::vector<std::string> StatusReads;    // protocols READSTS asked for
  kw::TUserState State;                    // what READSTS gets
  std::vector<kw::TKontaktInfo> Contacts;  // CONINFO finds these by Id, case ignored
  std::vector<MenuEntry> Menu;
  int Saves = 0;
  kw::LocalDateTime Clock{2024, 2, 29, 7, 5, 9};
  std::function<void()> DuringCall;

  void SendProtocolMessage(const std::string& recipient, const std::string& text) override {
    Sent.push_back({recipient, text});
    Messenger();
  }
  void ChangeUserState(const std::string& proto, std::int32_t status,
                       const std::string& description) override {
    StatusChanges.push_back({proto, status, description});
    Messenger();
  }
  kw::TUserState GetUserState(const std::string& proto) override {
    StatusReads.push_back(proto);
    Messenger();
    return State;
  }
  kw::TKontaktInfo GetContactInfo(const std::string& id) override {
    Messenger();
    for (const kw::TKontaktInfo& c : Contacts)
      if (kw::UpperCase(c.Id) == kw::UpperCase(id)) return c;
    return {};
  }
  void AddOrRenameMenuEntry(std::string_view name, std::string_view caption) override {
    const int i = FindMenuEntryByName(name);
    if (i < 0) {
      Menu.push_back({std::string(name), std::string(caption)});
    } else {
      Menu[static_cast<std::size_t>(i)].Name = name;
      Menu[static_cast<std::size_t>(i)].Caption = caption;
    }
    Messenger();
  }
  int FindMenuEntryByName(std::string_view name) override {
    for (std::size_t i = 0; i < Menu.size(); ++i)
      if (kw::UpperCase(Menu[i].Name) == kw::UpperCase(name)) return static_cast<int>(i);
    return -1;
  }
  void DeleteMenuEntry(int index) override {
    Menu.erase(Menu.begin() + index);
    Messenger();
  }
  void SetMenuEntryVisible(int index, bool visible) override {
    Menu[static_cast<std::size_t>(index)].Visible = visible;
  }
  void SaveConfig() override { ++Saves; }
  kw::LocalDateTime Now() override { return Clock; }

  // The entry of that name (case ignored), or null.
  const MenuEntry* Entry(std::string_view name) {
    const int i = FindMenuEntryByName(name);
    return i < 0 ? nullptr : &Menu[static_cast<std::size_t>(i)];
  }

 private:
  void Messenger() {
    if (!DuringCall || inCall_) return;
    inCall_ = true;
    DuringCall();
    inCall_ = false;
  }

  kw::IScriptHost* before_;
  bool inCall_ = false;
};

}  // namespace kwtest
