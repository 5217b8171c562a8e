#include "check/findings.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "check/messages_pl.h"
#include "support/message.h"

namespace kwcheck {

const TFindingKind& FindingKind(int code) {
  for (const TFindingKind& k : kFindingKinds)
    if (k.Code == code) return k;
  return kFindingKinds[0];
}

const TFindingKind& TFinding::Kind() const { return FindingKind(Code); }

namespace {

#define KW_MESSAGE_NAME(Id, Template) #Id,
constexpr std::string_view kMessageIds[] = {KW_MESSAGES(KW_MESSAGE_NAME)};
#undef KW_MESSAGE_NAME

// The English catalog is the list itself; u8"" makes each template a UTF-8 literal.
#define KW_MESSAGE_ENGLISH(Id, Template) {TMessage::Id, u8"" Template},
constexpr kw::CatalogEntry<TMessage> kEnglishMessages[] = {KW_MESSAGES(KW_MESSAGE_ENGLISH)};
#undef KW_MESSAGE_ENGLISH

constexpr std::size_t kMessageCount = std::size(kMessageIds);
static_assert(std::size(kPolishMessages) == kMessageCount, "messages_pl.h has an entry for every id of KW_MESSAGES");

// The first entry in [from, to) out of place, malformed or with other fields than its
// English twin; kMessageCount when all agree. The catalogs are checked a slice at a
// time, each its own constant evaluation: as one, the long templates pass clang's
// (and so emscripten's) limit of steps.
constexpr std::size_t FirstDisagreementBetween(std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && i < kMessageCount; ++i) {
    const auto& en = kEnglishMessages[i];
    const auto& pl = kPolishMessages[i];
    if (en.Key != static_cast<TMessage>(i) || pl.Key != static_cast<TMessage>(i) || en.Text.empty() ||
        pl.Text.empty() || !kw::catalog::SameFields(en.Text, pl.Text))
      return i;
  }
  return kMessageCount;
}
constexpr std::size_t kSlice = 16;
template <std::size_t Slice>
constexpr std::size_t kDisagreementIn = FirstDisagreementBetween(Slice * kSlice, (Slice + 1) * kSlice);
template <std::size_t... Slice>
constexpr std::size_t FirstDisagreement(std::index_sequence<Slice...>) {
  return std::min({kMessageCount, kDisagreementIn<Slice>...});
}
// The index of the first entry that disagrees shows in the compiler's message as the left side.
static_assert(FirstDisagreement(std::make_index_sequence<(kMessageCount + kSlice - 1) / kSlice>()) == kMessageCount,
              "messages_pl.h lists the ids of KW_MESSAGES in order, each with the English template's fields");

}  // namespace

std::string_view MessageId(TMessage message) { return kMessageIds[static_cast<std::size_t>(message)]; }
std::string_view MessageTemplate(TMessage message) {
  return kw::PickText(kEnglishMessages, kPolishMessages, message);
}

std::string FillTemplate(std::string_view text, const TFields& fields) {
  std::vector<kw::Field> named;
  named.reserve(fields.size());
  // The first field of a name wins, as the checker adds them.
  for (auto f = fields.rbegin(); f != fields.rend(); ++f) named.push_back({f->Name, f->Value});
  return kw::FillTemplate(text, named);
}

std::string TFinding::MessageText() const { return FillTemplate(MessageTemplate(Message), Fields); }

std::string FixTitle(const TFix& fix) { return FillTemplate(MessageTemplate(fix.Title), fix.TitleFields); }

std::string CodeText(int code) { return "KW" + std::to_string(code); }

std::string_view SeverityName(TSeverity severity) {
  switch (severity) {
    case TSeverity::Error: return "error";
    case TSeverity::Warning: return "warning";
    case TSeverity::Note: return "note";
  }
  return "note";
}

}  // namespace kwcheck
