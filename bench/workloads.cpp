// Benchmark inputs. Everything is generated from fixed seeds, so two runs (and the two
// engines) see the same scripts, lists and texts.
#include "bench/workloads.h"

#include <random>
#include <string_view>

#include "script/spam.h"
#include "script/spam_matcher.h"
#include "support/cp1250.h"

namespace kwbench {
namespace {

using namespace kw;  // the _w literal

constexpr std::string_view kFilterScript = R"(// Filtr wiadomości Kasi: antyspam, powtórki, cenzura, krzyk, linki, dziennik, autoodpowiedź.
:_init
MOV $zajeta, 0
MOV $limit, 2000
MOV $ile_razem, 0
MOV $ile_we, 0
MOV $ile_wy, 0
MOV $ile_spam, 0
MOV $ile_dlugich, 0
MOV $ile_krzyku, 0
MOV $ile_linkow, 0
MOV $ile_vip, 0
MOV $ostatni_id, ''
MOV $ostatnia, ''
MOV $powtorki, 0
MOV $brzydkie1, 'cholera'
MOV $brzydkie2, 'kurde'
MOV $gwiazdki, '***'
MOV $podpis, ' -- Kasia'
MOV $odpowiedz, 'Jestem zajęta, odpiszę później.'
MOV $vip1, 'mama@tlen.pl'
MOV $vip2, 'szef@firma.pl'
MOV $dziennik, ''
MOV $dziennik_max, 300
MOV $blokuj_linki, 0
EXIT

:_start
ADD $ile_razem, 1
MOV $tekst, $_MESSAGE
STRLEN $dl, $tekst
GETTIME $godz, $min, $sek
IF $_IN = 0
GOTO wychodzaca
ADD $ile_we, 1
IF $_ID = $vip1
GOTO vip
IF $_ID = $vip2
GOTO vip
CHKSPAM $spam, $tekst
IF $spam = #TRUE
GOTO spam
CALL powtorka
CALL cenzura
CALL krzyk
CALL linki
CALL slowa
IF $dl > $limit
CALL dluga
CALL dziennik
IF $zajeta = 1
CALL autoodp
MOV $ostatni_id, $_ID
EXIT

:wychodzaca
ADD $ile_wy, 1
STRPOS $p, $podpis, $tekst
IF $p = 0
STRCON $_MESSAGE, $podpis
EXIT

:vip
ADD $ile_vip, 1
MOV $ostatni_id, $_ID
EXIT

:spam
ADD $ile_spam, 1
MOV $_FILTR, 1
STRCON $dziennik, 'S:', $_ID, ';'
EXIT

:powtorka
IF $tekst <> $ostatnia
GOTO powtorka_nowa
IF $_ID <> $ostatni_id
GOTO powtorka_nowa
ADD $powtorki, 1
IF $powtorki > 3
MOV $_FILTR, 1
RET
:powtorka_nowa
MOV $powtorki, 0
MOV $ostatnia, $tekst
RET

:cenzura
MOV $zmiana, 0
MOV $slowo, $brzydkie1
CALL wytnij
MOV $slowo, $brzydkie2
CALL wytnij
IF $zmiana = 1
MOV $_MESSAGE, $tekst
RET
:wytnij
STRPOS $p, $slowo, $tekst
IF $p = 0
RET
STRLEN $n, $slowo
MOV $q, $p
SUBB $q, 1
STRCOPY $przed, $tekst, 1, $q
ADD $q, $n
ADD $q, 1
STRCOPY $po, $tekst, $q, $dl
STRCON $przed, $gwiazdki, $po
MOV $tekst, $przed
MOV $zmiana, 1
GOTO wytnij

:krzyk
MOV $gora, $tekst
STRUP $gora
IF $gora <> $tekst
RET
ADD $ile_krzyku, 1
STRLOW $tekst
MOV $_MESSAGE, $tekst
RET

:linki
STRPOS $p, 'http://', $tekst
IF $p = 0
STRPOS $p, 'www.', $tekst
IF $p = 0
RET
ADD $ile_linkow, 1
IF $blokuj_linki = 1
MOV $_FILTR, 1
RET

:slowa
MOV $male, $tekst
STRLOW $male
STRPOS $p, 'ping', $male
IF $p = 1
SEND $_ID, 'pong'
STRPOS $p, 'urodziny', $male
IF $p > 0
ADD $ile_urodzin, 1
CHKINT $male, $x
RET

:dluga
ADD $ile_dlugich, 1
STREXT $tekst, ' ', 0, $pierwsze
RET

:dziennik
STRCON $dziennik, $_ID, ':', $dl, ';'
STRLEN $n, $dziennik
IF $n <= $dziennik_max
RET
MOV $od, $n
SUBB $od, $dziennik_max
STRCOPY $dziennik, $dziennik, $od, $dziennik_max
RET

:autoodp
SEND $_ID, $odpowiedz
RET
)"_w;

constexpr std::string_view kChatWords[] = {
    "cześć"_w, "hej"_w, "jak"_w, "się"_w, "masz"_w, "dzisiaj"_w, "jutro"_w, "wieczorem"_w,
    "idziemy"_w, "do"_w, "kina"_w, "na"_w, "pizzę"_w, "może"_w, "spotkamy"_w, "pod"_w,
    "zegarem"_w, "o"_w, "siódmej"_w, "dzięki"_w, "za"_w, "wczoraj"_w, "było"_w, "super"_w,
    "widziałaś"_w, "nowy"_w, "film"_w, "muszę"_w, "kończyć"_w, "bo"_w, "szef"_w, "patrzy"_w,
    "pozdrów"_w, "mamę"_w, "zadzwonię"_w, "później"_w, "ok"_w, "no"_w, "to"_w, "świetnie"_w,
    "pogoda"_w, "ładna"_w, "deszcz"_w, "pada"_w, "całą"_w, "noc"_w, "kupiłam"_w, "rower"_w,
    "książkę"_w, "żółty"_w, "zeszyt"_w, "gdzie"_w, "jesteś"_w, "czekam"_w, "przed"_w,
    "domem"_w, "buziaki"_w, ":)"_w, "haha"_w, "serio?"_w, "nie"_w, "wiem"_w, "chyba"_w,
    "tak"_w, "Ania"_w, "Tomek"_w, "w"_w, "sobotę"_w, "pracy"_w, "szkoły"_w, "tanio"_w,
};

constexpr std::string_view kSpamWords[] = {
    "tanio"_w, "kup"_w, "kupuj"_w, "sprzedam"_w, "okazja"_w, "promocja"_w, "kredyt"_w,
    "pożyczka"_w, "chwilówka"_w, "darmowe"_w, "gratis"_w, "wygrałeś"_w, "wygraj"_w,
    "nagroda"_w, "kasyno"_w, "bonus"_w, "rabat"_w, "viagra"_w, "zarób"_w, "zarabiaj"_w,
    "inwestuj"_w, "bitcoin"_w, "kliknij"_w, "oferta"_w, "wyprzedaż"_w, "\"tylko dziś\""_w,
    "\"bez BIK\""_w, "100%"_w, "milion"_w, "ZA DARMO"_w,
};

constexpr std::string_view kSyllables[] = {
    "ka"_w, "ro"_w, "mi"_w, "zu"_w, "pre"_w, "sto"_w, "kwa"_w, "ble"_w, "gri"_w, "vo"_w,
    "nu"_w, "tex"_w, "ża"_w, "łu"_w, "ści"_w, "bor"_w, "fen"_w, "qi"_w, "dax"_w, "wy"_w,
};

template <class T, std::size_t N>
const T& Pick(std::mt19937& random, const T (&items)[N]) {
  return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

int Below(std::mt19937& random, int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

std::string PseudoWord(std::mt19937& random) {
  std::string w;
  const int n = 2 + Below(random, 3);
  for (int i = 0; i < n; ++i) w += Pick(random, kSyllables);
  if (Below(random, 3) == 0) w += std::to_string(Below(random, 1000));
  return w;
}

std::string Rule(std::mt19937& random) {
  std::string rule;
  const int words = 1 + Below(random, 3);
  for (int w = 0; w < words; ++w) {
    if (w > 0) rule += ' ';
    const int alternatives = 1 + Below(random, 3);
    for (int a = 0; a < alternatives; ++a) {
      if (a > 0) rule += '|';
      rule += (w == 0 && Below(random, 2) == 0) ? std::string(Pick(random, kSpamWords)) : PseudoWord(random);
    }
  }
  return rule;
}

const std::string& LongMessage() {
  static const std::string text = [] {
    std::mt19937 random(1250);
    std::string t;
    bool sentenceStart = true;
    while (t.size() < 64'000) {
      std::string word(Pick(random, kChatWords));
      if (sentenceStart && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 32);
      t += word;
      sentenceStart = Below(random, 8) == 0;
      t += sentenceStart ? (Below(random, 2) ? ". " : "! ") : " ";
    }
    t.resize(64'000);
    return t;
  }();
  return text;
}

}  // namespace

kw::TScriptLines Lines(const std::string& text) { return kw::ScriptLinesFromText(text); }

kw::TScriptLines LoopScript(long count) {
  return Lines("MOV $i, 0\n:l\nADD $i, 1\nIF $i < " + std::to_string(count) + "\nGOTO l\n");
}

kw::TScriptLines TextScript(int rounds) {
  std::string text;
  for (int i = 0; text.size() < 200; ++i) text += "pole" + std::to_string(i) + ";wartość "_w.data();
  text.resize(200);
  return Lines("MOV $t, '" + text + "'\nMOV $n, 0\n:l\n"
               "STRCOPY $a, $t, 20, 120\n"
               "STRUP $a\n"
               "STRPOS $p, 'POLE7', $a\n"
               "STREXT $t, ';', 5, $w\n"
               "MOV $out, $w\n"
               "STRCON $out, '/', $a, '/', $p\n"
               "ADD $n, 1\n"
               "IF $n < " + std::to_string(rounds) + "\nGOTO l\n");
}

kw::TScriptLines VarsScript(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "MOV $v" + std::to_string(i) + ", " + std::to_string(i) + "\n";
  text += "MOV $sum, 0\n";
  for (int i = 0; i < count; ++i) text += "ADD $sum, $v" + std::to_string(i) + "\n";
  return Lines(text);
}

kw::TScriptLines FilterScript() { return Lines(std::string(kFilterScript)); }

std::string ScriptFileText(std::size_t lines) {
  // The filter's body again and again; labels get a round number so every copy's jumps
  // stay inside the copy, as in a long real script.
  const kw::TScriptLines body = FilterScript();
  std::string text = "// generated\r\n";
  std::size_t written = 0;
  for (int round = 0; written < lines; ++round) {
    const std::string suffix = "_" + std::to_string(round);
    for (const std::string& line : body) {
      if (written == lines) break;
      std::string l = line;
      if (l.front() == ':') l += suffix;
      else if (l.rfind("GOTO ", 0) == 0 || l.rfind("CALL ", 0) == 0) l += suffix;
      text += l;
      text += "   // note\r\n";
      ++written;
    }
  }
  return text;
}

std::vector<std::string> SpamRules(std::size_t count) {
  // Rules are drawn until `count` of them match none of the benchmark's messages (all
  // are prefixes of one long text), so every check must look at the whole list.
  std::mt19937 random(static_cast<unsigned>(4242 + count));
  const std::string folded = kw::FoldPolishLetters(LongMessage());
  std::vector<std::string> rules;
  while (rules.size() < count) {
    std::string rule = Rule(random);
    if (kw::SpamRuleMatches(kw::ParseSpamRule(rule), folded)) continue;
    rules.push_back(std::move(rule));
  }
  return rules;
}

std::string SpamFileText(std::size_t count) {
  std::string text = "; spam list\r\n";
  for (const std::string& rule : SpamRules(count)) {
    text += rule;
    text += "\r\n";
  }
  return text;
}

std::string MessageText(std::size_t bytes) { return LongMessage().substr(0, bytes); }

}  // namespace kwbench
