// The command set, declared once. Every table that has one entry per command is built
// from KW_COMMANDS below or checked against it at compile time: the command codes and
// kCommandCount (KwartlinConst.h), CommandTable with the help texts (KwartlinConst.cpp),
// the interpreter's handler table (commands.cpp, handler Do<Name>), the script checker
// (check/) and the benchmarks' reference engine.
// Adding a command takes one entry here and its handler.
//
// The list is header-only and needs nothing but support/cp1250.h, so any reader takes it
// without linking the engine's library. The position of an entry is its
// command code, which the compiled script and the options menu's tags hold: entries are
// only ever appended.
//
// X(Name, Word, Group, Form, MinParams, Values, Results, Syntax, Description)
//   Name         the command's name in code: cmd<Name>, Do<Name>
//   Word         the keyword as people write it (matched ignoring case)
//   Group        the options menu's submenu (TCommandGroup without "group")
//   Form         what follows the keyword (TParamForm)
//   MinParams    List: fewer parameters make the line do nothing
//   Values       bit n set: parameter n is read as a value (kAllParams: every one);
//                the others only name a variable the command writes or flags
//   Results      bit n set: the command writes a result into parameter n's variable
//   Syntax       the one-line syntax shown for the command under the caret, Windows-1250
//   Description  the one-sentence help shown with it, Windows-1250
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "support/cp1250.h"

