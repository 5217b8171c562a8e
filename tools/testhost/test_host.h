// An in-process messenger for tests and the simulator: it hands out a TPluginLink whose
// functions route to one TestHost instance (the current one; one at a time), answers
// the services a plugin uses, keeps protocols, statuses, a contact list, menu items,
// hooks and options pages, and logs every call with its records decoded field by field.
//
// Records and callbacks travel only as the types of host/records.h. Decoded copies are
// kept (never pointers into the plugin's records, which live only for one call).
// Callbacks such as OnSend let a test make the host call the plugin back from inside a
// service, as the real messenger may.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/records.h"

namespace kwtest {

// ---- Record checks ----------------------------------------------------------------

// A field of a record: its place and size.
struct FieldSpan {
  std::size_t Offset;
  std::size_t Size;
};
#define KWTEST_FIELD(type, field) \
  ::kwtest::FieldSpan { offsetof(type, field), sizeof(static_cast<type*>(nullptr)->field) }

// True when every byte of the record outside the given fields is zero.
bool ZeroOutside(const void* record, std::size_t size, std::initializer_list<FieldSpan> used);
template <class T>
bool ZeroOutside(const T& record, std::initializer_list<FieldSpan> used) {
  return ZeroOutside(&record, sizeof(T), used);
}

// A text from a record: empty for null.
std::string Text(const char* text);

// ---- What the host logs -----------------------------------------------------------

// Every call into the host: services (by name), CreateServiceFunction,
// DestroyServiceFunction and ShowItemProc ("ShowItemProc").
struct HostCall {
  std::string Service;
  std::intptr_t WParam = 0;
  std::intptr_t LParam = 0;
  void* Instance = nullptr;  // as the plugin passed it (null for ShowItemProc)
};

// A "Tlen/ProtocolCallFunction" record.
struct ProtocolCall {
  std::int32_t Size = 0;
  std::string Protocol;       // offset 4, as given (case kept)
  std::string Function;       // offset 8
  std::intptr_t Param1 = 0;   // offset 12
  std::intptr_t Param2 = 0;   // offset 16
  bool ZeroElsewhere = false; // padding of 64-bit layouts
};

// A message that arrived through "PFSendMessage".
struct SentMessage {
  ProtocolCall Call;
  std::int32_t Size = 0;       // 0
  std::string ContactId;       // 8
  std::string ProtocolId;      // 12
  bool ContactsEmpty = false;  // 40..51 all zero
  std::int32_t Kind = 0;       // 52
  std::string Text;            // 64
  std::int32_t Mark = 0;       // 88
  bool ZeroElsewhere = false;  // every other byte zero
};

// A "PFGetUserState" or "PFChangeUserState" call, as the record arrived.
struct UserStateCall {
  ProtocolCall Call;
  std::int32_t Size = 0;
  std::int32_t Status = 0;     // 40
  std::string Description;     // 48
  bool NullDescription = true;
  bool ZeroElsewhere = false;
};

// A "Tlen/ContactList/EnumerateItems" record and what the callback answered.
struct Enumeration {
  std::int32_t Size = 0;
  std::int32_t Kind = 0;                         // 4
  std::intptr_t Reserved8 = 0;                   // 8
  kw::EnumItemsCallbackFn Callback = nullptr;    // 12
  std::intptr_t Value = 0;                       // 16
  std::vector<std::int32_t> Answers;             // one per element offered
  bool ZeroElsewhere = false;                    // 8 and any padding
};

// A menu item as "Tlen/AddMenuItem" or "Tlen/ChangeMenuItem" passed it.
struct MenuItem {
  std::intptr_t Handle = 0;    // the host's handle (wParam of a change)
  std::int32_t Size = 0;
  std::string ItemId;          // 4
  std::optional<std::string> ParentId;  // 8; nullopt = null pointer
  std::string MenuName;        // 12
  std::string Caption;         // 16
  std::int32_t ChangeFlags = 0;  // 24
  std::int32_t Position = 0;     // 28
  kw::MenuCallbackFn Callback = nullptr;  // 68
  void* Instance = nullptr;      // 76
  bool ZeroElsewhere = false;
};

struct ServiceRecord {
  std::string Name;
  kw::ServiceCallbackFn Callback = nullptr;
  std::intptr_t Handle = 0;
  void* Instance = nullptr;
};

struct HookRecord {
  std::int32_t Size = 0;
  std::string Protocol;                  // 4
  kw::MessageHookFn Hook = nullptr;      // 8
  bool EmptyTextIsEmpty = false;         // 12: a non-null pointer to a zero byte
  void* Instance = nullptr;              // 16
  std::intptr_t Handle = 0;              // what the host returned
};

struct OptionsPage {
  std::intptr_t WParam = 0;              // instance as passed
  std::int32_t Size = 0;
  std::string PageId;                    // 4
  std::string Caption;                   // 12
  std::int32_t PageKind = 0;             // 16
  std::intptr_t SmallIcon = 0;           // 24
  kw::OptionsPageCallbackFn Callback = nullptr;  // 28
  bool ZeroElsewhere = false;
};

struct MenuCallbackRecord {
  std::string MenuName;
  kw::MenuCallbackFn Callback = nullptr;
};

struct ShownItem {
  void* Area = nullptr;
  std::string ItemId;
};

// One element of the contact list. A nullopt text is offered as a null pointer.
struct Contact {
  std::optional<std::string> Id;
  std::optional<std::string> Name;
  std::optional<std::string> Group;
  std::optional<std::string> Description;
  std::optional<std::string> AuxText;
  std::int32_t Flags = 0;
  std::int32_t AuxNumber = 0;
  std::int32_t Kind = 3;
};

struct UserStatus {
  std::int32_t Status = 0;
  std::string Description;
};

// What a delivered message came back as.
struct Delivery {
  bool Hooked = false;         // a hook was there to call
  std::int32_t Result = 0;     // the hook's answer: -1 block, 0 pass
  const char* TextPointer = nullptr;  // offset 64 after the call
  std::string Text;            // its text (empty for null)
};

// ---- The host -----------------------------------------------------------------------

class TestHost {
 public:
  TestHost();
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  // The host that the link's functions reach; null when there is none.
  static TestHost* Current();

