// Host events into script runs.
//
// Texts handed back to the host: MessageHook gives the host a pointer to the rewritten
// message, which the host reads after the hook returns. Those texts are kept in a list
// that is emptied only when an outermost hook call begins (no other hook call under
// way) or at unload. A nested hook call (the host delivering a message while a run is
// still inside a host service) therefore never frees a text that an enclosing call
// has handed out or is about to hand out, and every text lives at least until the
// next hook call, as the host expects. The list grows only with nested deliveries
// during one outermost call, so it stays small.
#include "host/bridge.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/globals.h"
#include "host/menu.h"
#include "host/services.h"
#include "host/trace_channel.h"
#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/text.h"
#include "script/variables.h"
#include "support/ProcFunc.h"
#include "support/casing.h"

namespace kw {
namespace {

constexpr std::int32_t kRenewCaption = 0x10000000;  // bit 28 of MenuItemDef::ChangeFlags

// The texts handed back to the host, each shared with the variable it was read from
// (a long message is not copied to be handed back): immutable, so a later write to the
// variable leaves the host's text as it was.
std::deque<std::shared_ptr<const std::string>> handedTexts;
int hookDepth = 0;
// Menu callbacks under way. A host may open the popup again from inside one being shown
// (in ShowItemProc or the caption change); past kMaxNestedRuns such callbacks answer 0
// at once, as the script runs at that depth run nothing, so that cannot recurse without end.
int menuDepth = 0;

// Counts the hook calls under way; the outermost one frees what earlier calls handed out.
class HookCallScope {
 public:
  HookCallScope() {
    if (hookDepth == 0) handedTexts.clear();
    ++hookDepth;
  }
  ~HookCallScope() { --hookDepth; }
  HookCallScope(const HookCallScope&) = delete;
  HookCallScope& operator=(const HookCallScope&) = delete;
};

void SetProgramVariable(std::string_view name, std::string_view value) {
  SetVariable(name, value, false);
}

std::string_view PopupContactId(const MenuPopupDef* popup) {
  if (popup == nullptr || popup->Element == nullptr) return {};
  return TextOrEmpty(popup->Element->ContactId);
}

// What the popup shows of one entry; copied so host calls cannot invalidate it.
struct ShownEntry {
  std::string HostItemId;
  std::string Caption;
  std::intptr_t HostHandle;
};

std::vector<ShownEntry> VisibleEntries() {
  std::vector<ShownEntry> shown;
  for (const auto& e : MenuEntries)
    if (e.Visible) shown.push_back({e.HostItemId, e.Caption, e.HostHandle});
  return shown;
}

void RenewCaption(const ShownEntry& entry) {
  // Handle 0 is an item the host never registered: there is nothing to change.
  if (entry.HostHandle == 0) return;
  auto item = MakeRecord<MenuItemDef>();
  item.ChangeFlags = kRenewCaption;
  item.Caption = entry.Caption.c_str();
  CallHostService("Tlen/ChangeMenuItem", entry.HostHandle, ToParam(&item));
}

std::int32_t ShowPopup(MenuPopupDef* popup) {
  SetProgramVariable("$_ID", PopupContactId(popup));
  RunScript(ScriptLines, entryMenuShow);
  if (!AnyMenuEntryVisible()) return 0;
  // No record, no area to show into: the show calls are skipped as without the function.
  auto show = popup ? reinterpret_cast<ShowItemFn>(ShowItemProc) : nullptr;
  void* area = popup ? popup->ShowArea : nullptr;
  const std::string mainId(kMainMenuId);
  if (show) show(area, mainId.c_str());
  for (const auto& entry : VisibleEntries()) {
    if (show) show(area, entry.HostItemId.c_str());
    RenewCaption(entry);
  }
  return 1;
}

std::int32_t ClickItem(const MenuClickDef* click) {
  const std::string_view itemId =
      click && click->Item ? TextOrEmpty(click->Item->ItemId) : std::string_view();
  if (itemId == kMainMenuId) return 0;
  const int index = FindMenuEntryById(itemId);
  if (index < 0) return 0;
  const std::string entryName = MenuEntries[static_cast<std::size_t>(index)].EntryName;
  SetProgramVariable("$_ID", PopupContactId(click ? click->Popup : nullptr));
  SetProgramVariable("$_MENU_ITEM", entryName);
  RunScript(ScriptLines, entryMenuClick);
  return 0;
}

// Blanks and control characters, as the service trims its text.
std::string_view TrimControl(std::string_view text) {
  auto isCut = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!text.empty() && isCut(text.front())) text.remove_prefix(1);
  while (!text.empty() && isCut(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::int32_t KW_CDECL MessageHook(ProtocolEventDef* event, ProtocolMesageDef* message) {
  try {
    HookCallScope scope;
    const std::int32_t code = event ? event->Code : 0;
    if (code != kMessageReceived && code != kMessageSending) return 0;
    return RunMessageEvent(event, message) ? -1 : 0;
  } catch (...) {
    return 0;
  }
}

bool RunMessageEvent(ProtocolEventDef* event, ProtocolMesageDef* message) {
  if (message && message->Mark == OwnMessageMark) return false;
  const bool received = event && event->Code == kMessageReceived;
  SetProgramVariable("$_ID", message ? TextOrEmpty(message->ContactId) : std::string_view());
  SetProgramVariable("$_PROTO", message ? TextOrEmpty(message->ProtocolId) : std::string_view());
  SetProgramVariable("$_MESSAGE", message ? TextOrEmpty(message->Text) : std::string_view());
  SetProgramVariable("$_FILTR", "0");
  SetProgramVariable("$_IN", received ? "1" : "0");
  RunScript(ScriptLines, entryStart);
  const bool filtered = ReadInt(ResolveValue("$_FILTR"), 0) != 0;
  if (message) {
    handedTexts.push_back(ResolveShared("$_MESSAGE"));
    message->Text = handedTexts.back()->c_str();
  }
  return filtered;
}

std::int32_t KW_CDECL MenuCallback(std::int32_t code, void* record) {
  if (menuDepth >= kMaxNestedRuns) return 0;
  ++menuDepth;
  struct Leave {
    ~Leave() { --menuDepth; }
  } leave;
  try {
    if (code == kMenuPopup) return ShowPopup(static_cast<MenuPopupDef*>(record));
    if (code == kMenuClick) return ClickItem(static_cast<const MenuClickDef*>(record));
    return 0;
  } catch (...) {
    return 0;
  }
}

std::intptr_t KW_CDECL ServiceCallback(std::intptr_t text, std::intptr_t /*second*/) {
  try {
    std::string_view whole = TextOrEmpty(FromParam<const char>(text));
    if (whole.find(' ') == std::string_view::npos) return 0;
    whole = TrimControl(whole);
    const std::size_t space = whole.find(' ');
    if (space == std::string_view::npos) return 0;  // empty keyword: nothing matches
    const std::string keyword = UpperCase(TrimControl(whole.substr(0, space)));
    const std::string_view rest = TrimControl(whole.substr(space + 1));
    if (!SameTextIgnoringCase(keyword, ServiceCommandTable[0])) return 0;
    const TListaStr params = SplitParameters(rest);
    if (params.size() >= 2) SetVariable(params[0], ResolveValue(params[1]), false);
    TraceVariableTable();
    return 0;
  } catch (...) {
    return 0;
  }
}

void ReleaseMessageTexts() {
  if (hookDepth == 0) handedTexts.clear();
}

}  // namespace kw
