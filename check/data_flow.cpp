#include "check/data_flow.h"

#include <algorithm>

#include "script/KwartlinConst.h"
#include "script/loader.h"
#include "script/text.h"

namespace kwcheck {

bool TDataFlow::WrittenElsewhere(const std::string& upper, int fileLine) const {
  if (Saved.count(upper) != 0) return true;
  const auto it = Writes.find(upper);
  if (it == Writes.end()) return false;
  return std::any_of(it->second.begin(), it->second.end(), [&](int l) { return l != fileLine; });
}

TDataFlow ReadDataFlow(const TSource& s) {
  TDataFlow data;
  auto read = [&](const kw::TCompiledValue& v) {
    if (v.IsVariable) data.Reads.insert(v.Text);
  };
  for (std::size_t i = 0; i < s.Lines.size(); ++i) {
    const kw::TCompiledLine& l = s.Compiled->Lines[i];
    const std::string_view text = s.Lines[i].Text;
    const int code = kw::FindCommandIndex(text);
    if (code == kw::cmdGoto || code == kw::cmdCall) {
      std::size_t cut = text.find_first_of(" \t");
      data.JumpTargets.insert(kw::LabelKey(cut == std::string_view::npos ? std::string_view() : kw::TrimBlanksView(text.substr(cut))));
    }
    if (l.Kind != kw::TLineKind::Command) continue;
    const kw::TParamSignature& signature = kw::kSignatures[static_cast<std::size_t>(l.Code)];
    if (l.Condition) {
      read(l.Condition->Left);
      read(l.Condition->Right);
    }
    if (l.RestValue) read(*l.RestValue);
    for (std::size_t n = 0; n < l.Params.size(); ++n) {
      if (signature.Reads(n)) read(l.Params[n].Value);
      if (signature.Writes(n)) {
        data.Writes[l.Params[n].Target].push_back(s.Lines[i].FileLine);
        data.Writers[l.Params[n].Target].insert(l.Code);
        data.WrittenAs[l.Params[n].Target].insert(signature.At(n)->Role);
      }
    }
    if (l.Code == kw::cmdSave && !l.Params.empty()) data.Saved.insert(l.Params[0].Target);
  }
  return data;
}

}  // namespace kwcheck
