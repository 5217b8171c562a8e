// Stub: the tables land with the vocabulary work.
#include "script/KwartlinConst.h"
namespace kw {
const TRozkaz CommandTable[kCommandCount] = {};
const std::string_view GroupNames[kGroupCount] = {};
const std::string_view OperatorTable[kOperatorCount] = {};
const TStala ConstantTable[kConstantCount] = {};
const TEtykietaSpec SpecialLabelTable[kSpecialLabelCount] = {};
const std::string_view ProgramVariableNames[kProgramVariableCount] = {};
const std::string_view ServiceCommandTable[kServiceCommandCount] = {};
int FindKeyword(std::string_view) { return -1; }
int FindCommandIndex(std::string_view) { return -1; }
}  // namespace kw
