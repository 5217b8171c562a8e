// The simulator's texts: every message, label, usage line and trace wording it prints,
// in English (texts_en.h) and Polish (texts_pl.h), chosen by the process's language
// (support/message.h, support/language.h). What stays as it is in both: the command
// language's words (recv, options show, ...), the script's own keywords (IF, CALL),
// the JSON layout's keys and values, and the plugin's and checker's own texts.
//
// To add a text: an id in KW_SIM_TEXTS at its place, then an entry at the same place in
// both catalogs, with the same {fields}; the build stops until all three agree.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "support/message.h"

namespace kwsim {

// clang-format off
#define KW_SIM_TEXTS(X) \
  /* The command line: the program, its commands and options, CLI11's words */ \
  X(AppDescription) \
  X(CommandRun) \
  X(CommandShell) \
  X(CommandCheck) \
  X(CommandHelp) \
  X(OptionPluginsFrom) \
  X(OptionModule) \
  X(OptionJson) \
  X(OptionColour) \
  X(OptionKeep) \
  X(OptionTrace) \
  X(OptionExpect) \
  X(OptionTranscript) \
  X(OptionFormat) \
  X(OptionCheckJson) \
  X(OptionSpam) \
  X(OptionCheckedFiles) \
  X(OptionHelpFor) \
  X(OptionHelp) \
  X(OptionVersion) \
  X(OptionLang) \
  X(TypeFolder) \
  X(TypeFile) \
  X(TypeText) \
  X(TypeCommand) \
  X(LabelUsage) \
  X(LabelOptionsBadge) \
  X(LabelCommandBadge) \
  X(LabelPositionals) \
  X(LabelRequired) \
  X(LabelOptions) \
  X(LabelCommands) \
  X(UsageNoCommand) \
  X(UsageUnexpected) \
  X(UsageFault) \
  X(UsageMore) \
  X(ProgramFailed) \
  X(NoSuchCommand) \
  /* Running, the shell and the checker */ \
  X(NoModuleBeside) \
  X(FolderKept) \
  X(CannotReadTranscript) \
  X(ShellGreeting) \
  X(ShellBlockDropped) \
  X(ShellCtrlCAgain) \
  X(KeysPlain) \
  X(KeysLineEditing) \
  X(KeysWindows) \
  X(CannotReadFile) \
  X(NoFindings) \
  X(CannotReadExpected) \
  X(OutputDiffers) \
  X(EndOfFile) \
  X(EndOfOutput) \
  X(HintRestartOrSave) \
  X(HintPageHoldsOldText) \
  X(CannotLoadModule) \
  X(PluginNotLoaded) \
  X(MessengerClosed) \
  X(MessengerRunning) \
  X(CannotRead) \
  X(NoteReadAtStart) \
  X(NoteSettingsWrittenOver) \
  X(NoteReadAtRestart) \
  X(NoOptionsPage) \
  X(PageNotOpen) \
  X(PageNotInMemoryWindow) \
  X(PageNotLiveWindow) \
  X(PageLacksParts) \
  X(SpamNotRunning) \
  X(SpamListChanged) \
  X(SpamNoList) \
  X(SpamNoteAndNoList) \
  X(NoTemporaryFolder) \
  X(CannotMakeFolder) \
  X(NoModuleAt) \
  X(CannotCopy) \
  X(NoFolder) \
  X(CannotWrite) \
  X(CannotDelete) \
  /* The text layout of events */ \
  X(LabelSent) \
  X(SentBlockedByOwnHook) \
  X(LabelStatus) \
  X(StatusNoProtocol) \
  X(LabelMenuAdd) \
  X(LabelMenuDelete) \
  X(LabelSettings) \
  X(SettingsWritten) \
  X(SettingsNotWritten) \
  X(SettingsLongValueCut) \
  X(SettingsPiecesWithoutFirst) \
  X(VarsMessengerClosed) \
  X(VarsNoneReported) \
  X(VarsSaved) \
  X(VarsCountOne) \
  X(VarsCountFew) \
  X(VarsCountMany) \
  X(VarsCountFirst) \
  X(LabelFolded) \
  X(LabelMatch) \
  X(SpamMatchAt) \
  X(SpamRuleWithoutWords) \
  X(SpamHitAs) \
  X(LabelSpam) \
  X(SpamYesOne) \
  X(SpamYesFew) \
  X(SpamYesMany) \
  X(SpamNoOne) \
  X(SpamNoFew) \
  X(SpamNoMany) \
  X(LabelNote) \
  X(NoDataFiles) \
  X(DataFiles) \
  X(NoHookOn) \
  X(LabelPassed) \
  X(LabelBlocked) \
  X(BlockedUnseen) \
  X(BlockedNotSent) \
  X(LabelRewritten) \
  X(LabelHelp) \
  X(Empty) \
  X(LabelSyntax) \
  X(NoSuchMenuEntry) \
  X(LabelCaret) \
  X(CaretAt) \
  X(LabelPage) \
  X(LabelErrorBox) \
  X(NoSuchItem) \
  X(ContactFields) \
  X(ContactNew) \
  X(FileDeleted) \
  X(FileWrittenOne) \
  X(FileWrittenFew) \
  X(FileWrittenMany) \
  X(LabelMenu) \
  X(MenuNothing) \
  X(LabelReturned) \
  X(NoSuchService) \
  X(NoSuchFile) \
  X(TraceSwitchedOn) \
  X(TraceSwitchedOff) \
  /* The trace's lines (terminal and page) */ \
  X(ThousandsSeparator) \
  X(TraceLabelRun) \
  X(TraceLabelWrite) \
  X(TraceLabelSave) \
  X(TraceLabelHost) \
  X(TraceLabelBound) \
  X(TraceLabelEnd) \
  X(TraceLabelTrace) \
  X(TraceAtLine) \
  X(TraceAtIndex) \
  X(TraceCutBytes) \
  X(TraceRunNested) \
  X(TraceCut) \
  X(TraceIfIncomplete) \
  X(TraceIfTrueNumbers) \
  X(TraceIfFalseNumbers) \
  X(TraceIfTrueTexts) \
  X(TraceIfFalseTexts) \
  X(TraceIfNoNumber) \
  X(TraceIfDifferFrom) \
  X(TraceIfSkips) \
  X(TraceRetBack) \
  X(TraceRetNoCall) \
  X(TraceJumpFound) \
  X(TraceJumpNoLabel) \
  X(TraceWriteNew) \
  X(TraceWriteSame) \
  X(TraceWriteChanged) \
  X(TraceSaveOn) \
  X(TraceSaveOff) \
  X(TraceSaveStaysOn) \
  X(TraceSaveStaysOff) \
  X(TraceSaveNewVariable) \
  X(TraceStoppedAt) \
  X(TraceStoppedBefore) \
  X(TraceEndedHow) \
  X(TraceEndPastLast) \
  X(TraceEndExit) \
  X(TraceEndNoEntry) \
  X(TraceEndEmpty) \
  X(TraceEndLineBound) \
  X(TraceEndByteBound) \
  X(TraceEndValueBound) \
  X(TraceEndCallDepth) \
  X(TraceEndNesting) \
  X(TraceEndFailure) \
  /* The command language's reader and its summary (help in the shell) */ \
  X(ParseMissing) \
  X(ParseExpectedAssignment) \
  X(ParseUnexpected) \
  X(ParseAfterClosingQuote) \
  X(ParseUnknownEscape) \
  X(ParseNoClosingQuote) \
  X(ParseUnknownProtocol) \
  X(ParseEmptyContactId) \
  X(StatusChoices) \
  X(ParseBadStatus) \
  X(ParseUnknownStatus) \
  X(ParseUnknownFlag) \
  X(ParseUnknownFile) \
  X(ParseUnknownContactField) \
  X(ParseUnknownEditor) \
  X(ParseBadPosition) \
  X(ParseUnknownKey) \
  X(ParseUnknownOptionsAction) \
  X(ParseExpectedOnOff) \
  X(ParseUnknownCommand) \
  X(ParseExpectedFileHow) \
  X(ParseBlockNeverClosed) \
  X(WhatProtocol) \
  X(WhatContactId) \
  X(WhatStatus) \
  X(WhatFile) \
  X(WhatEditor) \
  X(WhatOptionsAction) \
  X(WhatTextToType) \
  X(WhatKey) \
  X(WhatLine) \
  X(WhatColumn) \
  X(WhatMenuEntry) \
  X(WhatMessageText) \
  X(WhatTheContactId) \
  X(WhatMenuItem) \
  X(WhatDescription) \
  X(WhatServiceText) \
  X(WhatTheFileName) \
  X(WhatPattern) \
  X(WhatTextToCheck) \
  X(WhatOnOrOff) \
  X(WhatText) \
  X(WhatCommand) \
  X(WhatFileHow) \
  X(WhatPath) \
  X(SummaryRecv) \
  X(SummarySend) \
  X(SummaryPopup) \
  X(SummaryClick) \
  X(SummaryStatus) \
  X(SummaryContact) \
  X(SummaryService) \
  X(SummaryRestart) \
  X(SummaryStop) \
  X(SummaryStart) \
  X(SummaryFile) \
  X(SummaryShowFile) \
  X(SummaryOptions) \
  X(SummaryVars) \
  X(SummarySpam) \
  X(SummaryTrace) \
  X(SummaryEcho) \
  X(SummaryHelp) \
  X(SummaryQuit) \
  X(SummaryStatusChoices) \
  X(SummaryText)
// clang-format on

enum class TextId : std::uint16_t {
#define KW_SIM_TEXT_ID(name) name,
  KW_SIM_TEXTS(KW_SIM_TEXT_ID)
#undef KW_SIM_TEXT_ID
};

// A text without fields, as it stands in the chosen language (static storage).
std::string_view Text(TextId id);
// A text with its fields filled.
std::string Say(TextId id, std::initializer_list<kw::Field> fields = {});
std::string Say(TextId id, std::span<const kw::Field> fields);

// The one of three forms that counts n in the chosen language: Polish says 1 plik,
// 2-4 pliki (but 12-14 plików), 5 plików; English has one and many (few = many).
TextId PluralOf(std::int64_t n, TextId one, TextId few, TextId many);

// "where:line: text" and "where: text": a place first, as compilers write it, in either
// language.
std::string AtLine(std::string_view where, std::int64_t line, std::string_view text);
std::string AtPlace(std::string_view where, std::string_view text);

// The value of --lang among the arguments ("--lang pl" or "--lang=pl"; the last wins),
// "" when none. Read before the command line itself, whose usage it decides.
std::string LanguageArgument(int argc, const char* const* argv);

}  // namespace kwsim
