// The test host's services and the plugin-facing link functions.
//
// The link functions are plain C-convention functions that forward to the current
// TestHost. Every container that a callback into the plugin could change (a nested
// service call) is read into a local copy before the callback is made.
#include "tools/testhost/test_host.h"

#include <algorithm>
#include <cstring>

namespace kwtest {
namespace {

TestHost* current = nullptr;

constexpr std::intptr_t kShowItemProcId = 4098;
constexpr std::int32_t kRenewCaption = 0x10000000;
constexpr std::int32_t kMenuPopup = 1;
constexpr std::int32_t kMenuClick = 2;
const char* const kPopupMenuName = "Tlen/CL/Element";

ProtocolCall DecodeProtocolCall(const kw::ProtocolCallDef& call) {
  ProtocolCall c;
  c.Size = call.Size;
  c.Protocol = Text(call.ProtocolId);
  c.Function = Text(call.FunctionName);
  c.Param1 = call.Param1;
  c.Param2 = call.Param2;
  c.ZeroElsewhere = ZeroOutside(
      call, {KWTEST_FIELD(kw::ProtocolCallDef, Size), KWTEST_FIELD(kw::ProtocolCallDef, ProtocolId),
             KWTEST_FIELD(kw::ProtocolCallDef, FunctionName),
             KWTEST_FIELD(kw::ProtocolCallDef, Param1), KWTEST_FIELD(kw::ProtocolCallDef, Param2)});
  return c;
}

UserStateCall DecodeUserState(const ProtocolCall& call, const kw::UserStateDef& state) {
  UserStateCall s;
  s.Call = call;
  s.Size = state.Size;
  s.Status = state.Status;
  s.Description = Text(state.Description);
  s.NullDescription = state.Description == nullptr;
  s.ZeroElsewhere = ZeroOutside(state, {KWTEST_FIELD(kw::UserStateDef, Size),
                                        KWTEST_FIELD(kw::UserStateDef, Status),
                                        KWTEST_FIELD(kw::UserStateDef, Description)});
  return s;
}

}  // namespace

// ---- Record checks ----------------------------------------------------------------

bool ZeroOutside(const void* record, std::size_t size, std::initializer_list<FieldSpan> used) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (std::size_t i = 0; i < size; ++i) {
    const bool inField = std::any_of(used.begin(), used.end(), [i](const FieldSpan& f) {
      return i >= f.Offset && i < f.Offset + f.Size;
    });
    if (!inField && bytes[i] != 0) return false;
  }
  return true;
}

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

MenuItem DecodeMenuItem(const kw::MenuItemDef& item) {
  MenuItem m;
  m.Size = item.Size;
  m.ItemId = Text(item.ItemId);
  if (item.ParentId) m.ParentId = item.ParentId;
  m.MenuName = Text(item.MenuName);
  m.Caption = Text(item.Caption);
  m.ChangeFlags = item.ChangeFlags;
  m.Position = item.Position;
  m.Callback = item.Callback;
  m.Instance = item.Instance;
  m.ZeroElsewhere = ZeroOutside(
      item, {KWTEST_FIELD(kw::MenuItemDef, Size), KWTEST_FIELD(kw::MenuItemDef, ItemId),
             KWTEST_FIELD(kw::MenuItemDef, ParentId), KWTEST_FIELD(kw::MenuItemDef, MenuName),
             KWTEST_FIELD(kw::MenuItemDef, Caption), KWTEST_FIELD(kw::MenuItemDef, ChangeFlags),
             KWTEST_FIELD(kw::MenuItemDef, Position), KWTEST_FIELD(kw::MenuItemDef, Callback),
             KWTEST_FIELD(kw::MenuItemDef, Instance)});
  return m;
}

// ---- The link -----------------------------------------------------------------------

struct LinkFunctions {
  static std::intptr_t KW_CDECL CreateServiceFunction(void* instance, const char* name,
                                                      kw::ServiceCallbackFn callback) {
    return current ? current->CreateService(instance, name, callback) : 0;
  }
  static std::intptr_t KW_CDECL DestroyServiceFunction(void* instance, std::intptr_t handle) {
    return current ? current->DestroyService(instance, handle) : 0;
  }
  static std::intptr_t KW_CDECL CallService(void* instance, const char* name,
                                            std::intptr_t wParam, std::intptr_t lParam) {
    return current ? current->CallService(instance, name, wParam, lParam) : 0;
  }
  static std::intptr_t KW_CDECL ShowItem(void* area, const char* itemId) {
    return current ? current->ShowItem(area, itemId) : 0;
  }
};

