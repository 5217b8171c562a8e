// The host side of the simulation. Effects are read from the test host's logs: its call
// log gives the order, and each service's own log the decoded record, so that a message
// sent between two menu changes is reported between them.
#include "tools/sim/session.h"

#include <algorithm>
#include <utility>

#include "check/checker.h"
#include "script/text.h"
#include "support/casing.h"
#include "tools/sim/codec.h"
#include "tools/sim/page_window.h"
#include "tools/sim/spam_rules.h"
#include "tools/sim/texts.h"

namespace kwsim {
namespace fs = std::filesystem;

namespace {

// A data file's lines as the script reader splits them: up to a zero byte.
std::vector<std::string> FileLines(std::string_view bytes) {
  return kw::SplitFileLines(bytes.substr(0, bytes.find('\0')));
}

constexpr const char* kMainItem = "KWARTLIN_MAIN_MENU";
constexpr const char* kServiceName = "KWARTLIN/PROC_BRIX";
constexpr std::int32_t kReceived = 1;
constexpr std::int32_t kSending = 5;
constexpr std::int32_t kRenewCaption = 0x10000000;

// The page area the simulated options dialog offers: the form's own design size.
constexpr std::int32_t kPageWidth = 525;
constexpr std::int32_t kPageHeight = 421;

std::string U(std::string_view cp1250) { return Cp1250ToUtf8(cp1250); }

// An editor's lines: the pieces between CR LF pairs, not counting an empty last one.
std::vector<std::string> EditorLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end == text.size() ? end : end + 2;
  }
  return lines;
}

struct TextPosition {
  int Line = 1;    // 1-based
  int Column = 1;  // 1-based, in characters of the line (a tab is one)
};

TextPosition PositionOf(const std::string& text, std::size_t offset) {
  TextPosition p;
  std::size_t lineStart = 0;
  offset = std::min(offset, text.size());
  // Only a break wholly before the caret starts a new line for it.
  for (std::size_t i = 0; i + 1 < offset; ++i) {
    if (text[i] == '\r' && text[i + 1] == '\n') {
      ++p.Line;
      lineStart = i + 2;
      ++i;
    }
  }
  p.Column = static_cast<int>(offset - lineStart) + 1;
  return p;
}

std::string FixedText(const char* text, std::size_t size) {
  std::size_t n = 0;
  while (n < size && text[n] != '\0') ++n;
  return std::string(text, n);
}

}  // namespace

Session::Session(SessionOptions options, Reporter& reporter)
    : options_(std::move(options)), reporter_(reporter) {}

Session::~Session() {
  // An interrupted run still unloads, so the module writes its settings and the folder
  // can go; nothing is reported any more.
  try {
    if (loaded_) module_.UnloadPlugin();
    loaded_ = false;
    module_.Close();
  } catch (...) {
  }
}

std::string Session::FolderPath() const { return folder_ ? PathToUtf8(folder_->Root()) : ""; }

std::filesystem::path Session::DataPath(DataFile file) const { return folder_ ? folder_->DataPath(file) : ""; }

void Session::Start() {
  folder_ = std::make_unique<PluginsFolder>(PathFromUtf8(options_.ModulePath), options_.Keep);
  trace_ = std::make_unique<TraceReader>(folder_->Root() / "trace.jsonl");
  tracing_ = options_.Trace;
  if (!options_.PluginsFrom.empty())
    for (const auto& [file, from] : folder_->CopyDataFrom(PathFromUtf8(options_.PluginsFrom)))
      if (std::optional<std::string> bytes = folder_->Read(file)) WarnIfUtf8(file, *bytes, PathToUtf8(from));
  Event event;
  LoadEvent load;
  load.DataFiles = folder_->PresentDataFiles();
  event.Data = load;
  LoadModule(event);
  Emit(std::move(event));
}

std::vector<std::string> Session::TakeWarnings() { return std::exchange(warnings_, {}); }

void Session::WarnIfUtf8(DataFile file, std::string_view bytes, const std::string& shownPath) {
  if (file == DataFile::Settings) return;
  for (const kwcheck::TFinding& f :
       file == DataFile::Script ? kwcheck::CheckScript(bytes) : kwcheck::CheckSpamList(bytes))
    if (f.Kind().Name == "encoding") warnings_.push_back(shownPath + ":" + std::to_string(f.Line) + ": warning: " + f.MessageText());
}

