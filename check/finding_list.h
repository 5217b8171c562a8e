// Every kind of finding, declared once: its stable code, its short name, its severity
// and a one-line summary. The checker reports by code, the output formats and the
// playground take the name and severity from here, and docs/checker.md lists the same
// codes (a test holds the page against this list). Codes are grouped by hundreds and
// never reused: a code silenced in somebody's script must keep meaning the same thing.
//   1xx flow: where a run goes       2xx names: commands, labels, variables, constants
//   3xx values: what a parameter reads as       4xx spam list rules       5xx the file
// Severity: Error, the script cannot do what it says; Warning, it likely does not do
// what was meant; Note, worth a look.
//
// X(Code, Name, Severity, Summary)
#pragma once

// clang-format off
#define KW_FINDINGS(X) \
  X(101, "missing-label", Error, "GOTO or CALL names a label that no line defines: the run goes on with the next line") \
  X(102, "duplicate-label", Warning, "a label is defined twice: jumps always reach the first") \
  X(103, "if-last-line", Error, "an IF on the last line governs nothing") \
  X(104, "if-before-label", Warning, "an IF governs a label line, so its condition changes nothing") \
  X(105, "runs-on", Warning, "a section that a run enters runs on into the next section") \
  X(106, "call-without-ret", Warning, "a CALLed section never reaches RET") \
  X(107, "ret-without-call", Warning, "RET reached without an open CALL does nothing: the run goes on below it") \
  X(108, "if-governs-if", Warning, "an IF governs the next IF: two IFs in a row are no AND") \
  X(109, "if-governs-one-line", Warning, "an IF governs only the next line, not the indented block below it") \
  X(110, "goto-colon", Error, "GOTO or CALL with the label's colon") \
  X(111, "special-label", Warning, "a label like a special one, where no run starts") \
  X(112, "init-without-start", Warning, "a script with _init but no _start runs from its first line for every message") \
  X(113, "program-variable-in-entry", Warning, "a program variable used in a run that the program neither sets it for nor reads it after") \
  X(114, "goto-into-called", Warning, "GOTO into a section that ends with RET: RET finds no CALL to return to") \
  X(201, "unknown-command", Error, "the first word is no command: the line does nothing") \
  X(202, "other-language", Error, "a command word of other languages: the line does nothing") \
  X(203, "program-variable", Warning, "a $_ name like a program variable") \
  X(204, "unknown-constant", Warning, "a # name that is no constant stays as written") \
  X(205, "constant-without-hash", Warning, "a constant's name without #: a plain word") \
  X(206, "variable-without-dollar", Warning, "a variable's name without $ reads as a plain word") \
  X(207, "program-variable-without-underscore", Warning, "$ID, $MESSAGE: program variables are $_ID, $_MESSAGE") \
  X(208, "read-never-written", Warning, "a variable is read but nothing writes it: it is always empty") \
  X(209, "hex-as-variable", Warning, "$FF unquoted is a variable, not a number") \
  X(210, "menu-item-name", Warning, "$_MENU_ITEM compared with a caption or another case of an entry's name") \
  X(211, "swapped-parameters", Error, "a result and a value parameter in the wrong places") \
  X(212, "written-never-read", Note, "a variable is written but nothing reads it") \
  X(213, "quoted-name", Error, "a variable or constant in quotes is plain text") \
  X(214, "interpolation", Warning, "a $name inside a quoted text stays as written") \
  X(215, "dynamic-name", Warning, "a variable's name cannot be built from another variable") \
  X(216, "menu-entry", Error, "a menu entry named by its caption, or MenuDel given two values") \
  X(217, "flags-compared", Warning, "contact flags compared as one value: each is a bit of the number") \
  X(301, "unbalanced-quotes", Error, "a single quote that turns the quoting around") \
  X(302, "double-quotes", Warning, "double quotes quote nothing in a script") \
  X(303, "binary-word", Warning, "an unquoted word starting with b is a binary number") \
  X(304, "true-as-text", Error, "TRUE without # is a plain word, not 1") \
  X(305, "word-as-flag", Error, "a word as a flag reads as false") \
  X(306, "not-a-number", Error, "a number parameter that is no integer reads as 0") \
  X(307, "doubled-quote", Warning, "'' inside a quoted text stays two quotes") \
  X(308, "backslash-n", Warning, "\\n inside a text is a line break") \
  X(309, "url-cut", Error, "an unquoted URL is cut at its // as a comment") \
  X(310, "cut-parameter", Warning, "commas cut unquoted text into more parameters") \
  X(311, "strcon-grows", Warning, "STRCON onto a variable that nothing resets: it grows with every run") \
  X(312, "too-few-parameters", Error, "fewer parameters than the command needs: the line does nothing") \
  X(313, "if-condition", Error, "a condition without an operator or an operand is always false") \
  X(314, "if-operator", Error, "== => =< =! >< are no operators") \
  X(315, "if-extra-text", Error, "text after a condition's right value belongs to the value") \
  X(316, "if-and-or", Error, "a condition has no AND, OR or NOT") \
  X(317, "ignored-rest", Warning, "EXIT, RET and SaveConfig take nothing: what follows them is ignored") \
  X(318, "expression", Error, "no arithmetic or function calls inside a parameter") \
  X(319, "comment-mark", Error, "# and ; start no comment: only // does") \
  X(320, "no-escape", Warning, "only \\n is an escape: \\t and the others stay as written") \
  X(321, "typographic-quotes", Error, "a word processor's quotes quote nothing") \
  X(322, "strcon-doubled", Error, "STRCON given its own result again: the value is doubled") \
  X(323, "separator-length", Warning, "STREXT splits at the first character of its separator only") \
  X(324, "index-from-one", Error, "STRDEL counts from 1: index 0 deletes nothing") \
  X(401, "spam-open-quote", Warning, "a double quote that nothing closes takes the rest of the rule") \
  X(402, "empty-alternative", Warning, "an empty alternative never matches") \
  X(403, "never-matches", Error, "a word without an alternative: the rule never matches") \
  X(404, "matches-everything", Error, "a rule without words matches every text") \
  X(405, "quoted-phrase", Error, "a phrase in double quotes is one word per blank: any of them matches") \
  X(406, "comma-in-rule", Note, "a comma separates nothing in a rule") \
  X(407, "wildcard", Note, "* and ? match only themselves") \
  X(408, "or-word", Warning, "OR, AND, LUB, ALBO, ORAZ are words a message must contain") \
  X(409, "slash-or-semicolon", Note, "a / or ; between letters separates nothing in a rule") \
  X(410, "parentheses", Warning, "parentheses group nothing: a message must hold them") \
  X(411, "single-quotes", Warning, "single quotes quote nothing: a message must hold them") \
  X(412, "slash-comment", Warning, "// starts no comment: the words after it belong to the rule") \
  X(413, "smiley-comment", Warning, "a rule that begins with a ; smiley is a comment") \
  X(501, "encoding", Warning, "the file is UTF-8, but the plugin reads Windows-1250: each Polish letter becomes two characters") \
  X(502, "zero-byte", Error, "a zero byte ends the script: the lines after it never run") \
  X(503, "character", Error, "a character that Windows-1250 cannot hold") \
  X(504, "byte-order-mark", Warning, "UTF-8's byte order mark: the plugin reads line 1 with three characters in front") \
  X(505, "utf-16", Error, "the file is UTF-16: the plugin reads it only up to its first zero byte") \
  X(506, "iso-8859-2", Warning, "the file is ISO-8859-2: the plugin reads six of its Polish letters as other characters")
// clang-format on
