// Every message of the checker, declared once: a stable id (which another language's
// catalog keys its wording by) and the English template, whose {name} placeholders the
// finding's fields fill when it is written out ({{ and }} stand for a brace). The
// messages of fixes ("Fix...") name what the fix does. No sentence is glued together in
// code: a message that differs by a clause is a message of its own.
//
// X(Id, Template)
#pragma once

// clang-format off
#define KW_MESSAGES(X) \
  X(InitWithoutStart, "the script has :_init but no :_start, so every message runs it from its first line, the lines of _init included; put :_start where the handling of a message begins") \
  X(ProgramVariableNotSet, "the program sets {name} for none of the runs that reach this line ({entries}), so it holds what an earlier run left in it") \
  X(ProgramVariableNotRead, "the program reads {name} after none of the runs that reach this line ({entries}), so writing it here changes nothing") \
  X(GotoIntoCalled, "GOTO into the section '{label}', which ends with RET: RET finds no CALL to return to and the run goes on below it; CALL the section instead") \
  X(QuotedName, "{value} in quotes is the text {name} itself, not the value of {name}; drop the quotes") \
  X(QuotedResultName, "{value} in quotes names no variable: the result goes to a variable named with the quotes; drop them") \
  X(Interpolation, "{name} inside the quoted text {value} stays as written: a text takes no variables; build it with STRCON, {name} and the quoted pieces each a parameter") \
  X(DynamicName, "'{name}' is one variable of that whole name: a name cannot be built from another variable's value") \
  X(MenuEntryCaption, "{value} is the caption of the entry named '{name}': entries are named by MenuAdd's first value") \
  X(MenuDelTwoValues, "MenuDel takes the whole rest of the line as one entry name, so '{value}' names no entry; one name only") \
  X(FlagsCompared, "{name} holds every flag of the contact at once, each a bit, so comparing it with {flag} is true only when that flag is its only one; test the bit: BITAND a copy with {flag}, then IF the copy <> 0") \
  X(SwappedByRole, "'{first}' and '{second}' are in each other's places ({syntax})") \
  X(ForeignOperator, "'{written}' is no operator: the operator is {operator} and the right value is the text '{right}'; write {meant}") \
  X(ConditionComma, "a comma joins no conditions: '{right}' is all the right value; chain IF lines that jump with GOTO") \
  X(IgnoredRest, "{command} takes nothing: '{rest}' after it is ignored") \
  X(SaveConfigGivenValue, "SaveConfig takes nothing and saves every variable that SAVE has marked: '{rest}' is ignored; mark a variable with SAVE $name, 1") \
  X(FunctionCall, "'{value}' is no function call: a parameter is one value; compute it first with the commands (STRLEN, STRCOPY, ADD...)") \
  X(Arithmetic, "'{value}' is no sum: a $ value names the variable of that whole name, which nothing writes; compute with ADD, SUBB, MUL or DIV on a variable first") \
  X(CommentMark, "{mark} starts no comment, so '{value}' is all the value; comments start with //") \
  X(NoEscape, "{escape} in {value} stays those two characters: only \\n is an escape") \
  X(TypographicQuotes, "'{value}' has a word processor's quotes, which quote nothing: they stay in the value; use the plain single quote '") \
  X(StrConDoubled, "STRCON starts from the value of {name} itself, so giving {name} again doubles it") \
  X(SeparatorLength, "STREXT splits at the first character of its separator only: {value} splits at '{first}'") \
  X(IndexFromOne, "STRDEL counts characters from 1, so index 0 deletes nothing; the first character is 1") \
  X(FixUnquote, "drop the quotes") \
  X(FixCommentSlashes, "start the comment with //") \
  X(FixDropRest, "drop what is ignored") \
  X(FixDropRepeat, "drop the repeated {name}") \
  X(FixFirstCharacter, "keep only the first character") \
  X(JumpWithoutLabel, "{command} without a label name") \
  X(MissingLabel, "{command} to '{label}', but no line reads ':{label}'; execution goes on with the next line") \
  X(MissingLabelBlank, "{command} to '{label}', but no line reads ':{label}'; execution goes on with the next line (line {labelLine} has blanks after its colon)") \
  X(MissingLabelSlip, "{command} to '{label}', but no line reads ':{label}'; execution goes on with the next line; did you mean '{meant}'?") \
  X(DuplicateLabel, "the label '{label}' is already defined at line {first}; GOTO and CALL always go to the first one") \
  X(IfLastLine, "IF on the last line governs no command") \
  X(IfBeforeLabel, "IF governs the label line '{label}' (line {labelLine}), so the condition changes nothing: the line after the label runs either way") \
  X(RunsOnIntoSection, "the {entry} run goes on from here into '{label}' (line {labelLine}): no EXIT or GOTO ends it, so the lines of {section} run in every {entry} run as well; end {entry} with EXIT") \
  X(RunsOnIntoCalled, "the {entry} run goes on from here into '{label}' (line {labelLine}): no EXIT or GOTO ends it, so that CALLed section runs once more and its RET finds no CALL to return to; end {entry} with EXIT") \
  X(CallWithoutRetExit, "the section '{label}', CALLed at line {callLine}, never reaches RET: its EXIT at line {exitLine} ends the whole run, so the lines after the CALL never run") \
  X(CallWithoutRetExitOrEnd, "the section '{label}', CALLed at line {callLine}, never reaches RET: its EXIT at line {exitLine} ends the whole run, and it runs past the last line, so the lines after the CALL never run") \
  X(CallWithoutRetEnd, "the section '{label}', CALLed at line {callLine}, never reaches RET: it runs past the last line, so the lines after the CALL never run") \
  X(CallWithoutRetLoop, "the section '{label}', CALLed at line {callLine}, never reaches RET: it loops without end, so the lines after the CALL never run") \
  X(RetWithoutCall, "a {entry} run reaches this RET with no CALL open, so RET does nothing and the run goes on with line {next}; to end the run here, write EXIT") \
  X(IfGovernsIf, "this IF is governed by the IF on line {ifLine}: when that one is false, this line is skipped and the line below it runs unguarded; to require both, jump away when either is false (IF ... with the opposite operator, then GOTO)") \
  X(IfGovernsOneLine, "the IF on line {ifLine} governs only the line below it; this one runs whatever the condition: to guard both, jump over them with the opposite condition and GOTO") \
  X(JumpWithColon, "{command} {label} looks for a line that reads ':{label}': the colon belongs only to the label line; write {command} {bare}") \
  X(SpecialLabelBlank, "'{label}' has a blank after its colon, so it is not the special label :{special} and no run starts there") \
  X(SpecialLabelSlip, "'{label}' is no special label, so no run starts there; did you mean '{meant}'?") \
  X(FixEndWithExit, "end the run with EXIT") \
  X(FixRenameLabel, "rename the label to {meant}") \
  X(FixDropColon, "drop the colon") \
  X(FixJumpTo, "jump to {meant}") \
  X(UnknownCommand, "'{word}' is no command; the line does nothing") \
  X(UnknownCommandSlip, "'{word}' is no command; the line does nothing; did you mean '{meant}'?") \
  X(UnknownCommandGlued, "'{word}' is no command; the line does nothing (a blank must follow the keyword {keyword})") \
  X(ProgramVariableLike, "'{name}' is no program variable; did you mean '{meant}'?") \
  X(UnknownConstant, "'{name}' is no constant, so it stays the text '{name}'; to mean that text, quote it") \
  X(UnknownConstantSlip, "'{name}' is no constant, so it stays the text '{name}'; did you mean '{meant}'?") \
  X(ConstantWithoutHash, "'{word}' without # is just that text, not the constant's value; write {meant}") \
  X(ConstantWord, "'{word}' is a plain word here; the constant is {meant}") \
  X(VariableWithoutDollar, "'{word}' without $ is just that text, not the variable {meant} that the script writes") \
  X(ResultWithoutDollar, "'{word}' without $ is read as the text '{word}', though the result goes to {meant}; write {meant}") \
  X(ProgramVariableWithoutUnderscore, "'{name}' is no program variable and nothing writes it, so it is empty; the program's is {meant}") \
  X(ReadNeverWritten, "'{name}' is read, but no line writes it and SAVE keeps nothing in it, so it is always empty") \
  X(HexAsVariable, "'{name}' unquoted is a variable, which nothing writes, so it reads as 0; the number is 0x{digits}") \
  X(MenuItemCaption, "'{value}' is the caption of the entry named '{name}', and $_MENU_ITEM holds the name exactly as MenuAdd gave it") \
  X(MenuItemCase, "'{value}' differs in case from the entry's name '{name}', and $_MENU_ITEM holds the name exactly as MenuAdd gave it") \
  X(SwappedParameters, "{command} writes its result into '{result}' and reads '{value}', which nothing writes: the two are swapped ({syntax})") \
  X(StrExtResultFirst, "STREXT takes the text first and its result last ({syntax}): as written it splits the empty {text} and writes into ${result}") \
  X(WrittenNeverRead, "'{name}' is written here, but no line reads it") \
  X(FixWrite, "write {text}") \
  X(FixBlankAfter, "put a blank after {keyword}") \
  X(FixSwap, "swap the two parameters") \
  X(FixResultLast, "put the result last") \
  X(FixCompareWithName, "compare with the name") \
  X(ForeignGetsts, "'{word}' is no command here, so the line does nothing: READSTS reads the status (SETSTS would set it)") \
  X(ForeignReadstatus, "'{word}' is no command here, so the line does nothing: READSTS reads the status") \
  X(ForeignRem, "'{word}' is no command here, so the line does nothing: the line is not a comment but an unknown command that does nothing; comments start with //") \
  X(ForeignStrcmp, "'{word}' is no command here, so the line does nothing: texts are compared with IF: IF $a = 'text'") \
  X(ForeignStrchr, "'{word}' is no command here, so the line does nothing: STRPOS finds a text in another") \
  X(ForeignStrlwr, "'{word}' is no command here, so the line does nothing: STRLOW makes a text lower case") \
  X(ForeignStrupr, "'{word}' is no command here, so the line does nothing: STRUP makes a text upper case") \
  X(ForeignMod, "'{word}' is no command here, so the line does nothing: there is no remainder: DIV, MUL and SUBB give it ($r = $a - $a / $b * $b)") \
  X(ForeignAnd, "'{word}' is no command here, so the line does nothing: bits are joined with BITAND; a condition has no AND (chain IF lines with GOTO)") \
  X(ForeignOr, "'{word}' is no command here, so the line does nothing: bits are joined with BITOR; a condition has no OR (chain IF lines with GOTO)") \
  X(ForeignXor, "'{word}' is no command here, so the line does nothing: bits are joined with BITXOR") \
  X(ForeignNot, "'{word}' is no command here, so the line does nothing: bits are inverted with BITNOT; a condition is negated by its opposite operator") \
  X(ForeignShl, "'{word}' is no command here, so the line does nothing: bits are shifted with BITSHL") \
  X(ForeignShr, "'{word}' is no command here, so the line does nothing: bits are shifted with BITSHR") \
  X(ForeignSub, "'{word}' is no command here, so the line does nothing: subtraction is SUBB") \
  X(ForeignDec, "'{word}' is no command here, so the line does nothing: SUBB $x, 1 counts down") \
  X(ForeignInc, "'{word}' is no command here, so the line does nothing: ADD $x, 1 counts up") \
  X(ForeignMult, "'{word}' is no command here, so the line does nothing: multiplication is MUL") \
  X(ForeignStrcat, "'{word}' is no command here, so the line does nothing: STRCON joins texts") \
  X(ForeignLen, "'{word}' is no command here, so the line does nothing: STRLEN gives a text's length") \
  X(ForeignSubstr, "'{word}' is no command here, so the line does nothing: STRCOPY copies a part of a text") \
  X(ForeignSplit, "'{word}' is no command here, so the line does nothing: STREXT takes one piece of a text split at a character") \
  X(ForeignTrim, "'{word}' is no command here, so the line does nothing: STRTRIM removes blanks at both ends") \
  X(ForeignReturn, "'{word}' is no command here, so the line does nothing: RET returns from a CALL") \
  X(ForeignGosub, "'{word}' is no command here, so the line does nothing: CALL jumps to a label and RET comes back") \
  X(ForeignJmp, "'{word}' is no command here, so the line does nothing: GOTO jumps to a label") \
  X(ForeignEnd, "'{word}' is no command here, so the line does nothing: EXIT ends the run") \
  X(ForeignSet, "'{word}' is no command here, so the line does nothing: MOV sets a variable") \
  X(ForeignPrint, "'{word}' is no command here, so the line does nothing: SEND sends a message (a real one, to a contact)") \
  X(ForeignElse, "'{word}' is no command here, so the line does nothing: an IF governs only the next line; jump over a block with GOTO") \
  X(ForeignThen, "'{word}' is no command here, so the line does nothing: the command that an IF governs stands alone on the next line") \
  X(ForeignWhile, "'{word}' is no command here, so the line does nothing: there are no loops: a label and an IF with GOTO back to it make one") \
  X(ForeignVar, "'{word}' is no command here, so the line does nothing: there are no declarations: a variable comes into being when it is written") \
  X(NotANumber, "'{value}' is no whole number, so it reads as 0") \
  X(NotAWholeNumber, "'{value}' is no whole number, so it reads as 0; the numbers are whole: for 1.5 times, MUL by 3 and then DIV by 2") \
  X(DoubledQuote, "{value} holds two quotes where one was meant: a quote inside a quoted text needs no doubling, and '' stays '' in the value") \
  X(BackslashN, "\\n in {value} is a line break, so this path is cut in two; a value cannot hold a backslash before n, so write the path with /") \
  X(QuotedTrue, "{value} is the text TRUE, which reads as false as a flag and equals no truth value; write #TRUE (1)") \
  X(WordAsFlag, "'{value}' as a flag reads as false (only a non-zero number is true); write #TRUE") \
  X(BareTrue, "'{value}' without # is just the text TRUE, not 1; write #TRUE") \
  X(BareFalse, "'{value}' without # is just the text FALSE, not 0; write #FALSE") \
  X(BinaryWord, "'{value}' starts with b, so it is read as a binary number and gives 0; put it in single quotes to keep the text") \
  X(JoinedTexts, "{command} joins '{first}' and '{second}' without the comma between them and its blanks: a comma separates parameters of unquoted text") \
  X(JoinedTextsQuote, "{command} joins '{first}' and '{second}' without the comma between them and its blanks: a comma separates parameters of unquoted text; quote it: {meant}") \
  X(ConditionAndOr, "a condition has no {word}: it is one comparison, and '{right}' is all its right value; chain IF lines that jump with GOTO") \
  X(ConditionTextAfter, "the right value is the whole text '{right}', not '{first}': a condition cannot share its line") \
  X(ConditionCommandAfter, "the right value is the whole text '{right}', not '{first}': a condition cannot share its line; put '{more}' on the next line, which the IF governs") \
  X(UrlCut, "the // in '{url}' starts a comment, so the line ends at '{kept}'; quote the whole address") \
  X(OpenQuoteHidesComment, "unbalanced single quote: a quoted text runs to the end of the line, and the // in it is part of the line, not a comment") \
  X(UnclosedQuote, "unbalanced single quote: '{value}' opens a quoted text that nothing closes, so the value keeps its quote") \
  X(UnclosedQuoteWithComment, "unbalanced single quote: '{value}' opens a quoted text that nothing closes, so the value keeps its quote, and the // in it is part of the line, not a comment") \
  X(QuoteHidesComma, "unbalanced single quote: the quote inside '{value}' turns the quoting around, so its comma separates no parameters (a quote cannot be escaped; MOV $q, ''' puts one into $q, and STRCON joins it in)") \
  X(QuoteHidesComment, "unbalanced single quote: the quote inside '{value}' turns the quoting around, so its // starts no comment (a quote cannot be escaped; MOV $q, ''' puts one into $q, and STRCON joins it in)") \
  X(DoubleQuotes, "'{value}' uses double quotes, which quote nothing: they stay in the value, and a comma or // between them works as it does anywhere; use single quotes") \
  X(TooFewParameters, "{command} needs {needs} parameters, the line has {has}; it does nothing") \
  X(MenuDelWithoutName, "MenuDel needs an entry name") \
  X(ExtraParameters, "{command} uses {uses} parameters, the line has {has}: '{ignored}' after the last one it uses is ignored") \
  X(ExtraParametersQuote, "{command} uses {uses} parameters, the line has {has}: '{ignored}' after the last one it uses is ignored; a comma cuts unquoted text, so quote it: {meant}") \
  X(ExtraParametersStrCon, "{command} uses {uses} parameters, the line has {has}: '{ignored}' after the last one it uses is ignored; quoting it would keep $ names as plain text, so build it with STRCON ($name and the quoted pieces, each a parameter) and use the result") \
  X(ConditionWithoutOperator, "the condition has no operator (<> != >= <= < > =), so it is always false") \
  X(ConditionWithoutLeft, "nothing before the operator {operator}, so the condition is always false") \
  X(ConditionWithoutRight, "nothing after the operator {operator}, so the condition is always false") \
  X(NoSuchOperator, "'{written}' is no operator: the operator is = and the right value is the text '{right}'; write {meant}") \
  X(StrConGrows, "STRCON adds to '{name}', which no line ever sets: variables live on from run to run, so it grows with every run; set it first (MOV {name}, '') where it should start empty") \
  X(FixOneQuote, "write one quote") \
  X(FixSlashes, "write the path with /") \
  X(FixQuoteText, "quote the text") \
  X(FixQuoteAddress, "quote the address") \
  X(FixSingleQuotes, "use single quotes") \
  X(UnsavableCharacter, "{error} (the plugin reads Windows-1250; the page will not save this)") \
  X(MatchesEverything, "the line holds only control characters, so it is a rule without words, and such a rule matches every text, the empty one included; delete the line") \
  X(OpenQuote, "a double quote that no double quote closes takes the rest of the line into one word") \
  X(NeverMatches, "the word {word} has no alternative that is not empty, so this rule never matches") \
  X(BlanksAroundBars, "the word {word} has no alternative that is not empty, so this rule never matches; blanks around | make it a word of its own: write {meant}") \
  X(QuotedPhrase, "double quotes make no phrase: {word} is one word whose blanks part alternatives, so a message with any one of them matches; a phrase takes three quotes: {meant}") \
  X(EmptyAlternative, "the word {word} has an empty alternative (a | at its start or end, or two in a row), which never matches; the other alternatives still do") \
  X(Comma, "{word} matches only a message holding exactly that, comma included; if these are alternatives, separate them with | ({meant})") \
  X(Wildcard, "{word} matches only a message holding the * or ? itself; if it stands for any letters, leave it out: every word already matches inside longer ones (kup matches kupię)") \
  X(OrWord, "{word} is a word the message must contain, like the others: every word of a rule must occur; alternatives are joined by | (kup|sprzedam), and words are required without AND") \
  X(SlashOrSemicolon, "{word} matches only a message holding exactly that, {separator} included; if these are alternatives, separate them with | ({meant})") \
  X(Parentheses, "parentheses group nothing: {group} matches only a message holding the parentheses themselves; alternatives are joined by | without them ({meant})") \
  X(ParenthesesWords, "parentheses group nothing: {group} makes words that a message must hold with the parentheses themselves; leave them out (a phrase takes three double quotes around it)") \
  X(SingleQuotes, "single quotes quote nothing in a spam list: {group} matches only a message holding the quotes themselves; write {meant}") \
  X(SlashComment, "// starts no comment in a spam list: {comment} are words that a message must hold as well, so the rule hardly ever matches; comments are lines that begin with ;") \
  X(SmileyComment, "a line that begins with ; is a comment, so the rule {rule} never runs: its smiley {smiley} silences it; write {meant} to match the smiley") \
  X(FixJoin, "join the alternatives") \
  X(FixPhrase, "match the phrase") \
  X(FixOr, "join the alternatives with |") \
  X(FixGroup, "leave out the parentheses") \
  X(FixQuotes, "leave out the single quotes") \
  X(FixComment, "leave out the comment") \
  X(FixCommentLine, "make the line a comment") \
  X(FixSmiley, "quote the smiley, so the line is a rule") \
  X(Utf8Script, "the file is UTF-8, but the plugin reads Windows-1250, so each Polish letter becomes two characters: '{meant}' reads as '{read}'; {advice}") \
  X(Utf8Spam, "the file is UTF-8, but the plugin reads Windows-1250, so each Polish letter becomes two characters and a rule holding one matches no message: '{meant}' reads as '{read}'; {advice}") \
  X(ZeroByteScript, "a zero byte: the plugin reads the script only up to it, so the rest of this line and every line after it never run; delete the byte") \
  X(ZeroByteSpam, "a zero byte: the plugin drops the rest of this line from its rule; delete the byte") \
  X(BomSpecialLabel, "the file begins with a UTF-8 byte order mark, which the plugin reads as the characters \xC4\x8F\xC2\xBB\xC5\xBC in front of line 1: '{line}' is then no label, so the plugin never runs {label}; {advice}") \
  X(BomLabel, "the file begins with a UTF-8 byte order mark, which the plugin reads as the characters \xC4\x8F\xC2\xBB\xC5\xBC in front of line 1: '{line}' is then no label, so GOTO {label} and CALL {label} go on with their next line; {advice}") \
  X(BomCommand, "the file begins with a UTF-8 byte order mark, which the plugin reads as the characters \xC4\x8F\xC2\xBB\xC5\xBC in front of line 1: '{line}' is then no command, so line 1 does nothing; {advice}") \
  X(BomEmptyLine, "the file begins with a UTF-8 byte order mark, which the plugin reads as the characters \xC4\x8F\xC2\xBB\xC5\xBC in front of line 1: harmless while line 1 holds no command, but a command or label written there would not work; {advice}") \
  X(BomRule, "the file begins with a UTF-8 byte order mark, which the plugin reads as the characters \xC4\x8F\xC2\xBB\xC5\xBC in front of line 1: the rule becomes '{line}', whose first word no message holds, so it never matches; {advice}") \
  X(BomComment, "the file begins with a UTF-8 byte order mark, which the plugin reads as the characters \xC4\x8F\xC2\xBB\xC5\xBC in front of line 1: line 1 becomes a rule that no message matches, harmless while it holds no rule, but a rule written there would never match; {advice}") \
  X(Utf16Script, "the file is {encoding}, in which every other byte of Latin text is a zero; the plugin reads a script only up to its first zero byte, so all it gets is the line '{read}' and nothing of the script runs; {advice}") \
  X(Utf16Spam, "the file is {encoding}, in which every other byte of Latin text is a zero; the plugin reads each line only up to its first zero byte, so no rule is left but {kept}, which no message holds, and nothing is spam; {advice}") \
  X(IsoScript, "the letters show that the file is ISO-8859-2, but the plugin reads Windows-1250, in which the bytes of \xC4\x85 \xC5\x9B \xC5\xBA \xC4\x84 \xC5\x9A \xC5\xB9 are other characters: '{meant}' reads as '{read}'; {advice}") \
  X(IsoSpam, "the letters show that the file is ISO-8859-2, but the plugin reads Windows-1250, in which the bytes of \xC4\x85 \xC5\x9B \xC5\xBA \xC4\x84 \xC5\x9A \xC5\xB9 are other characters, so rules holding them match no message: '{meant}' reads as '{read}'; {advice}") \
  X(AdviceConvert, "to fix it, in Notepad choose File > Save as (Plik > Zapisz jako) with Encoding (Kodowanie) \"ANSI\", which is Windows-1250 on a Windows set up for Polish; or in Windows PowerShell, in the file's folder: {command}") \
  X(AdviceIso, "to fix it, in Notepad, which shows these letters as \xC2\xB1 \xC2\xB6 \xC4\xBD \xCB\x87 \xC2\xA6 \xC2\xAC, replace each (Edit > Replace, Edycja > Zamie\xC5\x84) with \xC4\x85 \xC5\x9B \xC5\xBA \xC4\x84 \xC5\x9A \xC5\xB9 and save; or in Windows PowerShell, in the file's folder: {command}") \
  X(AdviceInexact, "no conversion keeps this file as written: '{char}' ({code}) on line {line} has no Windows-1250 byte, and saving as \"ANSI\" would write ? for it; replace it, then check again")
// clang-format on