std::string Session::LoadHint(const Step& step) const {
  if (step.Kind != Verb::File || step.Delete || step.File == DataFile::Settings || !loaded_) return {};
  // The page's editors read the files when the page is made, and its save writes what
  // they hold: an open page would put the old text back.
  if (host_->DialogHandles.empty())
    return std::string(Text(TextId::HintRestartOrSave));
  return std::string(Text(TextId::HintPageHoldsOldText));
}

void Session::Finish() {
  if (!loaded_) return;
  Event event;
  event.Data = UnloadEvent{};
  UnloadModule(event);
  Emit(std::move(event));
}

void Session::LoadModule(Event& event) {
  host_ = std::make_unique<kwtest::TestHost>();
  host_->Statuses = statuses_;
  host_->Contacts = contacts_;
  items_.clear();
  ownEchoes_.clear();
  // The messenger hands every message it sends to the hooks, the plugin's own too.
  host_->OnSend = [this](const kwtest::SentMessage& m) {
    const std::size_t index = host_->Sent.size() - 1;
    ownEchoes_[index] = host_->Deliver(m.ProtocolId, m.ContactId, m.Text, kSending, m.Mark).Result;
  };
  trace_->Announce(tracing_);
  if (!module_.Open(folder_->ModulePath().string()))
    throw SimError(Say(TextId::CannotLoadModule,
                       {{"path", PathToUtf8(folder_->ModulePath())}, {"reason", kwtest::LastModuleError()}}));
  const kw::PluginInfoDef* info = module_.GetPluginInfo();
  if (auto* load = std::get_if<LoadEvent>(&event.Data); load != nullptr && info != nullptr) {
    load->Name = U(kwtest::Text(info->Name));
    load->Version = kwtest::VersionText(info->Version);
  }
  const LogMark mark = Mark();
  module_.LoadPlugin(host_->Link());
  loaded_ = true;
  loadedSpam_ = folder_->Read(DataFile::Spam);
  CollectEffects(mark, event.Effects);
}

void Session::UnloadModule(Event& event) {
  const LogMark mark = Mark();
  module_.UnloadPlugin();
  loaded_ = false;
  trace_->ForgetTable();
  CollectEffects(mark, event.Effects);
  module_.Close();
  statuses_ = host_->Statuses;
  contacts_ = host_->Contacts;
  host_.reset();
}

Session::LogMark Session::Mark() const {
  LogMark m;
  m.Calls = host_->Calls.size();
  m.ProtocolCalls = host_->ProtocolCalls.size();
  m.Sent = host_->Sent.size();
  m.StateChanges = host_->StateChanges.size();
  m.Added = host_->AddedItems.size();
  m.Changed = host_->ChangedItems.size();
  m.Deleted = host_->DeletedItems.size();
  m.Settings = folder_->Read(DataFile::Settings);
  return m;
}

void Session::CollectEffects(const LogMark& mark, std::vector<Effect>& effects) {
  const kwtest::TestHost& h = *host_;
  std::size_t protocolCall = mark.ProtocolCalls, sent = mark.Sent, change = mark.StateChanges;
  std::size_t added = mark.Added, changed = mark.Changed, deleted = mark.Deleted;
  for (std::size_t i = mark.Calls; i < h.Calls.size(); ++i) {
    const std::string& service = h.Calls[i].Service;
    if (service == "Tlen/ProtocolCallFunction" && protocolCall < h.ProtocolCalls.size()) {
      const kwtest::ProtocolCall& call = h.ProtocolCalls[protocolCall++];
      if (call.Function == "PFSendMessage" && sent < h.Sent.size()) {
        const kwtest::SentMessage& m = h.Sent[sent];
        const auto echo = ownEchoes_.find(sent++);
        effects.push_back(SentEffect{U(m.ProtocolId), U(m.ContactId), U(m.Text), m.Mark,
                                     echo != ownEchoes_.end() && echo->second != 0});
      } else if (call.Function == "PFChangeUserState" && change < h.StateChanges.size()) {
        const kwtest::UserStateCall& s = h.StateChanges[change++];
        effects.push_back(StatusEffect{U(s.Call.Protocol), s.Status, U(s.Description),
                                       h.Statuses.count(s.Call.Protocol) != 0});
      }
    } else if (service == "Tlen/AddMenuItem" && added < h.AddedItems.size()) {
      const kwtest::MenuItem& item = h.AddedItems[added++];
      items_[item.Handle] = {item.ItemId, item.Caption};
      if (item.ItemId != kMainItem) effects.push_back(MenuEffect{true, U(item.ItemId), U(item.Caption)});
    } else if (service == "Tlen/ChangeMenuItem" && changed < h.ChangedItems.size()) {
      const kwtest::MenuItem& item = h.ChangedItems[changed++];
      auto it = items_.find(item.Handle);
      if (it != items_.end() && (item.ChangeFlags & kRenewCaption) != 0) it->second.second = item.Caption;
    } else if (service == "Tlen/DeleteMenuItem" && deleted < h.DeletedItems.size()) {
      const std::intptr_t handle = h.DeletedItems[deleted++];
      auto it = items_.find(handle);
      if (it != items_.end()) {
        effects.push_back(MenuEffect{false, U(it->second.first), U(it->second.second)});
        items_.erase(it);
      } else {
        effects.push_back(MenuEffect{false, "handle " + std::to_string(handle), ""});
      }
    }
  }
  if (folder_->Read(DataFile::Settings) != mark.Settings) effects.push_back(SettingsEffect{});
}

