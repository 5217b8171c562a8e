// The language's vocabulary as constant data, and the two keyword look-ups.
// Every text is the user-visible Windows-1250 text; Polish ones go through `_w` so the
// binary holds code-page bytes whatever the compiler's character set. The order of
// CommandTable is the command code the interpreter dispatches on: never reorder.
#include "script/KwartlinConst.h"

#include "script/text.h"
#include "support/casing.h"
#include "support/cp1250.h"

namespace kw {

const TRozkaz CommandTable[kCommandCount] = {
    /*  0 */ {"goto",
              "GOTO nazwa_etykiety",
              "Skacze do etykiety.",
              0},
    /*  1 */ {"if",
              "IF $zm/const <oper> $zm/const",
              "Jeśli warunek jest prawdziwy to wykonuje następną operację. Jeśli nie, skacze dwie operacje dalej."_w,
              0},
    /*  2 */ {"mov",
              "MOV $res, $zm/const",
              "Kopiuje do $res wartość z $zm/const."_w,
              0},
    /*  3 */ {"exit",
              "EXIT",
              "Powoduje wyjście ze skryptu."_w,
              0},
    /*  4 */ {"send",
              "SEND $zm/const(id), $zm/const(wiadomość)"_w,
              "Wysyła wiadomość do osoby (id)."_w,
              0},
    /*  5 */ {"save",
              "SAVE zm, bool",
              "Ustawia znacznik, czy wartość zmiennej ma być zapamiętywania przy zamykaniu komunikatora (i odtwarzana przy starcie)."_w,
              0},
    /*  6 */ {"add",
              "ADD $res, $zm/const",
              "Dodaje do $res wartość z $zm/const i wynik wpisuje do $res."_w,
              1},
    /*  7 */ {"subb",
              "SUBB $res, $zm/const",
              "Odejmuje od $res wartość z $zm/const i wynik wpisuje do $res."_w,
              1},
    /*  8 */ {"mul",
              "MUL $res, $zm/const",
              "Mnoży wartość z $res z $zm/const i wynik wpisuje do $res."_w,
              1},
    /*  9 */ {"div",
              "DIV $res, $zm/const",
              "Dzieli (całkowicie) wartość z $res przez $zm/const i wynik wpisuje do $res."_w,
              1},
    /* 10 */ {"strcon",
              "STRCON $res, $zm/const, $zm/const,...",
              "Łączy stringi (ciągi tekstowe) i wynik wpisuje do $res. Ilość stringów nie jest ograniczona."_w,
              2},
    /* 11 */ {"strlen",
              "STRLEN $res, $zm/const",
              "Do $res wpisuje długość tekstu w $zm/const."_w,
              2},
    /* 12 */ {"strcopy",
              "STRCOPY $res, $zm/const(tekst), $zm/const(index), $zm/const(count)",
              "Do $res jest kopiowane \"count\" znaków z \"tekst\", od znaku numer \"index\" (włącznie)."_w,
              2},
    /* 13 */ {"strdel",
              "STRDEL $res, $zm/const(index), $zm/const(count)",
              "Z tekstu $res jest usuwanych \"count\" znaków, od znaku numer \"index\" (włącznie)."_w,
              2},
    /* 14 */ {"strpos",
              "STRPOS $res, $zm/const(substr), $zm/const(str)",
              "Do $res wpisuje index wystąpienia ciągu \"substr\" w \"str\". W przypadku gdy dany tekst nie został znaleziony, zwracana wartośc to 0."_w,
              2},
    /* 15 */ {"strext",
              "STREXT $zm/const(tekst), $zm/const(znak rodz.), $zm/const(index), $res",
              "Rozdziela \"tekst\" na tablicę wg \"znaków rodzielających\" i do $res wpisuje element o indeksie \"index\"."_w,
              2},
    /* 16 */ {"strtrim",
              "STRTRIM $res",
              "Usuwa spacje na początku i na końcu tekstu."_w,
              2},
    /* 17 */ {"strup",
              "STRUP $res(tekst)",
              "Zmienia wszystkie litery na duże."_w,
              2},
    /* 18 */ {"strlow",
              "STRLOW $res(tekst)",
              "Zmienia wszystkie litery na małe."_w,
              2},
    /* 19 */ {"chkspam",
              "CHKSPAM $res, $zm/const",
              "Sprawdza czy podany tekst ($zm/const) to spam. Jeśli tak, do $res wpisuje #TRUE, jeśli nie - #FALSE"_w,
              0},
    /* 20 */ {"setsts",
              "SETSTS $zm/const(proto), $zm/const(status), $zm/const(opis)",
              "Ustawia status dla protokołu \"proto\". Wartości przyjmowane przez \"proto\" orazprzez \"status\" znajdują się na liście stałych programu."_w,
              5},
    /* 21 */ {"readsts",
              "READSTS $zm/const(proto), $res(status), $res(opis)",
              "Pobiera status dla protokołu \"proto\". Wartości przyjmowane przez \"proto\" orazprzez \"status\" znajdują się na liście stałych programu."_w,
              5},
    /* 22 */ {"getdate",
              "GETDATE $res(rok), $res(miesiąc), $res(dzień)"_w,
              "Zwraca w 3 zmiennych bieżacy rok, miesiąc i dzień."_w,
              0},
    /* 23 */ {"gettime",
              "GETTIME $res(godzina), $res(minuta), $res(sekunda)",
              "Zwraca w 3 zmiennych bieżącą godzinę, minutę i sekundę."_w,
              0},
    /* 24 */ {"chkint",
              "CHKINT $res(bool), $zm/const",
              "Sprawdza czy \"tekst\" jest poprawną liczbą. Wynik (#TRUE, #FALSE) zwraca w $res."_w,
              1},
    /* 25 */ {"bitand",
              "BITAND $res(liczba), $zm/const(liczba)",
              "Bitowe \"AND\". Podane wartości muszą być liczbowe."_w,
              3},
    /* 26 */ {"bitor",
              "BITOR $res(liczba), $zm/const(liczba)",
              "Bitowe \"OR\". Podane wartości muszą być liczbowe."_w,
              3},
    /* 27 */ {"bitxor",
              "BITXOR $res(liczba), $zm/const(liczba)",
              "Bitowe \"XOR\". Podane wartości muszą być liczbowe."_w,
              3},
    /* 28 */ {"bitnot",
              "BITNOT  $res(liczba)",
              "Bitowe \"NOT\". Podana wartość musi być liczbowa."_w,
              3},
    /* 29 */ {"bitshr",
              "BITSHR  $res(liczba), $zm/const(ile przes)",
              "Przesunięcie bitów o \"ile przes\" miejsc w prawo. Podane wartości muszą być liczbowe."_w,
              3},
    /* 30 */ {"bitshl",
              "BITSHL  $res(liczba), $zm/const(ile przes)",
              "Przesunięcie bitów o \"ile przes\" miejsc w lewo. Podane wartości muszą być liczbowe."_w,
              3},
    /* 31 */ {"coninfo",
              "CONINFO $zm/const(id), $res(nazwa), $res(grupa), $res(opis), $res(flagi)",
              "Zwraca informacje o kontakcie.",
              5},
    /* 32 */ {"call",
              "CALL nazwa_etykiety",
              "Skacze do etykiety i zapamiętuje bieżacą pozycję."_w,
              0},
    /* 33 */ {"ret",
              "RET (brak parametrów)"_w,
              "Powraca do miejsca z którego zostalo wywołane CALL (patrz przykład CALL)."_w,
              0},
    /* 34 */ {"menuadd",
              "MenuAdd $zm/const(id menu), $zm/const(tekst)",
              "Dodaje nową pozycje w menu wtyczki (lub zmienia nazwę już istniejacej)."_w,
              4},
    /* 35 */ {"menudel",
              "MenuDel $zm/const(id menu)",
              "Usuwa pozycje z menu wtyczki.",
              4},
    /* 36 */ {"menushow",
              "MenuShow $zm/const(id menu), $zm/const(bool)",
              "Ustawia status ukryty/widoczny pozycji z menu.",
              4},
    /* 37 */ {"saveconfig",
              "SaveConfig (brak parametrów)"_w,
              "Zapisuje ustawienia i wartości pamiętanych zmiennych."_w,
              0},
};

const std::string_view GroupNames[kGroupCount] = {
    "Różne"_w, "Liczbowe", "Tekstowe", "Bitowe", "Menu", "Status",
};

// The index selects the comparison; 0 and 1 are both "not equal".
const std::string_view OperatorTable[kOperatorCount] = {
    "<>", "!=", ">=", "<=", "<", ">", "=",
};

// Entries 0 and 1 are the language's truth values. CINFO_ values are single bits of the
// contact flags; CINFO_BLOCKED is bit 16.
const TStala ConstantTable[kConstantCount] = {
    {"TRUE", "1"},
    {"FALSE", "0"},
    {"PROTO_TLEN", "TLEN"},
    {"PROTO_GG", "GG"},
    {"STS_OFFLINE", "1"},
    {"STS_ONLINE", "2"},
    {"STS_CHAT", "3"},
    {"STS_DND", "4"},
    {"STS_AWAY", "5"},
    {"STS_XA", "6"},
    {"STS_INVISIBLE", "7"},
    {"CINFO_ONLINE", "1"},
    {"CINFO_OFFLINE", "2"},
    {"CINFO_WAITAUTH", "4"},
    {"CINFO_NOTAUTH", "8"},
    {"CINFO_PHONE", "16"},
    {"CINFO_NOTINLIST", "32"},
    {"CINFO_BLOCKED", "65536"},
};

// The index is the entry code of a run.
const TEtykietaSpec SpecialLabelTable[kSpecialLabelCount] = {
    {"_init", ""},
    {"_start", "$_ID, $_PROTO, $_MESSAGE, $_IN, $_FILTR"},
    {"_menu_show", "$_ID"},
    {"_menu_click", "$_ID, $_MENU_ITEM"},
};

const std::string_view ProgramVariableNames[kProgramVariableCount] = {
    "$_ID", "$_PROTO", "$_MESSAGE", "$_IN", "$_FILTR", "$_MENU_ITEM",
};

const std::string_view ServiceCommandTable[kServiceCommandCount] = {"mov"};

int FindKeyword(std::string_view word) {
  for (int i = 0; i < kCommandCount; ++i)
    if (SameTextIgnoringCase(word, CommandTable[i].Keyword)) return i;
  return -1;
}

int FindConstant(std::string_view name) {
  for (int i = 0; i < kConstantCount; ++i)
    if (SameTextIgnoringCase(name, ConstantTable[i].Name)) return i;
  return -1;
}

// Upper-casing never turns a byte into a blank nor a blank into anything else, so the
// first word can be cut and trimmed before the case-insensitive comparison. Leading
// blanks are not skipped: a line that starts with one names no command.
int FindCommandIndex(std::string_view line) {
  const std::size_t blank = FindBlank(line);
  if (blank > 0) line = line.substr(0, blank);
  return FindKeyword(TrimBlanksView(line));
}

}  // namespace kw