TestHost::TestHost() : previous_(current) {
  link_.CreateServiceFunction = &LinkFunctions::CreateServiceFunction;
  link_.DestroyServiceFunction = &LinkFunctions::DestroyServiceFunction;
  link_.CallService = &LinkFunctions::CallService;
  Statuses["TLEN"] = {};
  Statuses["GG"] = {};
  current = this;
}

TestHost::~TestHost() { current = previous_; }

TestHost* TestHost::Current() { return current; }

std::intptr_t TestHost::ShowItemProcAddress() {
  return reinterpret_cast<std::intptr_t>(&LinkFunctions::ShowItem);
}

std::intptr_t TestHost::CreateService(void* instance, const char* name,
                                      kw::ServiceCallbackFn callback) {
  const std::intptr_t handle = ++nextHandle_;
  Calls.push_back({"CreateServiceFunction", kw::ToParam(name), reinterpret_cast<std::intptr_t>(callback), instance});
  Services.push_back({Text(name), callback, handle, instance});
  return handle;
}

std::intptr_t TestHost::DestroyService(void* instance, std::intptr_t handle) {
  Calls.push_back({"DestroyServiceFunction", handle, 0, instance});
  DestroyedServices.push_back(handle);
  std::erase_if(Services, [handle](const ServiceRecord& s) { return s.Handle == handle; });
  return 0;
}

std::intptr_t TestHost::ShowItem(void* area, const char* itemId) {
  Calls.push_back({"ShowItemProc", reinterpret_cast<std::intptr_t>(area), kw::ToParam(itemId), nullptr});
  ShownItem shown{area, Text(itemId)};
  Shown.push_back(shown);
  if (OnShow) OnShow(shown);
  return 0;
}

// ---- Services ------------------------------------------------------------------------

std::intptr_t TestHost::CallService(void* instance, const char* name, std::intptr_t wParam,
                                    std::intptr_t lParam) {
  const HostCall call{Text(name), wParam, lParam, instance};
  Calls.push_back(call);
  const std::string& n = call.Service;
  std::intptr_t result = 0;
  if (n == "Tlen/GetProcAddress") {
    result = wParam == kShowItemProcId ? ShowItemProcAddress() : 0;
  } else if (n == "Tlen/AddOptionsPage") {
    result = AddOptionsPage(wParam, lParam);
  } else if (n == "Tlen/ProtocolHookEvent") {
    result = HookEvent(wParam);
  } else if (n == "Tlen/ProtocolUnhookEvent") {
    result = UnhookEvent(wParam, lParam);
  } else if (n == "Tlen/AddMenuItem") {
    result = AddMenuItem(wParam);
  } else if (n == "Tlen/ChangeMenuItem") {
    result = ChangeMenuItem(wParam, lParam);
  } else if (n == "Tlen/DeleteMenuItem") {
    result = DeleteMenuItem(wParam);
  } else if (n == "Tlen/AddMenuCallBack") {
    MenuCallbacks.push_back({Text(kw::FromParam<const char>(wParam)),
                             reinterpret_cast<kw::MenuCallbackFn>(lParam)});
  } else if (n == "Tlen/RemoveMenuCallBack") {
    const auto fn = reinterpret_cast<kw::MenuCallbackFn>(lParam);
    const std::string menu = Text(kw::FromParam<const char>(wParam));
    std::erase_if(MenuCallbacks, [&](const MenuCallbackRecord& r) {
      return r.Callback == fn && r.MenuName == menu;
    });
  } else if (n == "Tlen/ProtocolCallFunction") {
    result = ProtocolCallFunction(wParam);
  } else if (n == "Tlen/ContactList/EnumerateItems") {
    result = EnumerateItems(wParam);
  } else if (n == "Tlen/AddDialogHandle") {
    DialogHandles.push_back(wParam);
  } else if (n == "Tlen/RemoveDialogHandle") {
    std::erase(DialogHandles, wParam);
  } else {
    result = CallPluginService(n, wParam, lParam);
  }
  if (OnService) OnService(call);
  return result;
}

