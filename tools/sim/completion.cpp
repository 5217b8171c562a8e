// The words each place of a command line takes. Words are split at blanks only: a
// quoted text with blanks in it can only stand where free text goes, and past it
// nothing more is offered anyway.
#include "tools/sim/completion.h"

#include <cstdint>

#include "tools/sim/transcript.h"

namespace kwsim {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

// The enumerations' names, in their order; a name function answers "?" past the last
// value, so values added later are found too.
template <typename Enum, typename NameOf>
std::vector<std::string> AllNames(NameOf nameOf) {
  std::vector<std::string> names;
  for (int v = 0;; ++v) {
    const std::string_view name = nameOf(static_cast<Enum>(v));
    if (name == "?") break;
    names.emplace_back(name);
  }
  return names;
}

const std::vector<std::string> kProtocols = {"TLEN", "GG"};
const std::vector<std::string> kEditors = {"script", "spam"};
const std::vector<std::string> kFileHow = {"<<END", "from", "delete"};
const std::vector<std::string> kContactFields = {"name=", "group=", "desc=", "flags="};
const std::vector<std::string> kKeys = {"tab", "enter"};
const std::vector<std::string> kOnOff = {"on", "off"};

std::vector<std::string> StatusNames() {
  std::vector<std::string> names;
  for (std::int32_t s = 1; !StatusName(s).empty(); ++s) names.emplace_back(StatusName(s));
  return names;
}

bool TakesEditor(std::string_view action) {
  for (OptionsAction a : {OptionsAction::Type, OptionsAction::Key, OptionsAction::Caret, OptionsAction::Text})
    if (SameIgnoringCase(action, OptionsActionName(a))) return true;
  return false;
}

// The fixed words for the word after `words`; empty for free text.
std::vector<std::string> WordsAfter(const std::vector<std::string>& words, bool& path) {
  const std::size_t n = words.size();
  if (n == 0) return AllNames<Verb>(VerbName);
  const std::string& command = words[0];
  const auto is = [&](Verb v) { return SameIgnoringCase(command, VerbName(v)); };
  if (is(Verb::Recv) || is(Verb::Send)) return n == 1 ? kProtocols : std::vector<std::string>{};
  if (is(Verb::Status)) {
    if (n == 1) return kProtocols;
    if (n == 2) return StatusNames();
  } else if (is(Verb::Contact)) {
    if (n >= 2) return kContactFields;
  } else if (is(Verb::File)) {
    if (n == 1) return AllNames<DataFile>(DataFileName);
    if (n == 2) return kFileHow;
    if (n == 3 && words[2] == "from") path = true;
  } else if (is(Verb::ShowFile)) {
    if (n == 1) return AllNames<DataFile>(DataFileName);
  } else if (is(Verb::Trace)) {
    if (n == 1) return kOnOff;
  } else if (is(Verb::Options)) {
    if (n == 1) return AllNames<OptionsAction>(OptionsActionName);
    if (n == 2 && TakesEditor(words[1])) return kEditors;
    if (n == 3 && SameIgnoringCase(words[1], OptionsActionName(OptionsAction::Key))) return kKeys;
  }
  return {};
}

}  // namespace

Completion CompleteShellWord(std::string_view before, std::string_view word) {
  Completion c;
  for (std::string& candidate : WordsAfter(SplitWords(before), c.Path))
    if (StartsIgnoringCase(candidate, word)) c.Words.push_back(std::move(candidate));
  return c;
}

}  // namespace kwsim
