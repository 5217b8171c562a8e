// The settings file: the variables the script marked for saving ("Var_Save") and the
// detached options window's rectangle ("OptionsForm"). Read once at load, written whole
// at every save; a save either replaces the file or leaves it as it was.
//
// One key per line, whatever a variable holds:
// - Values. The value's line break, LF CR, is written as "\n" (EscapeText). Every other
//   line break, a CR LF pair, a lone LF or a lone CR, is written as "\n" too and so loads
//   as LF CR: it stays a line break but not in its first form. No escape of its own could
//   keep the form: the file carries any backslash sequence as it stands (C:\raporty), and
//   a new escape would change what values saved earlier load as. A zero byte, which the
//   profile functions cannot carry, is dropped. Blanks at either end survive (the profile
//   layer quotes such values).
// - Names. A variable whose name a key cannot hold (an "=", a line break or zero byte, a
//   blank at the end, more than kMaxProfileText bytes) is not saved at all: writing it
//   would set another key or open a section. Nor is a long value whose name leaves no
//   room for its piece keys (a name of 32,765 bytes or more). Such names come only from
//   hostile or broken scripts; the caller is told of each, so none vanishes unnoticed.
// - Length. A value has no limit, but one profile value can hold at most kMaxProfileText
//   bytes (the Windows functions cut or crash beyond it). A written value that fits is
//   one key, as it always was. A longer one is cut into pieces of kPieceSize bytes: the
//   first stays under the variable's own key in "Var_Save", so any reader of the file sees
//   a plain (shortened) value there, and the rest go to the section "Var_Save_Rest":
//
//     [Var_Save]
//     $BIG=<bytes 0 to 15999>
//     [Var_Save_Rest]
//     $BIG#0=1000000 9A3C01F2      the whole written length and its FNV-1a check
//     $BIG#1=<bytes 16000 to 31999>
//     $BIG#2=...
//
//   The loader reads only the keys of "Var_Save" as variables and joins the pieces to
//   the first one only when length and check agree with them. So a file written before
//   loads exactly as it did, and one whose "Var_Save" a former version rewrote (leaving a
//   stale "Var_Save_Rest" behind) loads what "Var_Save" says. The pieces are joined
//   before the "\n" escapes are undone, so a cut may fall anywhere. Files without long
//   values have no "Var_Save_Rest" and are byte for byte what they were before.
// - Encoding. A file that Notepad saved as "Unicode" (UTF-16 LE or BE) or as UTF-8 with
//   its mark is read in Windows-1250, as the profile functions give it, and saved in the
//   encoding it came in: the lines the save does not rewrite stay byte for byte as they
//   were, characters the code page lacks included (support/file_encoding.h).
// - Pieces that do not check (a changed byte, a lost piece, a hand edit of the first
//   one) load as the first piece alone, which keeps a user's edit there, and are told
//   to the caller. They are not dropped: each save writes them back as they stand for as
//   long as the variable holds what its first piece loaded as, so nothing is lost until
//   the script gives the variable another value.
#include "settings/settings.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "script/text.h"
#include "script/variables.h"
#include "settings/ini_file.h"
#include "settings/profile.h"
#include "support/casing.h"
#include "support/platform.h"

