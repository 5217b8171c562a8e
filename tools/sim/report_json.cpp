// The JSON layout: one object per event on one line, keys in a fixed order, texts as
// UTF-8 strings with every control character escaped. Effects are an array of objects
// named by their "effect" key; see tools/sim/README.md for the keys of each event.
#include <type_traits>

#include "check/output.h"
#include "tools/sim/report.h"
#include "tools/sim/transcript.h"

namespace kwsim {
namespace {

// Builds one object, keys in the order they are added.
class Object {
 public:
  Object& Add(std::string_view key, std::string_view text) { return Raw(key, JsonString(text)); }
  Object& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
  Object& Add(std::string_view key, const std::string& text) { return Add(key, std::string_view(text)); }
  Object& Add(std::string_view key, std::int64_t number) { return Raw(key, std::to_string(number)); }
  Object& Add(std::string_view key, std::int32_t number) { return Raw(key, std::to_string(number)); }
  Object& Add(std::string_view key, std::size_t number) { return Raw(key, std::to_string(number)); }
  Object& Add(std::string_view key, bool flag) { return Raw(key, flag ? "true" : "false"); }
  // A list of texts or of numbers.
  template <class T>
  Object& Add(std::string_view key, const std::vector<T>& items) {
    std::string list = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i > 0) list += ',';
      if constexpr (std::is_same_v<T, std::string>) list += JsonString(items[i]);
      else list += std::to_string(items[i]);
    }
    return Raw(key, list + "]");
  }
  Object& Raw(std::string_view key, std::string_view json) {
    body_ += body_.empty() ? "{" : ",";
    body_ += JsonString(key);
    body_ += ':';
    body_ += json;
    return *this;
  }
  std::string Text() const { return body_.empty() ? "{}" : body_ + "}"; }

 private:
  std::string body_;
};

// A trace record as the plugin wrote it (its texts now UTF-8), with the nesting of its
// run.
std::string TraceJson(const TraceItem& item) {
  Object o;
  o.Add("event", item.Kind).Add("depth", static_cast<std::int32_t>(item.Depth));
  for (const auto& field : item.Fields) {
    // A named reference, not a structured binding: clang 14 (emscripten's) cannot capture one.
    const auto& key = field.first;
    if (key == "depth") continue;  // run and end carry it themselves; it is out already
    std::visit(
        [&o, &key](const auto& v) {
          using V = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<V, std::monostate>) o.Raw(key, "null");
          else o.Add(key, v);
        },
        field.second);
  }
  return o.Text();
}

std::string EffectJson(const Effect& effect) {
  return std::visit(
      [](const auto& e) {
        using T = std::decay_t<decltype(e)>;
        Object o;
        if constexpr (std::is_same_v<T, SentEffect>) {
          o.Add("effect", "sent").Add("protocol", e.Protocol).Add("to", e.To).Add("text", e.Text);
          o.Add("mark", e.Mark).Add("blocked_by_hook", e.BlockedByHook);
        } else if constexpr (std::is_same_v<T, StatusEffect>) {
          o.Add("effect", "status").Add("protocol", e.Protocol).Add("status", e.Status);
          o.Add("status_name", StatusName(e.Status)).Add("description", e.Description);
          o.Add("served", e.Served);
        } else if constexpr (std::is_same_v<T, MenuEffect>) {
          o.Add("effect", e.Added ? "menu-add" : "menu-delete").Add("id", e.Id).Add("caption", e.Caption);
        } else if (e.What == SettingsEffect::Kind::Written) {
          o.Add("effect", "settings-written").Add("file", "Kwartlin.ini");
        } else if (e.What == SettingsEffect::Kind::NotWritten) {
          o.Add("effect", "settings-not-written").Add("file", "Kwartlin.ini").Add("reason", e.Reason);
        } else if (e.What == SettingsEffect::Kind::NotRead) {
          o.Add("effect", "settings-not-read").Add("file", "Kwartlin.ini").Add("reason", e.Reason);
        } else if (e.What == SettingsEffect::Kind::LeftOut) {
          o.Add("effect", "settings-left-out").Add("file", "Kwartlin.ini").Add("name", e.Name);
          o.Add("reason", e.Reason);
        } else {
          o.Add("effect", "settings-pieces-kept").Add("file", "Kwartlin.ini").Add("name", e.Name);
          o.Add("loaded_bytes", e.LoadedBytes).Add("reason", e.Reason);
        }
        return o.Text();
      },
      effect);
}