std::intptr_t TestHost::AddOptionsPage(std::intptr_t wParam, std::intptr_t lParam) {
  const auto* page = kw::FromParam<const kw::OptionsPageDef>(lParam);
  if (page == nullptr) return 0;
  OptionsPage p;
  p.WParam = wParam;
  p.Size = page->Size;
  p.PageId = Text(page->PageId);
  p.Caption = Text(page->Caption);
  p.PageKind = page->PageKind;
  p.SmallIcon = page->SmallIcon;
  p.Callback = page->Callback;
  p.ZeroElsewhere = ZeroOutside(
      *page, {KWTEST_FIELD(kw::OptionsPageDef, Size), KWTEST_FIELD(kw::OptionsPageDef, PageId),
              KWTEST_FIELD(kw::OptionsPageDef, Caption), KWTEST_FIELD(kw::OptionsPageDef, PageKind),
              KWTEST_FIELD(kw::OptionsPageDef, SmallIcon),
              KWTEST_FIELD(kw::OptionsPageDef, Callback)});
  OptionsPages.push_back(p);
  return 0;
}

std::intptr_t TestHost::HookEvent(std::intptr_t wParam) {
  const auto* def = kw::FromParam<const kw::ProtocolHookDef>(wParam);
  if (def == nullptr) return 0;
  HookRecord h;
  h.Size = def->Size;
  h.Protocol = Text(def->ProtocolId);
  h.Hook = def->Hook;
  h.EmptyTextIsEmpty = def->EmptyText != nullptr && def->EmptyText[0] == '\0';
  h.Instance = def->Instance;
  h.Handle = ++nextHandle_;
  Hooks[h.Protocol] = h;
  return h.Handle;
}

std::intptr_t TestHost::UnhookEvent(std::intptr_t wParam, std::intptr_t lParam) {
  HookRecord h;
  h.Protocol = Text(kw::FromParam<const char>(wParam));
  h.Handle = lParam;
  Unhooked.push_back(h);
  auto it = Hooks.find(h.Protocol);
  if (it != Hooks.end() && it->second.Handle == lParam) Hooks.erase(it);
  return 0;
}

std::intptr_t TestHost::AddMenuItem(std::intptr_t wParam) {
  const auto* def = kw::FromParam<const kw::MenuItemDef>(wParam);
  if (def == nullptr) return 0;
  MenuItem item = DecodeMenuItem(*def);
  item.Handle = RefuseMenuItems ? 0 : ++nextHandle_;
  AddedItems.push_back(item);
  if (item.Handle != 0) MenuItems[item.Handle] = item;
  return item.Handle;
}

std::intptr_t TestHost::ChangeMenuItem(std::intptr_t handle, std::intptr_t lParam) {
  const auto* def = kw::FromParam<const kw::MenuItemDef>(lParam);
  if (def == nullptr) return 0;
  MenuItem change = DecodeMenuItem(*def);
  change.Handle = handle;
  ChangedItems.push_back(change);
  auto it = MenuItems.find(handle);
  if (it != MenuItems.end() && (change.ChangeFlags & kRenewCaption) != 0)
    it->second.Caption = change.Caption;
  return 0;
}

std::intptr_t TestHost::DeleteMenuItem(std::intptr_t handle) {
  DeletedItems.push_back(handle);
  MenuItems.erase(handle);
  return 0;
}

std::intptr_t TestHost::ProtocolCallFunction(std::intptr_t wParam) {
  const auto* def = kw::FromParam<const kw::ProtocolCallDef>(wParam);
  if (def == nullptr) return 0;
  const ProtocolCall call = DecodeProtocolCall(*def);
  ProtocolCalls.push_back(call);
  if (call.Function == "PFSendMessage") return TakeSentMessage(call);
  if (call.Function == "PFGetUserState") return GetUserState(call);
  if (call.Function == "PFChangeUserState") return ChangeUserState(call);
  return 0;
}

