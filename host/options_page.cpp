// OptionsPageCallback: the host's only way to drive the options form. The form is made
// at the first show and keeps its page area, its window registration and its editors'
// text until the host destroys the page; later shows only move and show it. Nothing
// thrown inside ever reaches the host. Here the form meets the plugin: its files are
// the plugin's paths, its rectangle is OptionsFormRect, and a save from the host's
// dialog reloads the script and the spam list.
#include "host/options_page.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "host/data_files.h"
#include "host/globals.h"
#include "options/KwartlinForm1.h"

namespace kw {
namespace {

constexpr std::int32_t kActionShow = 1;
constexpr std::int32_t kActionHide = 2;
constexpr std::int32_t kActionSave = 3;
constexpr std::int32_t kActionSaveToo = 4;
constexpr std::int32_t kActionDestroy = 5;

TOptionsViewFactory gViewFactory = nullptr;  // null = the platform's own view

// A host save runs what the files now hold: the script from _init, and the spam list.
class TReloadSavedFiles final : public IEditorFilesSaved {
 public:
  void ScriptFileSaved() override { ReloadScript(true); }
  void SpamListFileSaved() override { LoadSpamList(); }
};

TReloadSavedFiles gReloadSavedFiles;

template <std::size_t N>
void WriteZeroPadded(char (&field)[N], std::string_view text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

void WritePageFields(OptionsPageEventDef& event) {
  WriteZeroPadded(event.PageName, "Kwartlin");
  WriteZeroPadded(event.PageDescription, "Konfiguracja pluginu Kwartlin.");
  event.Picture = LargeIcon;
}

void CallHost(const char* service, TWindowHandle window) {
  if (PluginLink && PluginLink->CallService)
    PluginLink->CallService(PluginInstance, service, window, 0);
}

TRect32 PageArea(const OptionsPageEventDef& event) {
  return TRect32{event.Left, event.Top, event.Width, event.Height};
}

void ShowPage(const OptionsPageEventDef& event) {
  if (!OptionsForm) {
    OptionsForm = new TOptionsForm(gViewFactory ? gViewFactory() : CreateOptionsView(),
                                   {ScriptPath, SpamListPath, OptionsFormRect, gReloadSavedFiles, SettingsPath, SettingsUnread});
    TOptionsForm& form = *OptionsForm;
    form.SetHostArea(event.Window, PageArea(event));
    // Docking records the form's current bounds as the free window's: start from the
    // stored rectangle so that it comes back unchanged.
    form.ApplyBounds(OptionsFormRect);
    form.SetDetached(false);
    form.View().SetActiveTab(0);
    CallHost("Tlen/AddDialogHandle", form.View().WindowHandle());
    form.LoadEditorFiles();
  }
  OptionsForm->View().SetBounds(PageArea(event));
  OptionsForm->View().SetVisible(true);
}

void HidePage() {
  if (!OptionsForm) return;
  OptionsForm->SetDetached(false);
  OptionsForm->View().SetVisible(false);
}

void SavePage() {
  if (!OptionsForm) return;
  OptionsForm->SetDetached(false);
  // The save stops at the first file it cannot write (the form reports it); the script,
  // or the spam list, is reloaded only when this save left its file as the editor meant
  // it (written, or kept because it could not be read).
  OptionsForm->SaveForHost();
}

void DestroyPage() {
  if (!OptionsForm) return;
  OptionsForm->SetDetached(false);
  CallHost("Tlen/RemoveDialogHandle", OptionsForm->View().WindowHandle());
  FreeOptionsForm();
}

}  // namespace

std::int32_t KW_CDECL OptionsPageCallback(OptionsPageEventDef* event) {
  try {
    if (!event) return 0;
    WritePageFields(*event);
    switch (event->Action) {
      case kActionShow:
        ShowPage(*event);
        break;
      case kActionHide:
        HidePage();
        break;
      case kActionSave:
      case kActionSaveToo:
        SavePage();
        break;
      case kActionDestroy:
        DestroyPage();
        break;
      default:
        break;
    }
  } catch (...) {
    // The host gets its 0 whatever happened; the form keeps whatever state it reached.
  }
  return 0;
}

void FreeOptionsForm() {
  // Cleared first, so nothing reached from the form's teardown sees a dying form.
  TOptionsForm* form = OptionsForm;
  OptionsForm = nullptr;
  delete form;
}

void SetOptionsViewFactory(TOptionsViewFactory factory) { gViewFactory = factory; }

}  // namespace kw