void Session::Execute(const Step& step) {
  if (!host_) throw SimError(std::string(Text(TextId::PluginNotLoaded)));
  const bool needsPlugin = step.Kind == Verb::Recv || step.Kind == Verb::Send ||
                           step.Kind == Verb::Popup || step.Kind == Verb::Click ||
                           step.Kind == Verb::Service || step.Kind == Verb::Restart ||
                           step.Kind == Verb::Stop || step.Kind == Verb::Options;
  if (needsPlugin && !loaded_) throw SimError(std::string(Text(TextId::MessengerClosed)));
  if (step.Kind == Verb::Start && loaded_) throw SimError(std::string(Text(TextId::MessengerRunning)));
  switch (step.Kind) {
    case Verb::Recv: Message(step, true); break;
    case Verb::Send: Message(step, false); break;
    case Verb::Popup: Popup(step); break;
    case Verb::Click: Click(step); break;
    case Verb::Status: Status(step); break;
    case Verb::Contact: Contact(step); break;
    case Verb::Service: Service(step); break;
    case Verb::Restart: Restart(step); break;
    case Verb::Stop: StopPlugin(step); break;
    case Verb::Start: StartPlugin(step); break;
    case Verb::File: WriteFile(step); break;
    case Verb::ShowFile: ShowFile(step); break;
    case Verb::Options: Options(step); break;
    case Verb::Vars: Vars(step); break;
    case Verb::Spam: Spam(step); break;
    case Verb::Trace: SwitchTrace(step); break;
    case Verb::Echo: Emit(Event{step.Line, EchoEvent{U(step.Text)}, {}}); break;
    case Verb::Help: Emit(Event{step.Line, HelpEvent{CommandSummary()}, {}}); break;
    case Verb::Quit: break;
  }
}

void Session::Message(const Step& step, bool incoming) {
  const LogMark mark = Mark();
  const kwtest::Delivery d =
      host_->Deliver(step.Protocol, step.Contact, step.Text, incoming ? kReceived : kSending);
  MessageEvent m;
  m.Incoming = incoming;
  m.Protocol = step.Protocol;
  m.Contact = U(step.Contact);
  m.Text = U(step.Text);
  m.Hooked = d.Hooked;
  m.Result = d.Result;
  m.Back = U(d.Text);
  Event event{step.Line, m, {}};
  CollectEffects(mark, event.Effects);
  Emit(std::move(event));
}

void Session::Popup(const Step& step) {
  const LogMark mark = Mark();
  PopupEvent p;
  p.Contact = U(step.Contact);
  p.Result = host_->OpenPopup(step.Contact);
  for (const kwtest::ShownItem& shown : host_->Shown) {
    const kwtest::MenuItem* item = host_->FindItem(shown.ItemId);
    p.Shown.push_back({U(shown.ItemId), item ? U(item->Caption) : "", shown.ItemId == kMainItem});
  }
  Event event{step.Line, p, {}};
  CollectEffects(mark, event.Effects);
  Emit(std::move(event));
}

