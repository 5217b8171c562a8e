// TOptionsForm: the plugin's page of the host's options dialog, with the script editor,
// the spam list editor, two help lines and the command reference menu. The form lives
// docked in the host's page area or detached in a sizeable window of its own. All of
// its behaviour is here; the window itself is an IOptionsView. What it shares with the
// plugin (the two files' paths, the detached window's rectangle, what to do once the
// host's dialog saved) it is given at creation, so it reaches no plugin state itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "options/view.h"
#include "support/rect.h"

namespace kw {

// What a zero byte in a loaded file ends: the whole text (the script, as its loader
// reads it), or only its own line, whose rest is dropped (the spam list, whose loader
// keeps every later rule).
enum class TZeroByte { EndsText, EndsLine };

// Every line break (CR LF, a lone CR, a lone LF) becomes CR LF, so LF CR is two breaks;
// a zero byte ends what `zero` says.
std::string NormalizeLineBreaks(std::string_view text, TZeroByte zero = TZeroByte::EndsText);

// An editor's text as its file holds it: every line, the last one included, followed by
// CR LF; an empty last line is no line.
std::string EditorFileText(std::string_view editorText);

enum class TFileSave {
  Written,  // the file now holds the editor's text
  Kept,     // left alone: it could not be read at creation and the editor is still empty
  Failed,   // not written: the write failed (the old file and the editor's text are
            // unchanged) or the editor is gone (the old file is unchanged)
  Skipped,  // not tried: a file before it failed, and a save stops there
};

struct TSaveResult {
  TFileSave Script = TFileSave::Written;    // the file at ScriptPath
  TFileSave SpamList = TFileSave::Written;  // the file at SpamListPath
};

// Told by SaveForHost of each file that now holds what its editor meant, so the plugin
// runs it again. Button3's save tells nothing: the running script changes only when the
// host's dialog saves.
class IEditorFilesSaved {
 public:
  virtual void ScriptFileSaved() = 0;
  virtual void SpamListFileSaved() = 0;

 protected:
  ~IEditorFilesSaved() = default;
};

// What the form works on that the plugin owns; every part outlives the form. The paths
// are read at each load and save, not copied, so the form always uses the plugin's own.
struct TOptionsFormInputs {
  const std::string& ScriptPath;    // Memo1's file
  const std::string& SpamListPath;  // Memo2's file
  TRect32& OptionsFormRect;         // the detached window's rectangle, kept up to date
  IEditorFilesSaved& FilesSaved;
  const std::string& SettingsPath;  // the settings file, named when...
  const bool& SettingsUnread;       // ...it could not be read at load, so no save writes it
};

class TOptionsForm final : private IOptionsEvents {
 public:
  // Creates the form on the view; FormCreate runs before this returns.
  TOptionsForm(std::unique_ptr<IOptionsView> view, const TOptionsFormInputs& inputs);
  ~TOptionsForm() override;
  TOptionsForm(const TOptionsForm&) = delete;
  TOptionsForm& operator=(const TOptionsForm&) = delete;

  IOptionsView& View() { return *view_; }
  const IOptionsView& View() const { return *view_; }

  // Components, in their designed order.
  const ComponentId PopupMenu1 = ComponentId::PopupMenu1;
  const ComponentId PageControl1 = ComponentId::PageControl1;
  const ComponentId TabSheet1 = ComponentId::TabSheet1;
  const ComponentId Panel1 = ComponentId::Panel1;
  const ComponentId Button1 = ComponentId::Button1;
  const ComponentId Memo1 = ComponentId::Memo1;
  const ComponentId TabSheet2 = ComponentId::TabSheet2;
  const ComponentId Memo2 = ComponentId::Memo2;
  const ComponentId Button2 = ComponentId::Button2;
  const ComponentId Button3 = ComponentId::Button3;
  const ComponentId Panel2 = ComponentId::Panel2;
  const ComponentId Label2 = ComponentId::Label2;
  const ComponentId Label1 = ComponentId::Label1;

  void FormCreate();
  // Tab and Enter while docked: inserts the key's text at the caret. True when it did.
  bool HandleEditorKey(ComponentId editor, int key);
  void UpdateCommandHelp();
  void SetDetached(bool detach);
  void SaveFreeBounds();
  void ApplyBounds(const TRect32& bounds);
  // Writes Memo1, then Memo2, to their files; stops at the first that fails and
  // reports it with the one left unwritten.
  TSaveResult SaveEditorFiles();
  // The host dialog's save: SaveEditorFiles, then FilesSaved hears of each file written
  // (or kept) as its editor meant. The form may be gone when that returns.
  TSaveResult SaveForHost();

  // The page area this form docks into, as the host gave it at creation.
  void SetHostArea(TWindowHandle window, const TRect32& area);
  TWindowHandle GetHostWindow() const { return HostWindow; }
  const TRect32& GetDockedRect() const { return DockedRect; }
  bool IsDocked() const { return view_->ParentWindow() != 0; }
  // Empties both editors and loads the script and spam list files into them.
  void LoadEditorFiles();

  void Button1Click();
  void Button2Click();
  void Button3Click();
  void PageControl1Change();
  void Memo1Change();
  bool Memo1KeyDown(int key);
  void Memo1KeyUp(int key);
  void Memo1MouseDown();
  bool Memo2KeyDown(int key);

 private:
  // IOptionsEvents: the event bindings.
  void ButtonClicked(ComponentId button) override;
  void TabChanged() override;
  void EditorChanged(ComponentId editor) override;
  bool EditorKeyDown(ComponentId editor, int key) override;
  void EditorKeyUp(ComponentId editor, int key) override;
  void EditorMouseDown(ComponentId editor) override;
  void MenuItemMeasure(int item, IDrawSurface& surface, int& width, int& height) override;
  void MenuItemDraw(int item, IDrawSurface& surface, const TMenuRect& rect,
                    bool selected) override;
  void MenuItemChosen(int item) override;

  // Loads one file into an editor; false when it exists but could not be read.
  bool LoadEditorFile(ComponentId editor, const std::string& path, TZeroByte zero);
  // editorGone tells a failure for want of the editor from one of the write.
  TFileSave SaveEditorFile(ComponentId editor, const std::string& path, bool& loadFailed,
                           bool& editorGone);

  const std::string& ScriptPath;        // Memo1's file
  const std::string& SpamListPath;      // Memo2's file
  TRect32& OptionsFormRect;             // the detached window's rectangle
  IEditorFilesSaved& FilesSaved;        // told after a host save
  const std::string& SettingsPath;      // the settings file
  const bool& SettingsUnread;           // it could not be read at load
  TWindowHandle HostWindow = 0;         // the host's page area; 0 until the first show
  TRect32 DockedRect;                   // the page area at the first show
  std::unique_ptr<IOptionsView> view_;  // the window behind the components
  bool ScriptLoadFailed = false;        // Memo1's file existed but could not be read
  bool SpamLoadFailed = false;          // the same for Memo2
};

}  // namespace kw
