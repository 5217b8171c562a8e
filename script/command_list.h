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

#include <cstdint>
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

}  // namespace kw