void Session::Click(const Step& step) {
  ClickEvent c;
  c.Contact = U(step.Contact);
  c.Item = U(step.Text);
  // The item by its caption as the host shows it, exact first, then ignoring case; then
  // by its id; anything else is clicked as an id the host does not know.
  const kwtest::MenuItem* found = nullptr;
  for (int pass = 0; pass < 3 && found == nullptr; ++pass) {
    for (const auto& [handle, item] : host_->MenuItems) {
      const bool match = pass == 0   ? item.Caption == step.Text
                         : pass == 1 ? kw::UpperCase(item.Caption) == kw::UpperCase(step.Text)
                                     : kw::UpperCase(item.ItemId) == kw::UpperCase(step.Text);
      if (match) {
        found = &item;
        break;
      }
    }
  }
  const std::string id = found ? found->ItemId : step.Text;
  c.Known = found != nullptr;
  c.Id = U(id);
  c.Caption = found ? U(found->Caption) : "";
  const LogMark mark = Mark();
  c.Result = host_->ClickItem(id, step.Contact);
  Event event{step.Line, c, {}};
  CollectEffects(mark, event.Effects);
  Emit(std::move(event));
}

void Session::Status(const Step& step) {
  host_->Statuses[step.Protocol] = kwtest::UserStatus{step.Status, step.Text};
  Emit(Event{step.Line, StatusEvent{step.Protocol, step.Status, U(step.Text)}, {}});
}

void Session::Contact(const Step& step) {
  auto& list = host_->Contacts;
  auto it = std::find_if(list.begin(), list.end(),
                         [&](const kwtest::Contact& c) { return c.Id && *c.Id == step.Contact; });
  ContactEvent e;
  e.Added = it == list.end();
  if (e.Added) {
    kwtest::Contact fresh;
    fresh.Id = step.Contact;
    fresh.Name = fresh.Group = fresh.Description = fresh.AuxText = std::string();
    list.push_back(fresh);
    it = list.end() - 1;
  }
  if (step.Fields.Name) it->Name = step.Fields.Name;
  if (step.Fields.Group) it->Group = step.Fields.Group;
  if (step.Fields.Description) it->Description = step.Fields.Description;
  if (step.Fields.Flags) it->Flags = *step.Fields.Flags;
  e.Id = U(step.Contact);
  e.Name = U(it->Name.value_or(""));
  e.Group = U(it->Group.value_or(""));
  e.Description = U(it->Description.value_or(""));
  e.Flags = it->Flags;
  Emit(Event{step.Line, e, {}});
}

void Session::Service(const Step& step) {
  ServiceEvent s;
  s.Name = kServiceName;
  s.Text = U(step.Text);
  s.Found = std::any_of(host_->Services.begin(), host_->Services.end(),
                        [](const kwtest::ServiceRecord& r) { return r.Name == kServiceName; });
  const LogMark mark = Mark();
  // The callback's own answer, passed on as it comes: Kwartlin's service answers 0
  // whether or not the text set a variable.
  if (s.Found) s.Result = host_->CallPluginService(kServiceName, kw::ToParam(step.Text.c_str()), 0);
  Event event{step.Line, s, {}};
  CollectEffects(mark, event.Effects);
  Emit(std::move(event));
}

void Session::Restart(const Step& step) {
  Event event;
  event.Line = step.Line;
  UnloadModule(event);
  event.Data = RestartEvent{folder_->PresentDataFiles()};
  LoadModule(event);
  Emit(std::move(event));
}

void Session::StopPlugin(const Step& step) {
  Event event{step.Line, UnloadEvent{}, {}};
  UnloadModule(event);
  // The host stays for the commands that need no plugin (status, contact, files).
  host_ = std::make_unique<kwtest::TestHost>();
  host_->Statuses = statuses_;
  host_->Contacts = contacts_;
  Emit(std::move(event));
}

void Session::StartPlugin(const Step& step) {
  statuses_ = host_->Statuses;
  contacts_ = host_->Contacts;
  host_.reset();
  Event event{step.Line, LoadEvent{}, {}};
  std::get<LoadEvent>(event.Data).DataFiles = folder_->PresentDataFiles();
  LoadModule(event);
  Emit(std::move(event));
}

void Session::WriteFile(const Step& step) {
  FileEvent f;
  f.Which = std::string(DataFileName(step.File));
  f.FileName = std::string(DataFileOnDisk(step.File));
  if (step.Delete) {
    folder_->Remove(step.File);
    f.Deleted = true;
  } else {
    std::string bytes;
    if (step.Content) {
      bytes = *step.Content;
    } else {
      fs::path from = PathFromUtf8(step.FromPath);
      if (from.is_relative()) from = PathFromUtf8(options_.BaseDir) / from;
      std::optional<std::string> read = ReadBytes(from);
      if (!read) throw SimError(Say(TextId::CannotRead, {{"path", PathToUtf8(from)}}));
      bytes = std::move(*read);
      WarnIfUtf8(step.File, bytes, PathToUtf8(from));
    }
    folder_->Write(step.File, bytes);
    f.Lines = FileLines(bytes).size();
    f.Bytes = bytes.size();
  }
  // The plugin reads its files only when it starts, and writes its settings when it
  // closes, over whatever is there.
  if (!loaded_) f.Note = Text(TextId::NoteReadAtStart);
  else if (step.File == DataFile::Settings) f.Note = Text(TextId::NoteSettingsWrittenOver);
  else f.Note = Text(TextId::NoteReadAtRestart);
  Emit(Event{step.Line, f, {}});
}

