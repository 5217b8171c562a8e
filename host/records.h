// The host interface as the plugin uses it: every record exchanged with the messenger
// and the type of every function that crosses the boundary.
//
// The messenger is a 32-bit program: numbers are signed 32-bit, texts are 4-byte
// pointers to zero-terminated Windows-1250 strings, and every record is a run of 4-byte
// slots. The records below keep that layout exactly on 32-bit targets (the asserts at
// the end check every offset and size there). On 64-bit builds the same declarations
// give the natural 64-bit layout, which only our own test host ever sees: whatever may
// carry a pointer (texts, handles, wParam/lParam, results of CallService) is pointer
// sized there, plain numbers stay 32-bit.
//
// Slots the plugin neither sets nor reads are named ReservedNN after their 32-bit
// offset. Records the plugin builds are zero-filled first (MakeRecord) and carry their
// own size in Size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Every function called across the host boundary, in both directions, uses the C
// calling convention.
#if defined(_WIN32) && !defined(_WIN64)
#define KW_CDECL __cdecl
#else
#define KW_CDECL
#endif

namespace kw {

struct PluginInfoDef;
struct TPluginLink;
struct ProtocolEventDef;
struct ProtocolMesageDef;
struct ContactItemDef;
struct OptionsPageEventDef;

// ---- Functions the host calls (the plugin's callbacks) --------------------------------

// Behind a service made with CreateServiceFunction: CallService's wParam and lParam
// arrive unchanged. The plugin's "KWARTLIN/PROC_BRIX" gets its "mov" text in wParam.
using ServiceCallbackFn = std::intptr_t(KW_CDECL*)(std::intptr_t wParam, std::intptr_t lParam);
// Every message on a hooked protocol: -1 blocks it, 0 lets it pass.
using MessageHookFn = std::int32_t(KW_CDECL*)(ProtocolEventDef* event, ProtocolMesageDef* message);
// Contact-list popup: code 1 with a MenuPopupDef, code 2 with a MenuClickDef.
using MenuCallbackFn = std::int32_t(KW_CDECL*)(std::int32_t code, void* record);
// One contact-list element per call during "Tlen/ContactList/EnumerateItems"; value is
// EnumItemsDef::Value as the plugin gave it.
using EnumItemsCallbackFn = std::int32_t(KW_CDECL*)(ContactItemDef* item, std::intptr_t value);
// The plugin's page of the options dialog; always returns 0.
using OptionsPageCallbackFn = std::int32_t(KW_CDECL*)(OptionsPageEventDef* event);

// ---- Functions the plugin calls (the host's) ------------------------------------------

// Registers callback under name; returns the service handle (0 = failed).
using CreateServiceFunctionFn = std::intptr_t(KW_CDECL*)(void* instance, const char* name,
                                                         ServiceCallbackFn callback);
// Withdraws a service made by CreateServiceFunction; the result is not read.
using DestroyServiceFunctionFn = std::intptr_t(KW_CDECL*)(void* instance, std::intptr_t handle);
// Calls the host service of that name.
using CallServiceFn = std::intptr_t(KW_CDECL*)(void* instance, const char* name,
                                               std::intptr_t wParam, std::intptr_t lParam);
// Obtained through "Tlen/GetProcAddress" with 4098: makes the item with that id visible
// in the popup being built; area is the address of MenuPopupDef::ShowArea. Result ignored.
using ShowItemFn = std::intptr_t(KW_CDECL*)(void* area, const char* itemId);

// The module's three exports, found by name.
using GetPluginInfoFn = PluginInfoDef*(KW_CDECL*)();
using LoadPluginFn = std::int32_t(KW_CDECL*)(TPluginLink* link);  // always 0
using UnloadPluginFn = std::int32_t(KW_CDECL*)();                 // always 0

// The host's link record, handed to LoadPlugin and kept for the module's life.
struct TPluginLink {
  CreateServiceFunctionFn CreateServiceFunction;  // 0
  DestroyServiceFunctionFn DestroyServiceFunction;  // 4
  CallServiceFn CallService;  // 8
};

// ---- Records --------------------------------------------------------------------------

// What GetPluginInfo returns: names the plugin to the host.
struct PluginInfoDef {
  std::int32_t Size;              // 0: 52
  const char* Name;               // 4: "Kwartlin"
  std::int32_t InterfaceVersion;  // 8: host interface version the plugin was made for
  std::int32_t Version;           // 12: module version, one byte per part, major first
  const char* Description;        // 16: one-line description
  const char* Notice;             // 20: legal notice line
  const char* Author;             // 24: author and contact line
  const char* Email;              // 28: e-mail address
  const char* WebAddress;         // 32: web address
  std::int32_t Reserved36;        // 36..48: 0
  std::int32_t Reserved40;
  std::int32_t Reserved44;
  std::int32_t Reserved48;
};

// "Tlen/AddOptionsPage" lParam: the plugin's page of the options dialog.
struct OptionsPageDef {
  std::int32_t Size;                  // 0: 36
  const char* PageId;                 // 4: "KwartlinOptForm/Page1"
  std::intptr_t Reserved8;            // 8: 0
  const char* Caption;                // 12: "Kwartlin"
  std::int32_t PageKind;              // 16: 3 (the host's meaning)
  std::intptr_t Reserved20;           // 20: 0
  std::intptr_t SmallIcon;            // 24: 16x16 bitmap handle of the page
  OptionsPageCallbackFn Callback;     // 28: OptionsPageCallback
  std::intptr_t Reserved32;           // 32: 0
};

// "Tlen/ProtocolHookEvent" wParam: hooks every message of one protocol.
struct ProtocolHookDef {
  std::int32_t Size;        // 0: 20
  const char* ProtocolId;   // 4: "GG" or "TLEN"
  MessageHookFn Hook;       // 8: MessageHook
  const char* EmptyText;    // 12: a lone zero byte
  void* Instance;           // 16: PluginInstance
};

// First argument of MessageHook (the host's).
struct ProtocolEventDef {
  std::intptr_t Reserved0;  // 0
  std::intptr_t Reserved4;  // 4
  std::int32_t Code;        // 8: 1 received message, 5 message being sent; others ignored
};

// Dynamic list of contacts inside a message; always empty in the plugin's own messages.
struct ContactsListDef {
  std::intptr_t Reserved0;  // 0
  void* Items;              // 4: dynamic array of 36-byte elements; null = empty
  std::intptr_t Reserved8;  // 8
};

// A message: second argument of MessageHook, and the record "PFSendMessage" sends.
struct ProtocolMesageDef {
  std::int32_t Size;          // 0: 92
  std::intptr_t Reserved4;    // 4
  const char* ContactId;      // 8: the other party's id
  const char* ProtocolId;     // 12: "GG" or "TLEN"
  std::intptr_t Reserved16;   // 16..36
  std::intptr_t Reserved20;
  std::intptr_t Reserved24;
  std::intptr_t Reserved28;
  std::intptr_t Reserved32;
  std::intptr_t Reserved36;
  ContactsListDef Contacts;   // 40..51: empty
  std::int32_t Kind;          // 52: 4 in a message the plugin sends
  std::intptr_t Reserved56;   // 56, 60
  std::intptr_t Reserved60;
  const char* Text;           // 64: message text; the hook puts the plugin's own text here
  std::intptr_t Reserved68;   // 68..84
  std::intptr_t Reserved72;
  std::intptr_t Reserved76;
  std::intptr_t Reserved80;
  std::intptr_t Reserved84;
  std::int32_t Mark;          // 88: 1234 in a message the plugin sends
};

// The contact-list element a popup was opened on (the host's).
struct PopupElementDef {
  std::intptr_t Reserved0;  // 0
  const char* ContactId;    // 4: contact id
};

// MenuCallback record for code 1: the contact-list popup about to open (the host's).
struct MenuPopupDef {
  std::intptr_t Reserved0;   // 0..24
  std::intptr_t Reserved4;
  std::intptr_t Reserved8;
  std::intptr_t Reserved12;
  std::intptr_t Reserved16;
  std::intptr_t Reserved20;
  std::intptr_t Reserved24;
  PopupElementDef* Element;  // 28: the selected element
  std::intptr_t Reserved32;  // 32
  // 36: start of the host's area for ShowItemProc; only its address is used. Its real
  // extent is the host's; four slots give a host built here some room.
  std::intptr_t ShowArea[4];
};

struct MenuItemDef;

// MenuCallback record for code 2: a menu item clicked (the host's).
struct MenuClickDef {
  std::intptr_t Reserved0;  // 0
  MenuItemDef* Item;        // 4: the clicked item; its ItemId names it
  MenuPopupDef* Popup;      // 8: the popup it was clicked in
};

// "Tlen/ProtocolCallFunction" wParam: calls one function of one protocol.
struct ProtocolCallDef {
  std::int32_t Size;          // 0: 20
  const char* ProtocolId;     // 4: "GG", "TLEN" or whatever the script gave
  const char* FunctionName;   // 8: "PFSendMessage", "PFGetUserState", "PFChangeUserState"
  std::intptr_t Param1;       // 12: first parameter (the address of the function's record)
  std::intptr_t Param2;       // 16: second parameter
};

// The user's own status on one protocol: read by "PFGetUserState", set by
// "PFChangeUserState".
struct UserStateDef {
  std::int32_t Size;          // 0: 76
  std::intptr_t Reserved4;    // 4..36
  std::intptr_t Reserved8;
  std::intptr_t Reserved12;
  std::intptr_t Reserved16;
  std::intptr_t Reserved20;
  std::intptr_t Reserved24;
  std::intptr_t Reserved28;
  std::intptr_t Reserved32;
  std::intptr_t Reserved36;
  std::int32_t Status;        // 40: status number, 1 (offline) to 7 (invisible)
  std::intptr_t Reserved44;   // 44
  const char* Description;    // 48: status description
  std::intptr_t Reserved52;   // 52..72
  std::intptr_t Reserved56;
  std::intptr_t Reserved60;
  std::intptr_t Reserved64;
  std::intptr_t Reserved68;
  std::intptr_t Reserved72;
};

// "Tlen/ContactList/EnumerateItems" wParam: walk the contact list.
struct EnumItemsDef {
  std::int32_t Size;              // 0: 20
  std::int32_t Kind;              // 4: element kind wanted, 3 (contacts)
  std::intptr_t Reserved8;        // 8: 0
  EnumItemsCallbackFn Callback;   // 12: ContactMatches
  std::intptr_t Value;            // 16: handed back to Callback unchanged
};

// One element of the host's contact list, as the enumeration hands it over (the host's).
struct ContactItemDef {
  std::intptr_t Reserved0;    // 0..8
  std::intptr_t Reserved4;
  std::intptr_t Reserved8;
  std::int32_t AuxNumber;     // 12: a number of the host's
  std::intptr_t Reserved16;   // 16
  std::int32_t Kind;          // 20: element kind; 3 = contact
  std::intptr_t Reserved24;   // 24, 28
  std::intptr_t Reserved28;
  std::int32_t Flags;         // 32: CINFO_* bits
  std::intptr_t Reserved36;   // 36, 40
  std::intptr_t Reserved40;
  const char* Name;           // 44: display name
  const char* Group;          // 48: group name
  const char* Description;    // 52: status description
  std::intptr_t Reserved56;   // 56, 60
  std::intptr_t Reserved60;
  const char* ContactId;      // 64: contact id
  const char* AuxText;        // 68: a further text of the host's
};

// An item of the contact-list popup: "Tlen/AddMenuItem", "Tlen/ChangeMenuItem", and the
// clicked item of a MenuClickDef.
struct MenuItemDef {
  std::int32_t Size;          // 0: 84
  const char* ItemId;         // 4: item id
  const char* ParentId;       // 8: parent item id; null = top level
  const char* MenuName;       // 12: "Tlen/CL/Element"
  const char* Caption;        // 16: text shown
  std::intptr_t Reserved20;   // 20
  std::int32_t ChangeFlags;   // 24: what "Tlen/ChangeMenuItem" renews; bit 28 = caption
  std::int32_t Position;      // 28: place in the menu
  std::intptr_t Reserved32;   // 32..64
  std::intptr_t Reserved36;
  std::intptr_t Reserved40;
  std::intptr_t Reserved44;
  std::intptr_t Reserved48;
  std::intptr_t Reserved52;
  std::intptr_t Reserved56;
  std::intptr_t Reserved60;
  std::intptr_t Reserved64;
  MenuCallbackFn Callback;    // 68: MenuCallback
  std::intptr_t Reserved72;   // 72
  void* Instance;             // 76: PluginInstance
  std::intptr_t Reserved80;   // 80
};

// The options page callback's record (the host's); the plugin fills in name,
// description and picture on every call.
struct OptionsPageEventDef {
  std::intptr_t Reserved0;      // 0, 4
  std::intptr_t Reserved4;
  std::int32_t Action;          // 8: 1 show, 2 hide, 3 and 4 save, 5 destroy
  std::intptr_t Window;         // 12: window handle of the page area
  std::intptr_t Reserved16;     // 16
  std::int32_t Left;            // 20: page area, signed
  std::int32_t Top;             // 24
  std::int32_t Width;           // 28
  std::int32_t Height;          // 32
  std::intptr_t Reserved36;     // 36, 40
  std::intptr_t Reserved40;
  char PageName[256];           // 44: written by the plugin, zero-padded
  char PageDescription[1024];   // 300: written by the plugin, zero-padded
  std::intptr_t Picture;        // 1324: bitmap handle, written by the plugin
};

// ---- Helpers --------------------------------------------------------------------------

// A record of the plugin's, zero in every byte (padding of 64-bit layouts included),
// with Size set to its own size.
template <class T>
T MakeRecord() {
  T r;
  std::memset(&r, 0, sizeof r);
  r.Size = static_cast<std::int32_t>(sizeof(T));
  return r;
}

// A host record built by a host of ours: zero in every byte.
template <class T>
T ZeroRecord() {
  T r;
  std::memset(&r, 0, sizeof r);
  return r;
}

// Texts travel as pointer-sized integers in wParam and lParam.
inline std::intptr_t ToParam(const void* p) { return reinterpret_cast<std::intptr_t>(p); }
template <class T>
T* FromParam(std::intptr_t v) { return reinterpret_cast<T*>(v); }

// ---- Layout of the 32-bit interface ---------------------------------------------------

#define KW_AT(type, field, offset) \
  static_assert(sizeof(void*) != 4 || offsetof(type, field) == (offset), #type "::" #field)
#define KW_SIZE(type, size) \
  static_assert(sizeof(void*) != 4 || sizeof(type) == (size), "sizeof " #type)

KW_AT(TPluginLink, CreateServiceFunction, 0);
KW_AT(TPluginLink, DestroyServiceFunction, 4);
KW_AT(TPluginLink, CallService, 8);
KW_SIZE(TPluginLink, 12);

KW_AT(PluginInfoDef, Name, 4);
KW_AT(PluginInfoDef, InterfaceVersion, 8);
KW_AT(PluginInfoDef, Version, 12);
KW_AT(PluginInfoDef, Description, 16);
KW_AT(PluginInfoDef, Notice, 20);
KW_AT(PluginInfoDef, Author, 24);
KW_AT(PluginInfoDef, Email, 28);
KW_AT(PluginInfoDef, WebAddress, 32);
KW_AT(PluginInfoDef, Reserved36, 36);
KW_AT(PluginInfoDef, Reserved48, 48);
KW_SIZE(PluginInfoDef, 52);

KW_AT(OptionsPageDef, PageId, 4);
KW_AT(OptionsPageDef, Reserved8, 8);
KW_AT(OptionsPageDef, Caption, 12);
KW_AT(OptionsPageDef, PageKind, 16);
KW_AT(OptionsPageDef, Reserved20, 20);
KW_AT(OptionsPageDef, SmallIcon, 24);
KW_AT(OptionsPageDef, Callback, 28);
KW_AT(OptionsPageDef, Reserved32, 32);
KW_SIZE(OptionsPageDef, 36);

KW_AT(ProtocolHookDef, ProtocolId, 4);
KW_AT(ProtocolHookDef, Hook, 8);
KW_AT(ProtocolHookDef, EmptyText, 12);
KW_AT(ProtocolHookDef, Instance, 16);
KW_SIZE(ProtocolHookDef, 20);

KW_AT(ProtocolEventDef, Code, 8);

KW_AT(ContactsListDef, Items, 4);
KW_SIZE(ContactsListDef, 12);

KW_AT(ProtocolMesageDef, Reserved4, 4);
KW_AT(ProtocolMesageDef, ContactId, 8);
KW_AT(ProtocolMesageDef, ProtocolId, 12);
KW_AT(ProtocolMesageDef, Reserved16, 16);
KW_AT(ProtocolMesageDef, Reserved36, 36);
KW_AT(ProtocolMesageDef, Contacts, 40);
KW_AT(ProtocolMesageDef, Kind, 52);
KW_AT(ProtocolMesageDef, Reserved56, 56);
KW_AT(ProtocolMesageDef, Reserved60, 60);
KW_AT(ProtocolMesageDef, Text, 64);
KW_AT(ProtocolMesageDef, Reserved68, 68);
KW_AT(ProtocolMesageDef, Reserved84, 84);
KW_AT(ProtocolMesageDef, Mark, 88);
KW_SIZE(ProtocolMesageDef, 92);

KW_AT(PopupElementDef, ContactId, 4);

KW_AT(MenuPopupDef, Element, 28);
KW_AT(MenuPopupDef, ShowArea, 36);

KW_AT(MenuClickDef, Item, 4);
KW_AT(MenuClickDef, Popup, 8);

KW_AT(ProtocolCallDef, ProtocolId, 4);
KW_AT(ProtocolCallDef, FunctionName, 8);
KW_AT(ProtocolCallDef, Param1, 12);
KW_AT(ProtocolCallDef, Param2, 16);
KW_SIZE(ProtocolCallDef, 20);

KW_AT(UserStateDef, Reserved4, 4);
KW_AT(UserStateDef, Reserved36, 36);
KW_AT(UserStateDef, Status, 40);
KW_AT(UserStateDef, Reserved44, 44);
KW_AT(UserStateDef, Description, 48);
KW_AT(UserStateDef, Reserved52, 52);
KW_AT(UserStateDef, Reserved72, 72);
KW_SIZE(UserStateDef, 76);

KW_AT(EnumItemsDef, Kind, 4);
KW_AT(EnumItemsDef, Reserved8, 8);
KW_AT(EnumItemsDef, Callback, 12);
KW_AT(EnumItemsDef, Value, 16);
KW_SIZE(EnumItemsDef, 20);

KW_AT(ContactItemDef, AuxNumber, 12);
KW_AT(ContactItemDef, Kind, 20);
KW_AT(ContactItemDef, Flags, 32);
KW_AT(ContactItemDef, Name, 44);
KW_AT(ContactItemDef, Group, 48);
KW_AT(ContactItemDef, Description, 52);
KW_AT(ContactItemDef, ContactId, 64);
KW_AT(ContactItemDef, AuxText, 68);
KW_SIZE(ContactItemDef, 72);

KW_AT(MenuItemDef, ItemId, 4);
KW_AT(MenuItemDef, ParentId, 8);
KW_AT(MenuItemDef, MenuName, 12);
KW_AT(MenuItemDef, Caption, 16);
KW_AT(MenuItemDef, Reserved20, 20);
KW_AT(MenuItemDef, ChangeFlags, 24);
KW_AT(MenuItemDef, Position, 28);
KW_AT(MenuItemDef, Reserved32, 32);
KW_AT(MenuItemDef, Reserved64, 64);
KW_AT(MenuItemDef, Callback, 68);
KW_AT(MenuItemDef, Reserved72, 72);
KW_AT(MenuItemDef, Instance, 76);
KW_AT(MenuItemDef, Reserved80, 80);
KW_SIZE(MenuItemDef, 84);

KW_AT(OptionsPageEventDef, Action, 8);
KW_AT(OptionsPageEventDef, Window, 12);
KW_AT(OptionsPageEventDef, Reserved16, 16);
KW_AT(OptionsPageEventDef, Left, 20);
KW_AT(OptionsPageEventDef, Top, 24);
KW_AT(OptionsPageEventDef, Width, 28);
KW_AT(OptionsPageEventDef, Height, 32);
KW_AT(OptionsPageEventDef, Reserved36, 36);
KW_AT(OptionsPageEventDef, PageName, 44);
KW_AT(OptionsPageEventDef, PageDescription, 300);
KW_AT(OptionsPageEventDef, Picture, 1324);
KW_SIZE(OptionsPageEventDef, 1328);

#undef KW_AT
#undef KW_SIZE

}  // namespace kw