namespace kw {
namespace {

constexpr std::string_view kVariablesSection = "Var_Save";
constexpr std::string_view kFormSection = "OptionsForm";
constexpr std::string_view kFormX = "OptFormRectX";
constexpr std::string_view kFormY = "OptFormRectY";
constexpr std::string_view kFormW = "OptFormRectW";
constexpr std::string_view kFormH = "OptFormRectH";
// Where the pieces of long values after their first go.
constexpr std::string_view kRestSection = "Var_Save_Rest";
// One piece of a long value: half the profile limit, so that quotes never matter.
constexpr std::size_t kPieceSize = 16000;

// The value as one line that UnescapeText turns back into it (line breaks as LF CR).
// One pass over the value itself, as EscapeText would make it for LF CR: escaping LF CR
// first and then the rest would pair CR LF CR LF in the middle and make three breaks.
std::string SettingsValueText(std::string_view value) {
  std::string line;
  line.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\0') continue;
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    // CR LF and LF CR are one break each; any other CR or LF is a break of its own.
    if (i + 1 < value.size() && (value[i + 1] == '\r' || value[i + 1] == '\n') && value[i + 1] != c) ++i;
    line += "\\n";
  }
  return line;
}

// The key of piece n of a long value (0: its check). The number after the last "#" tells
// the piece, so no two names and numbers give the same key, even where a name holds "#".
std::string PieceKey(std::string_view name, std::size_t n) {
  std::string key(name);
  key += '#';
  key += std::to_string(n);
  return key;
}

std::uint32_t Fnv1a(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// Piece 0: the length and check of the whole.
std::string PiecesCheck(std::string_view text) {
  char check[9];
  std::snprintf(check, sizeof check, "%08X", static_cast<unsigned>(Fnv1a(text)));
  return std::to_string(text.size()) + ' ' + check;
}

// The piece keys of "Var_Save_Rest" by the upper-cased name of their variable, each list
// in file order. A key is a piece key when a "#" and digits end it.
struct TPieceKeys {
  std::unordered_map<std::string, std::vector<std::string>> ByName;
  std::vector<std::string> Names;  // the names in the order the file first gives them

  bool Has(const std::string& upperName) const { return ByName.contains(upperName); }
  // The names, in file order, that none of the keys of "Var_Save" (firstKeys) gives a
  // first piece to.
  std::vector<std::string> WithoutFirstPiece(const std::vector<std::string>& firstKeys) const {
    std::unordered_set<std::string> first;
    for (const std::string& key : firstKeys) first.insert(UpperCase(key));
    std::vector<std::string> names;
    for (const std::string& name : Names)
      if (!first.contains(name)) names.push_back(name);
    return names;
  }
};

TPieceKeys ReadPieceKeys(const IProfile& file) {
  TPieceKeys pieces;
  for (std::string& key : file.ReadKeys(kRestSection)) {
    const std::size_t hash = key.rfind('#');
    if (hash == std::string::npos || hash == 0 || hash + 1 == key.size() ||
        key.find_first_not_of("0123456789", hash + 1) != std::string::npos)
      continue;
    std::string name = UpperCase(std::string_view(key).substr(0, hash));
    std::vector<std::string>& keys = pieces.ByName[name];
    if (keys.empty()) pieces.Names.push_back(std::move(name));
    keys.push_back(std::move(key));
  }
  return pieces;
}

// A variable's written text as the file gives it.
struct TStoredText {
  std::string Text;     // the whole value, or the first piece alone when the pieces do not check
  std::string Problem;  // why the pieces do not check; empty when the value is whole
};

// The pieces joined to the first one when their length and check agree with them;
// otherwise the first piece alone, as a reader that knows nothing of pieces sees it.
TStoredText ReadStoredText(const IProfile& file, const std::string& key, const TPieceKeys& pieces) {
  TStoredText stored{file.ReadString(kVariablesSection, key, ""), {}};
  if (!pieces.Has(UpperCase(key))) return stored;
  const std::string check = file.ReadString(kRestSection, PieceKey(key, 0), "");
  std::size_t length = 0;
  const auto [end, error] = std::from_chars(check.data(), check.data() + check.size(), length);
  if (error != std::errc{} || end == check.data() || *end != ' ') {
    stored.Problem = "its stated length cannot be read";
    return stored;
  }
  if (length <= stored.Text.size()) {
    stored.Problem = "its stated length is no longer than its first piece";
    return stored;
  }
  std::string joined = stored.Text;
  for (std::size_t n = 1; joined.size() < length; ++n) {
    const std::string piece = file.ReadString(kRestSection, PieceKey(key, n), "");
    if (piece.empty()) {
      stored.Problem = "its pieces end before their stated length";
      return stored;
    }
    joined += piece;
  }
  if (PiecesCheck(joined) != check) {
    stored.Problem = "its pieces do not match their length and check";
    return stored;
  }
  stored.Text = std::move(joined);
  return stored;
}

// Piece keys and values, in file order, to write back as they stand.
using TRawPieces = std::vector<std::pair<std::string, std::string>>;

// The pieces that the coming save must keep: those of each saved variable whose pieces
// do not check and which still holds what its first piece loaded as (anything else the
// script wrote to it replaces them, as any value replaces the one before), and those
// whose first piece is gone from "Var_Save" while no variable of that name exists.
struct TKeptPieces {
  std::unordered_map<std::string, TRawPieces> ByVariable;  // by the variable's name
  TRawPieces Orphans;
};

TKeptPieces PiecesToKeep(const IProfile& file, const TZmienne& variables) {
  TKeptPieces kept;
  const TPieceKeys pieces = ReadPieceKeys(file);
  if (pieces.Names.empty()) return kept;
  const auto raw = [&file](const std::vector<std::string>& keys, TRawPieces& to) {
    for (const std::string& key : keys) to.emplace_back(key, file.ReadString(kRestSection, key, ""));
  };
  for (const TZmienna& v : variables) {
    const auto found = pieces.ByName.find(UpperCase(v.Name));
    if (!v.Save || found == pieces.ByName.end()) continue;
    // A variable that holds more than its first piece has its whole value, or another
    // one: no need to join and check its pieces again.
    if (UnescapeText(file.ReadString(kVariablesSection, v.Name, "")) != v.Value) continue;
    if (!ReadStoredText(file, v.Name, pieces).Problem.empty()) raw(found->second, kept.ByVariable[v.Name]);
  }
  for (const std::string& name : pieces.WithoutFirstPiece(file.ReadKeys(kVariablesSection)))
    if (variables.Find(name) < 0) raw(pieces.ByName.at(name), kept.Orphans);
  return kept;
}

constexpr std::string_view kNameNoKey =
    "its name cannot be a key (an \"=\", a line break, a blank at an end, or over 32,766 bytes)";
constexpr std::string_view kNameNoPieces = "its name leaves no room for the keys of its long value's pieces";

// One variable's written text: one key, or its pieces when one value cannot hold it.
// False when a write failed (the save stops there). A name whose piece keys a key cannot
// hold is left out, as a name that no key can hold, and told in leftOut.
bool WriteStoredText(IProfile& file, const std::string& name, std::string_view text,
                     std::vector<TLeftOutValue>* leftOut) {
  if (IsStorableValue(text)) return file.WriteString(kVariablesSection, name, text);
  const std::size_t pieces = (text.size() + kPieceSize - 1) / kPieceSize;
  if (!IsStorableKey(PieceKey(name, pieces - 1))) {
    if (leftOut) leftOut->push_back({name, std::string(kNameNoPieces)});
    return true;
  }
  if (!file.WriteString(kVariablesSection, name, text.substr(0, kPieceSize)) ||
      !file.WriteString(kRestSection, PieceKey(name, 0), PiecesCheck(text)))
    return false;
  for (std::size_t n = 1; n < pieces; ++n)
    if (!file.WriteString(kRestSection, PieceKey(name, n), text.substr(n * kPieceSize, kPieceSize))) return false;
  return true;
}

void LoadFormRect(const IProfile& file, TRect32& rect) {
  rect.X = file.ReadInteger(kFormSection, kFormX, rect.X);
  rect.Y = file.ReadInteger(kFormSection, kFormY, rect.Y);
  rect.W = file.ReadInteger(kFormSection, kFormW, rect.W);
  rect.H = file.ReadInteger(kFormSection, kFormH, rect.H);
}

// After a failed write the file writes nothing more, so the remaining calls cost nothing.
void SaveFormRect(IProfile& file, const TRect32& rect) {
  file.WriteInteger(kFormSection, kFormX, rect.X);
  file.WriteInteger(kFormSection, kFormY, rect.Y);
  file.WriteInteger(kFormSection, kFormW, rect.W);
  file.WriteInteger(kFormSection, kFormH, rect.H);
}

}  // namespace

TSettingsRead LoadSettings(const std::string& path, TZmienne& variables, TRect32& formRect,
                           std::vector<TUncheckedValue>* unchecked) {
  try {
    if (path.empty()) return TSettingsRead::Absent;
    RemoveLeftoverTempFiles(path);
    if (!FileExists(path)) return TSettingsRead::Absent;
    TProfileFile file;
    if (!file.Open(path, TProfileMode::Read)) return TSettingsRead::Unreadable;
    const TPieceKeys pieces = ReadPieceKeys(file);
    const std::vector<std::string> keys = file.ReadKeys(kVariablesSection);
    for (const std::string& key : keys) {
      TStoredText stored = ReadStoredText(file, key, pieces);
      if (!stored.Problem.empty() && unchecked)
        unchecked->push_back({key, stored.Text.size(), std::move(stored.Problem)});
      SetVariable(variables, key, stored.Text, true);
    }
    if (unchecked)
      for (std::string& name : pieces.WithoutFirstPiece(keys))
        unchecked->push_back({std::move(name), 0, "its first piece is missing"});
    LoadFormRect(file, formRect);
  } catch (...) {
    // Out of memory halfway: what has loaded stays, the rest keeps its defaults.
  }
  return TSettingsRead::Read;
}

void SaveVariables(IProfile& file, const TZmienne& variables, std::vector<TLeftOutValue>* leftOut) {
  const TKeptPieces kept = PiecesToKeep(file, variables);
  const auto writeRaw = [&file](const TRawPieces& pieces) {
    for (const auto& [key, value] : pieces)
      if (!file.WriteString(kRestSection, key, value)) return false;
    return true;
  };
  if (!file.EraseSection(kVariablesSection) || !file.EraseSection(kRestSection)) return;
  for (const TZmienna& v : variables) {
    if (!v.Save) continue;
    if (!IsStorableKey(v.Name)) {
      if (leftOut) leftOut->push_back({v.Name, std::string(kNameNoKey)});
      continue;
    }
    const std::string text = SettingsValueText(v.Value);
    if (!WriteStoredText(file, v.Name, text, leftOut)) return;
    const auto found = kept.ByVariable.find(v.Name);
    if (found != kept.ByVariable.end() && IsStorableValue(text) && !writeRaw(found->second)) return;
  }
  writeRaw(kept.Orphans);
}

bool SaveSettings(const std::string& path, const TZmienne& variables, const TRect32& formRect,
                  std::string* failure, std::vector<TLeftOutValue>* leftOut) {
  auto fail = [failure](std::string_view why) {
    if (failure) *failure = why;
    return false;
  };
  try {
    if (path.empty()) return fail("it has no path");
    const std::string folder = FolderOf(path);
    if (!folder.empty() && !CreateFolders(folder)) return fail("its folder cannot be made");
    TProfileFile file;
    if (!file.Open(path, TProfileMode::Update)) return fail("the file there cannot be read");
    if (leftOut) leftOut->clear();
    SaveVariables(file, variables, leftOut);
    SaveFormRect(file, formRect);
    if (!file.Commit()) return fail(file.Failure());
    return true;
  } catch (...) {
    return fail("memory ran out");  // the file is replaced only at Commit, so it is as it was
  }
}

}  // namespace kw
