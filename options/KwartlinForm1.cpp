// TOptionsForm's behaviour: docking, Tab and Enter while docked, the help lines, and the
// editors' files. Files are read and written whole as 8-bit text; a write replaces its
// file atomically, so a failed save leaves the old file and the editor's text intact.
// A save stops at the first file it cannot write, so the user meets one failure with
// everything after it as it was, not a half-done save that went on regardless. An
// editor whose window is gone is no text at all: its file is not written from it.
// A file that existed but could not be read is not overwritten by the empty editor that
// the failed read left behind: the host's dialog saves every page on OK, also pages the
// user never looked at, and that must not wipe the user's script.
#include "options/KwartlinForm1.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "options/command_menu.h"
#include "script/KwartlinConst.h"
#include "support/cp1250.h"
#include "support/platform.h"

namespace kw {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// What the user is told about files that could not be written or read.
constexpr std::string_view kWriteFailed = "Nie udało się zapisać pliku:"_w;
constexpr std::string_view kWriteKept = "Tekst pozostał w edytorze, a plik na dysku się nie zmienił."_w;
constexpr std::string_view kEditorGone = "Edytora tego pliku już nie ma; plik na dysku się nie zmienił."_w;
constexpr std::string_view kWriteSkipped = "Zapis przerwano, więc nie zapisano też pliku:"_w;
constexpr std::string_view kReadFailed = "Nie udało się odczytać pliku:"_w;
constexpr std::string_view kReadKept = "Pusty edytor nie zastąpi tego pliku przy zapisie."_w;
constexpr std::string_view kSettingsUnread = "Nie udało się odczytać pliku ustawień przy starcie pluginu:"_w;
constexpr std::string_view kSettingsKept =
    "Plugin nie zapisze go, by nie utracić zapisanych w nim zmiennych. Uruchom komunikator ponownie, gdy plik da się odczytać."_w;

}  // namespace

std::string NormalizeLineBreaks(std::string_view text, TZeroByte zero) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') {
      if (zero == TZeroByte::EndsText) break;
      while (i + 1 < text.size() && text[i + 1] != '\r' && text[i + 1] != '\n') ++i;
    } else if (c == '\r') {
      out += kCrLf;
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += kCrLf;
    } else {
      out += c;
    }
  }
  return out;
}

std::string EditorFileText(std::string_view editorText) {
  std::string out(editorText);
  if (!out.empty() && !out.ends_with(kCrLf)) out += kCrLf;
  return out;
}

TOptionsForm::TOptionsForm(std::unique_ptr<IOptionsView> view, const TOptionsFormInputs& inputs)
    : ScriptPath(inputs.ScriptPath),
      SpamListPath(inputs.SpamListPath),
      OptionsFormRect(inputs.OptionsFormRect),
      FilesSaved(inputs.FilesSaved),
      SettingsPath(inputs.SettingsPath),
      SettingsUnread(inputs.SettingsUnread),
      view_(std::move(view)) {
  if (!view_) view_ = CreateOptionsView();
  view_->SetCaption("Vortelindak - konfiguracja");
  view_->SetEvents(this);
  FormCreate();
}

TOptionsForm::~TOptionsForm() {
  if (view_) view_->SetEvents(nullptr);
}

void TOptionsForm::FormCreate() {
  BuildCommandMenu(*view_);
  UpdateCommandHelp();
  HostWindow = 0;
  DockedRect = TRect32{};
}

void TOptionsForm::SetHostArea(TWindowHandle window, const TRect32& area) {
  HostWindow = window;
  DockedRect = area;
}

bool TOptionsForm::HandleEditorKey(ComponentId editor, int key) {
  if (!IsDocked()) return false;  // the free window's editors take Tab and Enter themselves
  std::string_view insert;
  if (key == kKeyTab)
    insert = "\t";
  else if (key == kKeyEnter)
    insert = kCrLf;
  else
    return false;
  std::string text = view_->Text(editor);
  const std::size_t p =
      std::min(static_cast<std::size_t>(std::max(view_->CaretOffset(editor), 0)), text.size());
  text.insert(p, insert);
  view_->SetText(editor, text);
  view_->SetCaretOffset(editor, static_cast<int>(p + insert.size()));
  return true;
}