void AddPayload(Object& o, const Payload& data) {
  std::visit(
      [&o](const auto& e) {
        using T = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<T, LoadEvent>) {
          o.Add("event", "load").Add("plugin", e.Name).Add("version", e.Version);
          o.Add("data_files", e.DataFiles);
        } else if constexpr (std::is_same_v<T, UnloadEvent>) {
          o.Add("event", "unload");
        } else if constexpr (std::is_same_v<T, RestartEvent>) {
          o.Add("event", "restart").Add("data_files", e.DataFiles);
        } else if constexpr (std::is_same_v<T, MessageEvent>) {
          o.Add("event", e.Incoming ? "recv" : "send").Add("protocol", e.Protocol);
          o.Add("contact", e.Contact).Add("text", e.Text).Add("hooked", e.Hooked);
          o.Add("hook_result", e.Result).Add("outcome", Outcome(e)).Add("text_back", e.Back);
        } else if constexpr (std::is_same_v<T, PopupEvent>) {
          std::string shown = "[";
          for (std::size_t i = 0; i < e.Shown.size(); ++i) {
            Object item;
            item.Add("id", e.Shown[i].Id).Add("caption", e.Shown[i].Caption).Add("main", e.Shown[i].Main);
            if (i > 0) shown += ',';
            shown += item.Text();
          }
          o.Add("event", "popup").Add("contact", e.Contact).Add("result", e.Result);
          o.Raw("shown", shown + "]");
        } else if constexpr (std::is_same_v<T, ClickEvent>) {
          o.Add("event", "click").Add("contact", e.Contact).Add("item", e.Item).Add("id", e.Id);
          o.Add("caption", e.Caption).Add("known", e.Known).Add("result", e.Result);
        } else if constexpr (std::is_same_v<T, StatusEvent>) {
          o.Add("event", "status").Add("protocol", e.Protocol).Add("status", e.Status);
          o.Add("status_name", StatusName(e.Status)).Add("description", e.Description);
        } else if constexpr (std::is_same_v<T, ContactEvent>) {
          o.Add("event", "contact").Add("id", e.Id).Add("added", e.Added).Add("name", e.Name);
          o.Add("group", e.Group).Add("description", e.Description).Add("flags", e.Flags);
        } else if constexpr (std::is_same_v<T, ServiceEvent>) {
          o.Add("event", "service").Add("name", e.Name).Add("text", e.Text).Add("found", e.Found);
          o.Add("result", e.Result);
        } else if constexpr (std::is_same_v<T, FileEvent>) {
          o.Add("event", "file").Add("file", e.Which).Add("name", e.FileName).Add("deleted", e.Deleted);
          o.Add("lines", e.Lines).Add("bytes", e.Bytes).Add("note", e.Note);
        } else if constexpr (std::is_same_v<T, ShowFileEvent>) {
          o.Add("event", "show-file").Add("file", e.Which).Add("name", e.FileName);
          o.Add("exists", e.Exists).Add("lines", e.Lines);
        } else if constexpr (std::is_same_v<T, OptionsEvent>) {
          o.Add("event", "options").Add("action", e.Action).Add("available", e.Available);
          o.Add("result", e.Result).Add("page_name", e.PageName);
          o.Add("page_description", e.PageDescription).Add("note", e.Note);
          if (!e.Editor.empty()) o.Add("editor", e.Editor);
          if (!e.Input.empty()) o.Add("input", e.Input);
          if (e.Action == "menu") o.Add("chosen", e.Chosen);
          if (e.CaretLine > 0) o.Add("caret_line", e.CaretLine).Add("caret_column", e.CaretColumn);
          if (e.Action == "help") o.Add("syntax", e.Syntax).Add("description", e.Description);
          if (e.Action == "text") o.Add("lines", e.Lines);
          if (!e.ErrorBoxes.empty()) o.Add("error_boxes", e.ErrorBoxes);
        } else if constexpr (std::is_same_v<T, VarsEvent>) {
          o.Add("event", "vars").Add("pattern", e.Pattern).Add("loaded", e.Loaded).Add("known", e.Known);
          o.Add("count", e.Count).Add("reported", e.Reported);
          std::string rows = "[";
          for (std::size_t i = 0; i < e.Rows.size(); ++i) {
            Object row;
            row.Add("name", e.Rows[i].Name).Add("value", e.Rows[i].Value).Add("bytes", e.Rows[i].Bytes);
            row.Add("save", e.Rows[i].Save);
            if (i > 0) rows += ',';
            rows += row.Text();
          }
          o.Raw("variables", rows + "]");
        } else if constexpr (std::is_same_v<T, SpamEvent>) {
          o.Add("event", "spam").Add("text", e.Text).Add("folded", e.Folded).Add("spam", e.Spam);
          o.Add("rules", e.Rules);
          std::string matches = "[";
          for (std::size_t i = 0; i < e.Matches.size(); ++i) {
            const SpamMatch& m = e.Matches[i];
            std::string words = "[";
            for (std::size_t k = 0; k < m.Words.size(); ++k) {
              Object word;
              word.Add("word", m.Words[k].Word).Add("hits", m.Words[k].Hits).Add("folded", m.Words[k].Folded);
              if (k > 0) words += ',';
              words += word.Text();
            }
            Object match;
            match.Add("line", static_cast<std::int32_t>(m.Line)).Add("rule", m.Rule).Raw("words", words + "]");
            if (i > 0) matches += ',';
            matches += match.Text();
          }
          o.Raw("matches", matches + "]").Add("note", e.Note);
        } else if constexpr (std::is_same_v<T, TraceSwitchEvent>) {
          o.Add("event", "trace").Add("on", e.On);
        } else if constexpr (std::is_same_v<T, EchoEvent>) {
          o.Add("event", "echo").Add("text", e.Text);
        } else {
          o.Add("event", "help").Add("lines", e.Lines);
        }
      },
      data);
}

}  // namespace

// The checker's: one escaping for every JSON the tools write.
std::string JsonString(std::string_view text) { return kwcheck::JsonText(text); }

void JsonReporter::Report(const Event& event) {
  Object o;
  o.Add("line", static_cast<std::int32_t>(event.Line));
  AddPayload(o, event.Data);
  std::string effects = "[";
  for (std::size_t i = 0; i < event.Effects.size(); ++i) {
    if (i > 0) effects += ',';
    effects += EffectJson(event.Effects[i]);
  }
  o.Raw("effects", effects + "]");
  if (!event.Trace.empty()) {
    std::string trace = "[";
    for (std::size_t i = 0; i < event.Trace.size(); ++i) {
      if (i > 0) trace += ',';
      trace += TraceJson(event.Trace[i]);
    }
    o.Raw("trace", trace + "]");
  }
  out_ << o.Text() << '\n' << std::flush;
}

}  // namespace kwsim