std::intptr_t TestHost::TakeSentMessage(const ProtocolCall& call) {
  const auto* m = kw::FromParam<const kw::ProtocolMesageDef>(call.Param1);
  if (m == nullptr) return 0;
  SentMessage s;
  s.Call = call;
  s.Size = m->Size;
  s.ContactId = Text(m->ContactId);
  s.ProtocolId = Text(m->ProtocolId);
  s.ContactsEmpty = ZeroOutside(m->Contacts, {});
  s.Kind = m->Kind;
  s.Text = Text(m->Text);
  s.Mark = m->Mark;
  s.ZeroElsewhere = ZeroOutside(
      *m, {KWTEST_FIELD(kw::ProtocolMesageDef, Size), KWTEST_FIELD(kw::ProtocolMesageDef, ContactId),
           KWTEST_FIELD(kw::ProtocolMesageDef, ProtocolId), KWTEST_FIELD(kw::ProtocolMesageDef, Kind),
           KWTEST_FIELD(kw::ProtocolMesageDef, Text), KWTEST_FIELD(kw::ProtocolMesageDef, Mark)});
  Sent.push_back(s);
  if (OnSend) OnSend(s);
  return 1;
}

std::intptr_t TestHost::GetUserState(const ProtocolCall& call) {
  auto* state = kw::FromParam<kw::UserStateDef>(call.Param1);
  if (state == nullptr) return 0;
  StateQueries.push_back(DecodeUserState(call, *state));
  auto it = Statuses.find(call.Protocol);
  if (it == Statuses.end()) return 0;
  state->Status = it->second.Status;
  state->Description = it->second.Description.c_str();
  return 1;
}

std::intptr_t TestHost::ChangeUserState(const ProtocolCall& call) {
  const auto* state = kw::FromParam<const kw::UserStateDef>(call.Param1);
  if (state == nullptr) return 0;
  StateChanges.push_back(DecodeUserState(call, *state));
  auto it = Statuses.find(call.Protocol);
  if (it == Statuses.end()) return 0;
  it->second.Status = state->Status;
  it->second.Description = Text(state->Description);
  return 1;
}

std::intptr_t TestHost::EnumerateItems(std::intptr_t wParam) {
  const auto* def = kw::FromParam<const kw::EnumItemsDef>(wParam);
  if (def == nullptr) return 0;
  Enumeration e;
  e.Size = def->Size;
  e.Kind = def->Kind;
  e.Reserved8 = def->Reserved8;
  e.Callback = def->Callback;
  e.Value = def->Value;
  e.ZeroElsewhere = ZeroOutside(
      *def, {KWTEST_FIELD(kw::EnumItemsDef, Size), KWTEST_FIELD(kw::EnumItemsDef, Kind),
             KWTEST_FIELD(kw::EnumItemsDef, Callback), KWTEST_FIELD(kw::EnumItemsDef, Value)});
  const std::size_t logIndex = Enumerations.size();
  Enumerations.push_back(e);
  if (e.Callback == nullptr) return 0;
  const std::vector<Contact> contacts = Contacts;  // the callback may change the list
  auto c = [](const std::optional<std::string>& s) { return s ? s->c_str() : nullptr; };
  for (const Contact& contact : contacts) {
    auto item = kw::ZeroRecord<kw::ContactItemDef>();
    item.AuxNumber = contact.AuxNumber;
    item.Kind = contact.Kind;
    item.Flags = contact.Flags;
    item.Name = c(contact.Name);
    item.Group = c(contact.Group);
    item.Description = c(contact.Description);
    item.ContactId = c(contact.Id);
    item.AuxText = c(contact.AuxText);
    const std::int32_t answer = e.Callback(&item, e.Value);
    Enumerations[logIndex].Answers.push_back(answer);
    if (answer != 0 && StopEnumerationAtMatch) break;
  }
  return 0;
}

// ---- Driving the plugin ----------------------------------------------------------------

std::intptr_t TestHost::CallPluginService(const std::string& name, std::intptr_t wParam,
                                          std::intptr_t lParam) {
  for (const ServiceRecord& s : Services) {
    if (s.Name != name) continue;
    const kw::ServiceCallbackFn fn = s.Callback;  // the call may change Services
    return fn ? fn(wParam, lParam) : 0;
  }
  return 0;
}