void Session::ShowFile(const Step& step) {
  ShowFileEvent s;
  s.Which = std::string(DataFileName(step.File));
  s.FileName = std::string(DataFileOnDisk(step.File));
  const std::optional<std::string> bytes = folder_->Read(step.File);
  s.Exists = bytes.has_value();
  if (bytes)
    for (const std::string& line : FileLines(*bytes)) s.Lines.push_back(U(line));
  Emit(Event{step.Line, s, {}});
}

void Session::Options(const Step& step) {
  OptionsEvent o;
  o.Action = std::string(OptionsActionName(step.Options));
  const bool registered = !host_->OptionsPages.empty() && host_->OptionsPages.back().Callback != nullptr;
  const bool pageAction = step.Options == OptionsAction::Show || step.Options == OptionsAction::Hide ||
                          step.Options == OptionsAction::Save || step.Options == OptionsAction::Destroy;
  // The host may ask a plugin without a page for one, and nothing happens; the user
  // cannot act on a page that is not there, and the command fails as others do.
  if (!registered && !pageAction) throw SimError(std::string(Text(TextId::NoOptionsPage)));
  if (!registered) {
    o.Note = Text(TextId::NoOptionsPage);
    Emit(Event{step.Line, o, {}});
    return;
  }
  if (pageAction) PageAction(step, o);
  else UserOnPage(step, o);
}

void Session::PageAction(const Step& step, OptionsEvent& o) {
  auto record = kw::ZeroRecord<kw::OptionsPageEventDef>();
  switch (step.Options) {
    case OptionsAction::Show: record.Action = 1; break;
    case OptionsAction::Hide: record.Action = 2; break;
    case OptionsAction::Save: record.Action = 3; break;
    default: record.Action = 5; break;
  }
  record.Width = kPageWidth;
  record.Height = kPageHeight;
  const LogMark mark = Mark();
  const auto pageHandle = [this] { return host_->DialogHandles.empty() ? std::intptr_t{0} : host_->DialogHandles.back(); };
  const std::unique_ptr<ErrorBoxWatch> boxes = WatchErrorBoxes(pageHandle());
  o.Result = host_->CallOptionsPage(record);
  for (const std::string& text : boxes->Texts(pageHandle())) o.ErrorBoxes.push_back(U(text));
  // The page's save loads the spam list it has just written.
  if (step.Options == OptionsAction::Save) loadedSpam_ = folder_->Read(DataFile::Spam);
  o.Available = true;
  o.PageName = U(FixedText(record.PageName, sizeof record.PageName));
  o.PageDescription = U(FixedText(record.PageDescription, sizeof record.PageDescription));
  Event event{step.Line, o, {}};
  CollectEffects(mark, event.Effects);
  Emit(std::move(event));
}