  kw::TPluginLink* Link() { return &link_; }
  // What "Tlen/GetProcAddress" returns for 4098.
  static std::intptr_t ShowItemProcAddress();

  // The host's service dispatcher (what the link's CallService reaches).
  std::intptr_t CallService(void* instance, const char* name, std::intptr_t wParam,
                            std::intptr_t lParam);

  // ---- Driving the plugin ----
  // Calls a service the plugin registered; 0 when there is none of that name.
  std::intptr_t CallPluginService(const std::string& name, std::intptr_t wParam,
                                  std::intptr_t lParam);
  // Builds a message and its event and calls the hook registered for the protocol.
  Delivery Deliver(const std::string& protocol, const std::string& contactId,
                   const std::string& text, std::int32_t code = 1, std::int32_t mark = 0);
  // The same through a given hook, registered or not.
  static Delivery DeliverTo(kw::MessageHookFn hook, const std::string& protocol,
                            const std::string& contactId, const std::string& text,
                            std::int32_t code = 1, std::int32_t mark = 0);
  // Opens the contact-list popup on a contact: every menu callback registered for
  // "Tlen/CL/Element" gets code 1. Empties Shown first. Returns the last answer.
  std::int32_t OpenPopup(const std::string& contactId);
  static std::int32_t OpenPopupWith(kw::MenuCallbackFn callback, const std::string& contactId);
  // Clicks the item with that id in a popup opened on the contact (code 2).
  std::int32_t ClickItem(const std::string& itemId, const std::string& contactId);
  static std::int32_t ClickItemWith(kw::MenuCallbackFn callback, const std::string& itemId,
                                    const std::string& contactId);
  // Calls the callback of the last registered options page.
  std::int32_t CallOptionsPage(kw::OptionsPageEventDef& event);

  // ---- State the host keeps (tests may preset and inspect) ----
  std::map<std::string, UserStatus> Statuses;   // protocols served, by exact id
  std::vector<Contact> Contacts;
  bool StopEnumerationAtMatch = false;          // stop when the callback answers non-zero
  bool RefuseMenuItems = false;                 // "Tlen/AddMenuItem" answers 0
  std::map<std::intptr_t, MenuItem> MenuItems;  // live items by handle
  std::vector<ServiceRecord> Services;          // live plugin services
  std::map<std::string, HookRecord> Hooks;      // live hooks by protocol
  std::vector<MenuCallbackRecord> MenuCallbacks;
  std::vector<OptionsPage> OptionsPages;
  std::vector<std::intptr_t> DialogHandles;     // live dialog handles

  // ---- Logs ----
  std::vector<HostCall> Calls;
  std::vector<ProtocolCall> ProtocolCalls;
  std::vector<SentMessage> Sent;
  std::vector<UserStateCall> StateQueries;
  std::vector<UserStateCall> StateChanges;
  std::vector<Enumeration> Enumerations;
  std::vector<MenuItem> AddedItems;
  std::vector<MenuItem> ChangedItems;
  std::vector<std::intptr_t> DeletedItems;
  std::vector<ShownItem> Shown;
  std::vector<HookRecord> Unhooked;            // with Protocol and Handle set
  std::vector<std::intptr_t> DestroyedServices;

  // ---- Re-entrancy: called from inside the host's handling ----
  std::function<void(const SentMessage&)> OnSend;     // after a PFSendMessage is logged
  std::function<void(const HostCall&)> OnService;     // after any service was handled
  std::function<void(const ShownItem&)> OnShow;       // after ShowItemProc logged an item

  // The items the popup showed, in order.
  std::vector<std::string> ShownIds() const;
  // Names of the services called, in order (CreateServiceFunction etc. included).
  std::vector<std::string> CallNames() const;
  // Calls of one service name.
  std::size_t CountCalls(const std::string& service) const;
  // The live item with that id, or null.
  const MenuItem* FindItem(const std::string& itemId) const;

 private:
  friend struct LinkFunctions;
  std::intptr_t CreateService(void* instance, const char* name, kw::ServiceCallbackFn callback);
  std::intptr_t DestroyService(void* instance, std::intptr_t handle);
  std::intptr_t ShowItem(void* area, const char* itemId);

  std::intptr_t ProtocolCallFunction(std::intptr_t wParam);
  std::intptr_t TakeSentMessage(const ProtocolCall& call);
  std::intptr_t GetUserState(const ProtocolCall& call);
  std::intptr_t ChangeUserState(const ProtocolCall& call);
  std::intptr_t EnumerateItems(std::intptr_t wParam);
  std::intptr_t AddMenuItem(std::intptr_t wParam);
  std::intptr_t ChangeMenuItem(std::intptr_t handle, std::intptr_t lParam);
  std::intptr_t DeleteMenuItem(std::intptr_t handle);
  std::intptr_t HookEvent(std::intptr_t wParam);
  std::intptr_t UnhookEvent(std::intptr_t wParam, std::intptr_t lParam);
  std::intptr_t AddOptionsPage(std::intptr_t wParam, std::intptr_t lParam);

  kw::TPluginLink link_{};
  TestHost* previous_ = nullptr;
  std::intptr_t nextHandle_ = 1000;
};

// Decodes a menu item record as the host reads it.
MenuItem DecodeMenuItem(const kw::MenuItemDef& item);

}  // namespace kwtest