Delivery TestHost::Deliver(const std::string& protocol, const std::string& contactId,
                           const std::string& text, std::int32_t code, std::int32_t mark) {
  auto it = Hooks.find(protocol);
  if (it == Hooks.end() || it->second.Hook == nullptr) {
    Delivery d;
    d.Text = text;
    return d;
  }
  return DeliverTo(it->second.Hook, protocol, contactId, text, code, mark);
}

Delivery TestHost::DeliverTo(kw::MessageHookFn hook, const std::string& protocol,
                             const std::string& contactId, const std::string& text,
                             std::int32_t code, std::int32_t mark) {
  auto event = kw::ZeroRecord<kw::ProtocolEventDef>();
  event.Code = code;
  auto message = kw::ZeroRecord<kw::ProtocolMesageDef>();
  message.Size = static_cast<std::int32_t>(sizeof message);
  message.ContactId = contactId.c_str();
  message.ProtocolId = protocol.c_str();
  message.Text = text.c_str();
  message.Mark = mark;
  Delivery d;
  d.Hooked = true;
  d.Result = hook(&event, &message);
  d.TextPointer = message.Text;
  d.Text = Text(message.Text);
  return d;
}

std::int32_t TestHost::OpenPopup(const std::string& contactId) {
  Shown.clear();
  std::int32_t result = 0;
  const std::vector<MenuCallbackRecord> callbacks = MenuCallbacks;
  for (const auto& r : callbacks)
    if (r.MenuName == kPopupMenuName && r.Callback) result = OpenPopupWith(r.Callback, contactId);
  return result;
}

std::int32_t TestHost::OpenPopupWith(kw::MenuCallbackFn callback, const std::string& contactId) {
  auto element = kw::ZeroRecord<kw::PopupElementDef>();
  element.ContactId = contactId.c_str();
  auto popup = kw::ZeroRecord<kw::MenuPopupDef>();
  popup.Element = &element;
  return callback(kMenuPopup, &popup);
}

std::int32_t TestHost::ClickItem(const std::string& itemId, const std::string& contactId) {
  std::int32_t result = 0;
  const std::vector<MenuCallbackRecord> callbacks = MenuCallbacks;
  for (const auto& r : callbacks)
    if (r.MenuName == kPopupMenuName && r.Callback)
      result = ClickItemWith(r.Callback, itemId, contactId);
  return result;
}

std::int32_t TestHost::ClickItemWith(kw::MenuCallbackFn callback, const std::string& itemId,
                                     const std::string& contactId) {
  auto element = kw::ZeroRecord<kw::PopupElementDef>();
  element.ContactId = contactId.c_str();
  auto popup = kw::ZeroRecord<kw::MenuPopupDef>();
  popup.Element = &element;
  auto item = kw::ZeroRecord<kw::MenuItemDef>();
  item.Size = static_cast<std::int32_t>(sizeof item);
  item.ItemId = itemId.c_str();
  auto click = kw::ZeroRecord<kw::MenuClickDef>();
  click.Item = &item;
  click.Popup = &popup;
  return callback(kMenuClick, &click);
}

std::int32_t TestHost::CallOptionsPage(kw::OptionsPageEventDef& event) {
  if (OptionsPages.empty() || OptionsPages.back().Callback == nullptr) return 0;
  const kw::OptionsPageCallbackFn fn = OptionsPages.back().Callback;
  return fn(&event);
}

// ---- Queries ---------------------------------------------------------------------------

std::vector<std::string> TestHost::ShownIds() const {
  std::vector<std::string> ids;
  for (const auto& s : Shown) ids.push_back(s.ItemId);
  return ids;
}

std::vector<std::string> TestHost::CallNames() const {
  std::vector<std::string> names;
  for (const auto& c : Calls) names.push_back(c.Service);
  return names;
}

std::size_t TestHost::CountCalls(const std::string& service) const {
  return static_cast<std::size_t>(std::count_if(
      Calls.begin(), Calls.end(), [&](const HostCall& c) { return c.Service == service; }));
}

const MenuItem* TestHost::FindItem(const std::string& itemId) const {
  for (const auto& [handle, item] : MenuItems)
    if (item.ItemId == itemId) return &item;
  return nullptr;
}

}  // namespace kwtest
