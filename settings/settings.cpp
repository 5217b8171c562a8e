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
//   would set another key or open a section. Such names come only from hostile or broken
//   scripts.
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
#include "settings/settings.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "script/text.h"
#include "script/variables.h"
#include "settings/ini_file.h"
#include "settings/profile.h"
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

// The written text of a variable: its one value, or its pieces joined when the rest
// section has them whole and they match; otherwise the first piece alone, as a reader
// that knows nothing of pieces sees it. `pieces`: the rest section has any keys at all
// (when not, as in most files, it is not asked about each variable).
std::string StoredText(const IProfile& file, const std::string& key, bool pieces) {
  std::string text = file.ReadString(kVariablesSection, key, "");
  if (!pieces) return text;
  const std::string check = file.ReadString(kRestSection, PieceKey(key, 0), "");
  std::size_t length = 0;
  if (std::from_chars(check.data(), check.data() + check.size(), length).ec != std::errc{} ||
      length <= text.size())
    return text;
  std::string joined = text;
  for (std::size_t n = 1; joined.size() < length; ++n) {
    const std::string piece = file.ReadString(kRestSection, PieceKey(key, n), "");
    if (piece.empty()) break;
    joined += piece;
  }
  return PiecesCheck(joined) == check ? joined : text;
}

// One variable's written text: one key, or its pieces when one value cannot hold it.
// False when a write failed (the save stops there). A name whose piece keys a key cannot
// hold is left out, as a name that no key can hold.
bool WriteStoredText(IProfile& file, const std::string& name, std::string_view text) {
  if (IsStorableValue(text)) return file.WriteString(kVariablesSection, name, text);
  const std::size_t pieces = (text.size() + kPieceSize - 1) / kPieceSize;
  if (!IsStorableKey(PieceKey(name, pieces - 1))) return true;
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

void LoadSettings(const std::string& path, TZmienne& variables, TRect32& formRect) {
  try {
    if (path.empty() || !FileExists(path)) return;
    TProfileFile file;
    if (!file.Open(path, TProfileMode::Read)) return;
    const bool pieces = !file.ReadKeys(kRestSection).empty();
    for (const std::string& key : file.ReadKeys(kVariablesSection))
      SetVariable(variables, key, StoredText(file, key, pieces), true);
    LoadFormRect(file, formRect);
  } catch (...) {
    // Out of memory halfway: what has loaded stays, the rest keeps its defaults.
  }
}

void SaveVariables(IProfile& file, const TZmienne& variables) {
  if (!file.EraseSection(kVariablesSection) || !file.EraseSection(kRestSection)) return;
  for (const TZmienna& v : variables) {
    if (!v.Save || !IsStorableKey(v.Name)) continue;
    if (!WriteStoredText(file, v.Name, SettingsValueText(v.Value))) return;
  }
}

bool SaveSettings(const std::string& path, const TZmienne& variables, const TRect32& formRect) {
  try {
    if (path.empty()) return false;
    const std::string folder = FolderOf(path);
    if (!folder.empty() && !CreateFolders(folder)) return false;
    TProfileFile file;
    if (!file.Open(path, TProfileMode::Update)) return false;
    SaveVariables(file, variables);
    SaveFormRect(file, formRect);
    return file.Commit();
  } catch (...) {
    return false;  // the file is replaced only at Commit, so it is as it was
  }
}

}  // namespace kw