void TOptionsForm::UpdateCommandHelp() {
  view_->SetLabel(Label1, "");
  view_->SetLabel(Label2, "");
  const int count = view_->LineCount(Memo1);
  if (count <= 0) return;
  const int line = view_->CaretPos(Memo1).Line;
  if (line < 0 || line >= count) return;
  const int i = FindCommandIndex(view_->Line(Memo1, line));
  if (i < 0 || i >= kCommandCount) return;
  view_->SetLabel(Label1, CommandTable[i].Syntax);
  view_->SetLabel(Label2, CommandTable[i].Description);
}

void TOptionsForm::SetDetached(bool detach) {
  if (detach) {
    if (!IsDocked()) return;
    view_->SetParentWindow(0);
    view_->SetBorderStyle(TBorderStyle::Sizeable);
    ApplyBounds(OptionsFormRect);
  } else {
    // Already in the page area: its bounds there are no free window's to remember.
    if (view_->ParentWindow() == HostWindow) return;
    view_->SetParentWindow(HostWindow);
    view_->SetBorderStyle(TBorderStyle::None);
    SaveFreeBounds();
    ApplyBounds(DockedRect);
  }
}

void TOptionsForm::SaveFreeBounds() { OptionsFormRect = view_->Bounds(); }

void TOptionsForm::ApplyBounds(const TRect32& bounds) { view_->SetBounds(bounds); }

TFileSave TOptionsForm::SaveEditorFile(ComponentId editor, const std::string& path,
                                       bool& loadFailed, bool& editorGone) {
  editorGone = !view_->EditorAvailable(editor);
  if (editorGone) return TFileSave::Failed;
  const std::string text = view_->Text(editor);
  if (loadFailed && text.empty()) return TFileSave::Kept;
  bool written = false;
  try {
    // The data folder may not exist yet on a fresh install; the write reports failure.
    CreateFolders(FolderOf(path));
    written = WriteFileAtomic(path, EditorFileText(text));
  } catch (...) {
    written = false;
  }
  if (!written) return TFileSave::Failed;
  loadFailed = false;
  return TFileSave::Written;
}

TSaveResult TOptionsForm::SaveEditorFiles() {
  TSaveResult result{TFileSave::Skipped, TFileSave::Skipped};
  struct File {
    ComponentId editor;
    const std::string& path;
    bool& loadFailed;
    TFileSave& saved;
  };
  const File files[] = {{Memo1, ScriptPath, ScriptLoadFailed, result.Script},
                        {Memo2, SpamListPath, SpamLoadFailed, result.SpamList}};
  for (std::size_t i = 0; i < std::size(files); ++i) {
    bool editorGone = false;
    files[i].saved = SaveEditorFile(files[i].editor, files[i].path, files[i].loadFailed, editorGone);
    if (files[i].saved != TFileSave::Failed) continue;
    std::string message(kWriteFailed);
    message += kCrLf;
    message += files[i].path;
    message += kCrLf;
    message += editorGone ? kEditorGone : kWriteKept;
    for (std::size_t j = i + 1; j < std::size(files); ++j) {
      message += kCrLf;
      message += kWriteSkipped;
      message += kCrLf;
      message += files[j].path;
    }
    view_->ShowError(message);
    break;
  }
  return result;
}

TSaveResult TOptionsForm::SaveForHost() {
  const TSaveResult saved = SaveEditorFiles();
  // What runs follows what is on disk: a file that failed or was not tried still holds
  // its old text, and reloading that would only throw away the running script's
  // variables for nothing. So with the script's file failing nothing is reloaded, and
  // with only the spam list's failing the new script runs beside the old list.
  // Running the script may reach the host, and a host may destroy the page from there:
  // after the first call nothing of this form is touched.
  IEditorFilesSaved& filesSaved = FilesSaved;
  const auto asMeant = [](TFileSave s) { return s == TFileSave::Written || s == TFileSave::Kept; };
  if (asMeant(saved.Script)) filesSaved.ScriptFileSaved();
  if (asMeant(saved.SpamList)) filesSaved.SpamListFileSaved();
  return saved;
}