void Session::UserOnPage(const Step& step, OptionsEvent& o) {
  // The form's window is registered from its first show until the host destroys it
  // (or the plugin unloads, which makes a fresh host): the last one is the live one.
  const PageEditor editor = step.Memo == 2 ? PageEditor::Spam : PageEditor::Script;
  switch (step.Options) {
    case OptionsAction::Type:
    case OptionsAction::Menu: o.Input = U(step.Text); break;
    case OptionsAction::Key: o.Input = step.Key == 9 ? "tab" : "enter"; break;
    case OptionsAction::Caret:
      o.Input = std::to_string(step.CaretLine) + " " + std::to_string(step.CaretColumn);
      break;
    default: break;
  }
  if (step.Options != OptionsAction::Help && step.Options != OptionsAction::Menu)
    o.Editor = editor == PageEditor::Script ? "script" : "spam";

  if (host_->DialogHandles.empty()) throw SimError(std::string(Text(TextId::PageNotOpen)));
  std::string why;
  const std::unique_ptr<PageWindow> page = OpenPageWindow(host_->DialogHandles.back(), why);
  if (!page) throw SimError(why);
  o.Available = true;
  // The menu's entries go into the script editor, whichever editor it opened on.
  const PageEditor caretOf = step.Options == OptionsAction::Menu ? PageEditor::Script : editor;
  const LogMark mark = Mark();
  switch (step.Options) {
    case OptionsAction::Type:
      page->ShowTab(editor);
      page->Type(editor, step.Text);
      break;
    case OptionsAction::Key:
      page->ShowTab(editor);
      page->PressKey(editor, step.Key);
      break;
    case OptionsAction::Caret:
      page->ShowTab(editor);
      page->Click(editor, step.CaretLine - 1, step.CaretColumn - 1);
      break;
    case OptionsAction::Menu:
      o.Chosen = page->ChooseMenuEntry(step.Text);
      break;
    case OptionsAction::Help:
      o.Syntax = U(page->HelpLine(true));
      o.Description = U(page->HelpLine(false));
      break;
    default:
      for (std::string& line : EditorLines(page->Text(editor))) o.Lines.push_back(U(line));
      break;
  }
  if (step.Options != OptionsAction::Help && step.Options != OptionsAction::Text) {
    const TextPosition caret = PositionOf(page->Text(caretOf), page->CaretOffset(caretOf));
    o.CaretLine = caret.Line;
    o.CaretColumn = caret.Column;
  }
  Event event{step.Line, o, {}};
  CollectEffects(mark, event.Effects);
  Emit(std::move(event));
}

// --- the trace channel: the trace, the variables, the spam list ---

// What the plugin told of its settings file shows whether the trace is on or not.
void Session::Emit(Event event) {
  if (trace_)
    for (TraceItem& item : trace_->ReadNew()) {
      if (item.Kind == "settings") {
        SettingsEffect e;
        e.Reason = item.Text("reason");
        if (item.Text("action") == "load") {
          e.What = SettingsEffect::Kind::PiecesKept;
          e.Name = item.Text("name");
          e.LoadedBytes = item.Number("loaded_bytes");
        } else if (!item.Flag("written")) {
          e.What = SettingsEffect::Kind::NotWritten;
        } else {
          continue;  // a save that wrote shows by the file's change
        }
        event.Effects.push_back(std::move(e));
      } else if (tracing_ || EndedByBound(item)) {
        event.Trace.push_back(std::move(item));
      }
    }
  reporter_.Report(event);
}

void Session::Vars(const Step& step) {
  VarsEvent v;
  v.Pattern = U(step.Text);
  v.Loaded = loaded_;
  const VariableTable& table = trace_->Table();
  v.Known = loaded_ && table.Known;
  if (v.Known) {
    v.Count = table.Count;
    v.Reported = static_cast<std::int64_t>(table.Rows.size());
    // Names are kept upper-cased with their "$": the pattern is matched the same way,
    // and a pattern that starts with a letter means the name after the "$".
    std::string pattern = kw::UpperCase(step.Text);
    if (pattern.empty()) pattern = "*";
    if (pattern[0] != '$' && pattern[0] != '*' && pattern[0] != '?') pattern.insert(0, 1, '$');
    for (const VariableRow& row : table.Rows) {
      std::string name, error;
      if (!Utf8ToCp1250(row.Name, name, error)) name = row.Name;
      if (GlobMatches(pattern, name)) v.Rows.push_back(row);
    }
  }
  Emit(Event{step.Line, v, {}});
}

void Session::Spam(const Step& step) {
  // The list the plugin loaded; with the plugin closed, the one it would load.
  const std::optional<std::string> onDisk = folder_->Read(DataFile::Spam);
  const std::optional<std::string>& list = loaded_ ? loadedSpam_ : onDisk;
  SpamEvent e = ExplainSpam(list.value_or(""), step.Text);
  if (!loaded_) e.Note = Text(TextId::SpamNotRunning);
  else if (onDisk != loadedSpam_) e.Note = Text(TextId::SpamListChanged);
  if (!list) e.Note = Say(e.Note.empty() ? TextId::SpamNoList : TextId::SpamNoteAndNoList, {{"note", e.Note}});
  Emit(Event{step.Line, e, {}});
}

void Session::SwitchTrace(const Step& step) {
  tracing_ = step.On;
  // The plugin reads the level as each run starts.
  if (trace_) trace_->Announce(tracing_);
  Emit(Event{step.Line, TraceSwitchEvent{tracing_}, {}});
}

}  // namespace kwsim