namespace kw {

// What follows a command's keyword.
enum class TParamForm : std::uint8_t {
  None,       // nothing; the rest of the line is ignored
  Label,      // the rest, as written, is a label name
  Condition,  // the rest is an IF condition
  RestValue,  // the rest is one value
  List,       // comma-separated parameters
};

// Submenus of the command reference menu, the positions in GroupNames.
enum TCommandGroup : std::uint8_t {
  groupMisc, groupNumbers, groupTexts, groupBits, groupMenu, groupStatus,
};

inline constexpr std::uint32_t kAllParams = ~std::uint32_t{0};

// clang-format off
#define KW_COMMANDS(X) \
  X(Goto, "GOTO", Misc, Label, 0, 0, 0, \
    "GOTO nazwa_etykiety", \
    "Skacze do etykiety.") \
  X(If, "IF", Misc, Condition, 0, 0, 0, \
    "IF $zm/const <oper> $zm/const", \
    "Jeśli warunek jest prawdziwy to wykonuje następną operację. Jeśli nie, skacze dwie operacje dalej."_w) \
  X(Mov, "MOV", Misc, List, 2, 0b10, 0b1, \
    "MOV $res, $zm/const", \
    "Kopiuje do $res wartość z $zm/const."_w) \
  X(Exit, "EXIT", Misc, None, 0, 0, 0, \
    "EXIT", \
    "Powoduje wyjście ze skryptu."_w) \
  X(Send, "SEND", Misc, List, 2, 0b11, 0, \
    "SEND $zm/const(id), $zm/const(wiadomość)"_w, \
    "Wysyła wiadomość do osoby (id)."_w) \
  X(Save, "SAVE", Misc, List, 2, 0b10, 0, \
    "SAVE zm, bool", \
    "Ustawia znacznik, czy wartość zmiennej ma być zapamiętywania przy zamykaniu komunikatora (i odtwarzana przy starcie)."_w) \
  X(Add, "ADD", Numbers, List, 2, 0b11, 0b1, \
    "ADD $res, $zm/const", \
    "Dodaje do $res wartość z $zm/const i wynik wpisuje do $res."_w) \
  X(Subb, "SUBB", Numbers, List, 2, 0b11, 0b1, \
    "SUBB $res, $zm/const", \
    "Odejmuje od $res wartość z $zm/const i wynik wpisuje do $res."_w) \
  X(Mul, "MUL", Numbers, List, 2, 0b11, 0b1, \
    "MUL $res, $zm/const", \
    "Mnoży wartość z $res z $zm/const i wynik wpisuje do $res."_w) \
  X(Div, "DIV", Numbers, List, 2, 0b11, 0b1, \
    "DIV $res, $zm/const", \
    "Dzieli (całkowicie) wartość z $res przez $zm/const i wynik wpisuje do $res."_w) \
  X(StrCon, "STRCON", Texts, List, 2, kAllParams, 0b1, \
    "STRCON $res, $zm/const, $zm/const,...", \
    "Łączy stringi (ciągi tekstowe) i wynik wpisuje do $res. Ilość stringów nie jest ograniczona."_w) \
  X(StrLen, "STRLEN", Texts, List, 2, 0b10, 0b1, \
    "STRLEN $res, $zm/const", \
    "Do $res wpisuje długość tekstu w $zm/const."_w) \
  X(StrCopy, "STRCOPY", Texts, List, 4, 0b1110, 0b1, \
    "STRCOPY $res, $zm/const(tekst), $zm/const(index), $zm/const(count)", \
    "Do $res jest kopiowane \"count\" znaków z \"tekst\", od znaku numer \"index\" (włącznie)."_w) \
  X(StrDel, "STRDEL", Texts, List, 3, 0b111, 0b1, \
    "STRDEL $res, $zm/const(index), $zm/const(count)", \
    "Z tekstu $res jest usuwanych \"count\" znaków, od znaku numer \"index\" (włącznie)."_w) \
  X(StrPos, "STRPOS", Texts, List, 3, 0b110, 0b1, \
    "STRPOS $res, $zm/const(substr), $zm/const(str)", \
    "Do $res wpisuje index wystąpienia ciągu \"substr\" w \"str\". W przypadku gdy dany tekst nie został znaleziony, zwracana wartośc to 0."_w) \
  X(StrExt, "STREXT", Texts, List, 4, 0b111, 0b1000, \
    "STREXT $zm/const(tekst), $zm/const(znak rodz.), $zm/const(index), $res", \
    "Rozdziela \"tekst\" na tablicę wg \"znaków rodzielających\" i do $res wpisuje element o indeksie \"index\"."_w) \
  X(StrTrim, "STRTRIM", Texts, List, 1, 0b1, 0b1, \
    "STRTRIM $res", \
    "Usuwa spacje na początku i na końcu tekstu."_w) \
  X(StrUp, "STRUP", Texts, List, 1, 0b1, 0b1, \
    "STRUP $res(tekst)", \
    "Zmienia wszystkie litery na duże."_w) \
  X(StrLow, "STRLOW", Texts, List, 1, 0b1, 0b1, \
    "STRLOW $res(tekst)", \
    "Zmienia wszystkie litery na małe."_w) \
  X(ChkSpam, "CHKSPAM", Misc, List, 2, 0b10, 0b1, \
    "CHKSPAM $res, $zm/const", \
    "Sprawdza czy podany tekst ($zm/const) to spam. Jeśli tak, do $res wpisuje #TRUE, jeśli nie - #FALSE"_w) \
  X(SetSts, "SETSTS", Status, List, 3, 0b111, 0, \
    "SETSTS $zm/const(proto), $zm/const(status), $zm/const(opis)", \
    "Ustawia status dla protokołu \"proto\". Wartości przyjmowane przez \"proto\" orazprzez \"status\" znajdują się na liście stałych programu."_w) \
  X(ReadSts, "READSTS", Status, List, 3, 0b1, 0b110, \
    "READSTS $zm/const(proto), $res(status), $res(opis)", \
    "Pobiera status dla protokołu \"proto\". Wartości przyjmowane przez \"proto\" orazprzez \"status\" znajdują się na liście stałych programu."_w) \
  X(GetDate, "GETDATE", Misc, List, 3, 0, 0b111, \
    "GETDATE $res(rok), $res(miesiąc), $res(dzień)"_w, \
    "Zwraca w 3 zmiennych bieżacy rok, miesiąc i dzień."_w) \
  X(GetTime, "GETTIME", Misc, List, 3, 0, 0b111, \
    "GETTIME $res(godzina), $res(minuta), $res(sekunda)", \
    "Zwraca w 3 zmiennych bieżącą godzinę, minutę i sekundę."_w) \
  X(ChkInt, "CHKINT", Numbers, List, 2, 0b1, 0b10, \
    "CHKINT $res(bool), $zm/const", \
    "Sprawdza czy \"tekst\" jest poprawną liczbą. Wynik (#TRUE, #FALSE) zwraca w $res."_w) \
  X(BitAnd, "BITAND", Bits, List, 2, 0b11, 0b1, \
    "BITAND $res(liczba), $zm/const(liczba)", \
    "Bitowe \"AND\". Podane wartości muszą być liczbowe."_w) \
  X(BitOr, "BITOR", Bits, List, 2, 0b11, 0b1, \
    "BITOR $res(liczba), $zm/const(liczba)", \
    "Bitowe \"OR\". Podane wartości muszą być liczbowe."_w) \
  X(BitXor, "BITXOR", Bits, List, 2, 0b11, 0b1, \
    "BITXOR $res(liczba), $zm/const(liczba)", \
    "Bitowe \"XOR\". Podane wartości muszą być liczbowe."_w) \
  X(BitNot, "BITNOT", Bits, List, 1, 0b1, 0b1, \
    "BITNOT  $res(liczba)", \
    "Bitowe \"NOT\". Podana wartość musi być liczbowa."_w) \
  X(BitShr, "BITSHR", Bits, List, 2, 0b11, 0b1, \
    "BITSHR  $res(liczba), $zm/const(ile przes)", \
    "Przesunięcie bitów o \"ile przes\" miejsc w prawo. Podane wartości muszą być liczbowe."_w) \
  X(BitShl, "BITSHL", Bits, List, 2, 0b11, 0b1, \
    "BITSHL  $res(liczba), $zm/const(ile przes)", \
    "Przesunięcie bitów o \"ile przes\" miejsc w lewo. Podane wartości muszą być liczbowe."_w) \
  X(ConInfo, "CONINFO", Status, List, 5, 0b1, 0b11110, \
    "CONINFO $zm/const(id), $res(nazwa), $res(grupa), $res(opis), $res(flagi)", \
    "Zwraca informacje o kontakcie.") \
  X(Call, "CALL", Misc, Label, 0, 0, 0, \
    "CALL nazwa_etykiety", \
    "Skacze do etykiety i zapamiętuje bieżacą pozycję."_w) \
  X(Ret, "RET", Misc, None, 0, 0, 0, \
    "RET (brak parametrów)"_w, \
    "Powraca do miejsca z którego zostalo wywołane CALL (patrz przykład CALL)."_w) \
  X(MenuAdd, "MenuAdd", Menu, List, 2, 0b11, 0, \
    "MenuAdd $zm/const(id menu), $zm/const(tekst)", \
    "Dodaje nową pozycje w menu wtyczki (lub zmienia nazwę już istniejacej)."_w) \
  X(MenuDel, "MenuDel", Menu, RestValue, 0, 0, 0, \
    "MenuDel $zm/const(id menu)", \
    "Usuwa pozycje z menu wtyczki.") \
  X(MenuShow, "MenuShow", Menu, List, 2, 0b11, 0, \
    "MenuShow $zm/const(id menu), $zm/const(bool)", \
    "Ustawia status ukryty/widoczny pozycji z menu.") \
  X(SaveConfig, "SaveConfig", Misc, None, 0, 0, 0, \
    "SaveConfig (brak parametrów)"_w, \
    "Zapisuje ustawienia i wartości pamiętanych zmiennych."_w)
// clang-format on

// One command of the list as data, for code that walks the set rather than switching
// on it.
struct TCommandEntry {
  std::string_view Word;         // as people write it
  TCommandGroup Group;
  TParamForm Form;
  std::uint8_t MinParams;
  std::uint32_t Values;          // bit n: parameter n is read as a value
  std::uint32_t Results;         // bit n: a result is written into parameter n's variable
  std::string_view Syntax;       // Windows-1250
  std::string_view Description;  // Windows-1250
};

#define KW_COMMAND_LIST_ENTRY(Name, Word, Group, Form, MinParams, Values, Results, Syntax, Description) \
  {Word, group##Group, TParamForm::Form, MinParams, Values, Results, Syntax, Description},
// Indexed by command code.
inline constexpr TCommandEntry kCommandList[] = {KW_COMMANDS(KW_COMMAND_LIST_ENTRY)};
#undef KW_COMMAND_LIST_ENTRY


// What each parameter of each command means, declared once: the checker reads a value
// by it, the trace shows the variables a line writes by it, the playground offers and
// explains parameters by it, and the script guide's parameter table shows it. Checked
// at compile time against KW_COMMANDS' Form, MinParams, Values and Results below.
//
// X(Role, English, Polish): what a parameter holds.
// clang-format off
#define KW_PARAM_ROLES(X) \
  X(Text, "text", "tekst") \
  X(Message, "message text", "treść wiadomości") \
  X(Number, "whole number", "liczba całkowita") \
  X(Position, "position, from 1", "pozycja, od 1") \
  X(Index, "index, from 0", "indeks, od 0") \
  X(Count, "count", "liczba znaków") \
  X(Separator, "separator (one character)", "znak rozdzielający (jeden)") \
  X(Flag, "truth value", "wartość logiczna") \
  X(Protocol, "protocol", "protokół") \
  X(Status, "status", "status") \
  X(Contact, "contact id", "id kontaktu") \
  X(ContactFlags, "contact flags", "flagi kontaktu") \
  X(MenuEntry, "menu entry name", "nazwa pozycji menu") \
  X(Caption, "menu caption", "tekst pozycji menu") \
  X(Variable, "variable name", "nazwa zmiennej") \
  X(Label, "label name", "nazwa etykiety") \
  X(Condition, "condition", "warunek")
// clang-format on

#define KW_PARAM_ROLE_ENUM(Role, English, Polish) Role,
enum class TParamRole : std::uint8_t { KW_PARAM_ROLES(KW_PARAM_ROLE_ENUM) };
#undef KW_PARAM_ROLE_ENUM

struct TParamRoleName {
  std::string_view Id;  // the role's name in code, for tools
  std::string_view English;
  std::string_view Polish;  // Windows-1250
};
#define KW_PARAM_ROLE_NAME(Role, English, Polish) {#Role, English, Polish##_w},
// Indexed by TParamRole.
inline constexpr TParamRoleName kParamRoleNames[] = {KW_PARAM_ROLES(KW_PARAM_ROLE_NAME)};
#undef KW_PARAM_ROLE_NAME

// How a run uses a parameter.
enum class TParamAccess : std::uint8_t {
  Read,     // resolved as a value
  Write,    // names the variable a result is written into
  Modify,   // read as a value, then the result written back into its variable
  AsWritten,  // taken as written, never resolved: a label name, SAVE's variable name
};

struct TParam {
  TParamRole Role;
  TParamAccess Access;
};

inline constexpr std::size_t kMaxParams = 5;

// One command's parameters.
struct TParamSignature {
  TParam Params[kMaxParams] = {};
  std::uint8_t Count = 0;
  bool Rest = false;         // the one parameter is the whole rest of the line
  bool LastRepeats = false;  // further parameters are like the last (STRCON)

  // The declaration of parameter n; the repeated last for n past Count; null when the
  // command has no such parameter.
  constexpr const TParam* At(std::size_t n) const {
    if (n < Count) return &Params[n];
    return LastRepeats && Count > 0 ? &Params[Count - 1] : nullptr;
  }
  // By index rather than through At: GCC 12 under the sanitizers takes a comparison of a
  // pointer into a constant table for no constant, and the list's checks need these.
  constexpr bool Has(std::size_t n) const { return n < Count || (LastRepeats && Count > 0); }
  constexpr TParamAccess AccessOf(std::size_t n) const { return Params[n < Count ? n : Count - 1].Access; }
  constexpr bool Reads(std::size_t n) const {
    return Has(n) && (AccessOf(n) == TParamAccess::Read || AccessOf(n) == TParamAccess::Modify);
  }
  constexpr bool Writes(std::size_t n) const {
    return Has(n) && (AccessOf(n) == TParamAccess::Write || AccessOf(n) == TParamAccess::Modify);
  }
};

namespace params {
constexpr TParam R(TParamRole r) { return {r, TParamAccess::Read}; }
constexpr TParam W(TParamRole r) { return {r, TParamAccess::Write}; }
constexpr TParam M(TParamRole r) { return {r, TParamAccess::Modify}; }
constexpr TParam N(TParamRole r) { return {r, TParamAccess::AsWritten}; }
template <class... P>
constexpr TParamSignature List(P... p) {
  TParamSignature s;
  const TParam all[] = {p...};
  for (const TParam& one : all) s.Params[s.Count++] = one;
  return s;
}
template <class... P>
constexpr TParamSignature Repeating(P... p) {
  TParamSignature s = List(p...);
  s.LastRepeats = true;
  return s;
}
constexpr TParamSignature Rest(TParam p) {
  TParamSignature s = List(p);
  s.Rest = true;
  return s;
}
constexpr TParamSignature None() { return {}; }
}  // namespace params

// X(Name, Signature), in the order of KW_COMMANDS.
// clang-format off
#define KW_COMMAND_PARAMS(X) \
  X(Goto, Rest(N(Label))) \
  X(If, Rest(R(Condition))) \
  X(Mov, List(W(Text), R(Text))) \
  X(Exit, None()) \
  X(Send, List(R(Contact), R(Message))) \
  X(Save, List(N(Variable), R(Flag))) \
  X(Add, List(M(Number), R(Number))) \
  X(Subb, List(M(Number), R(Number))) \
  X(Mul, List(M(Number), R(Number))) \
  X(Div, List(M(Number), R(Number))) \
  X(StrCon, Repeating(M(Text), R(Text))) \
  X(StrLen, List(W(Number), R(Text))) \
  X(StrCopy, List(W(Text), R(Text), R(Position), R(Count))) \
  X(StrDel, List(M(Text), R(Position), R(Count))) \
  X(StrPos, List(W(Position), R(Text), R(Text))) \
  X(StrExt, List(R(Text), R(Separator), R(Index), W(Text))) \
  X(StrTrim, List(M(Text))) \
  X(StrUp, List(M(Text))) \
  X(StrLow, List(M(Text))) \
  X(ChkSpam, List(W(Flag), R(Message))) \
  X(SetSts, List(R(Protocol), R(Status), R(Text))) \
  X(ReadSts, List(R(Protocol), W(Status), W(Text))) \
  X(GetDate, List(W(Number), W(Number), W(Number))) \
  X(GetTime, List(W(Number), W(Number), W(Number))) \
  X(ChkInt, List(R(Text), W(Flag))) \
  X(BitAnd, List(M(Number), R(Number))) \
  X(BitOr, List(M(Number), R(Number))) \
  X(BitXor, List(M(Number), R(Number))) \
  X(BitNot, List(M(Number))) \
  X(BitShr, List(M(Number), R(Count))) \
  X(BitShl, List(M(Number), R(Count))) \
  X(ConInfo, List(R(Contact), W(Text), W(Text), W(Text), W(ContactFlags))) \
  X(Call, Rest(N(Label))) \
  X(Ret, None()) \
  X(MenuAdd, List(R(MenuEntry), R(Caption))) \
  X(MenuDel, Rest(R(MenuEntry))) \
  X(MenuShow, List(R(MenuEntry), R(Flag))) \
  X(SaveConfig, None())
// clang-format on

namespace params {
using enum TParamRole;
#define KW_COMMAND_SIGNATURE(Name, Signature) Signature,
// Indexed by command code.
inline constexpr TParamSignature kSignatures[] = {KW_COMMAND_PARAMS(KW_COMMAND_SIGNATURE)};
#undef KW_COMMAND_SIGNATURE
}  // namespace params
using params::kSignatures;

namespace detail {
#define KW_COMMAND_NAME(Name, ...) #Name,
inline constexpr std::string_view kCommandNames[] = {KW_COMMANDS(KW_COMMAND_NAME)};
inline constexpr std::string_view kSignatureNames[] = {KW_COMMAND_PARAMS(KW_COMMAND_NAME)};
#undef KW_COMMAND_NAME

// The signature says what the command's columns say.
constexpr bool Agrees(const TCommandEntry& c, const TParamSignature& s) {
  std::uint32_t reads = 0, writes = 0;
  for (std::size_t n = 0; n < s.Count; ++n) {
    reads |= s.Reads(n) ? 1u << n : 0u;
    writes |= s.Writes(n) ? 1u << n : 0u;
  }
  switch (c.Form) {
    case TParamForm::None: return s.Count == 0 && c.Values == 0 && c.Results == 0;
    case TParamForm::Label: return s.Rest && s.Params[0].Access == TParamAccess::AsWritten;
    case TParamForm::Condition:
    case TParamForm::RestValue: return s.Rest && s.Params[0].Access == TParamAccess::Read;
    case TParamForm::List:
      return !s.Rest && s.Count == c.MinParams && (s.LastRepeats ? c.Values == kAllParams : c.Values == reads) &&
             c.Results == writes;
  }
  return false;
}

constexpr bool SignaturesAgree() {
  if (std::size(kCommandNames) != std::size(kSignatureNames)) return false;
  for (std::size_t i = 0; i < std::size(kCommandNames); ++i)
    if (kCommandNames[i] != kSignatureNames[i] || !Agrees(kCommandList[i], kSignatures[i])) return false;
  return true;
}
static_assert(SignaturesAgree(), "KW_COMMAND_PARAMS disagrees with KW_COMMANDS");
static_assert(std::size(kParamRoleNames) == static_cast<std::size_t>(TParamRole::Condition) + 1);
}  // namespace detail

}  // namespace kw