bool TOptionsForm::LoadEditorFile(ComponentId editor, const std::string& path, TZeroByte zero) {
  view_->SetText(editor, "");
  if (!FileExists(path)) return true;
  std::string contents;
  if (!ReadWholeFile(path, contents)) return false;
  view_->SetText(editor, NormalizeLineBreaks(contents, zero));
  return true;
}

void TOptionsForm::LoadEditorFiles() {
  std::string failures;
  ScriptLoadFailed = !LoadEditorFile(Memo1, ScriptPath, TZeroByte::EndsText);
  if (ScriptLoadFailed) failures += ScriptPath + std::string(kCrLf);
  SpamLoadFailed = !LoadEditorFile(Memo2, SpamListPath, TZeroByte::EndsLine);
  if (SpamLoadFailed) failures += SpamListPath + std::string(kCrLf);
  std::string message;
  if (!failures.empty()) {
    message += kReadFailed;
    message += kCrLf;
    message += failures;
    message += kReadKept;
  }
  // The settings file is not the page's, but the page is where the user looks.
  if (SettingsUnread) {
    if (!message.empty()) message += kCrLf;
    message += kSettingsUnread;
    message += kCrLf;
    message += SettingsPath;
    message += kCrLf;
    message += kSettingsKept;
  }
  if (!message.empty()) view_->ShowError(message);
}

void TOptionsForm::Button1Click() { view_->PopupMenu(view_->CursorPos()); }

void TOptionsForm::Button2Click() { SetDetached(IsDocked()); }

void TOptionsForm::Button3Click() { SaveEditorFiles(); }

void TOptionsForm::PageControl1Change() {
  view_->SetButtonEnabled(Button1, view_->ActiveTab() == 0);
}

void TOptionsForm::Memo1Change() { UpdateCommandHelp(); }

bool TOptionsForm::Memo1KeyDown(int key) {
  const bool handled = HandleEditorKey(Memo1, key);
  UpdateCommandHelp();
  return handled;
}

void TOptionsForm::Memo1KeyUp(int) { UpdateCommandHelp(); }

void TOptionsForm::Memo1MouseDown() { UpdateCommandHelp(); }

bool TOptionsForm::Memo2KeyDown(int key) { return HandleEditorKey(Memo2, key); }

void TOptionsForm::ButtonClicked(ComponentId button) {
  if (button == Button1)
    Button1Click();
  else if (button == Button2)
    Button2Click();
  else if (button == Button3)
    Button3Click();
}

void TOptionsForm::TabChanged() { PageControl1Change(); }

void TOptionsForm::EditorChanged(ComponentId editor) {
  if (editor == Memo1) Memo1Change();
}

bool TOptionsForm::EditorKeyDown(ComponentId editor, int key) {
  if (editor == Memo1) return Memo1KeyDown(key);
  if (editor == Memo2) return Memo2KeyDown(key);
  return false;
}

void TOptionsForm::EditorKeyUp(ComponentId editor, int key) {
  if (editor == Memo1) Memo1KeyUp(key);
}

void TOptionsForm::EditorMouseDown(ComponentId editor) {
  if (editor == Memo1) Memo1MouseDown();
}

void TOptionsForm::MenuItemMeasure(int item, IDrawSurface& surface, int& width, int& height) {
  ItemMeasureItem(view_->MenuItem(item), surface, width, height);
}

void TOptionsForm::MenuItemDraw(int item, IDrawSurface& surface, const TMenuRect& rect,
                                bool selected) {
  ItemAdvancedDrawItem(view_->MenuItem(item), surface, rect, selected);
}

void TOptionsForm::MenuItemChosen(int item) {
  const TMenuItem& chosen = view_->MenuItem(item);
  if (chosen.Kind == TMenuItemKind::Entry) InsertMenuItemText(*view_, chosen);
}

}  // namespace kw
