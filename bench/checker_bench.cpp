#include "bench/checker_bench.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "check/checker.h"

namespace kwbench {
namespace {

// A script of sections as people write them: each with its label, conditions and jumps,
// text and number commands, a CALLed helper, and a few mistakes among them (a missing
// label, a word as a flag, an unquoted URL) so that every stage has work to do.
std::string LongScript(std::size_t lines) {
  std::string s = ":_init\r\nMenuAdd 'auto', 'Autoresponder'\r\nSAVE $count, 1\r\nEXIT\r\n:_start\r\n";
  std::size_t section = 0;
  while (std::count(s.begin(), s.end(), '\n') < static_cast<std::ptrdiff_t>(lines) - 16) {
    const std::string n = std::to_string(section++);
    s += ":part" + n + "\r\n";
    s += "IF $_IN <> 1\r\nGOTO part" + std::to_string(section) + "\r\n";
    s += "STRPOS $at" + n + ", 'word" + n + "', $_MESSAGE\r\n";
    s += "IF $at" + n + " = 0\r\nGOTO part" + std::to_string(section) + "\r\n";
    s += "ADD $count, 1\r\nMOV $reply" + n + ", 'Answer " + n + "'\r\n";
    s += "STRCON $reply" + n + ", ' to ', $_ID\r\n";
    s += "CALL helper\r\nSEND $_ID, $reply" + n + "\r\n";
    s += section % 50 == 0 ? "GOTO nowhere" + n + "\r\n" : "MOV $_FILTR, #TRUE\r\n";
    s += section % 70 == 0 ? "SEND $_ID, http://example.pl/" + n + "\r\n" : "EXIT\r\n";
  }
  s += ":part" + std::to_string(section) + "\r\nEXIT\r\n:helper\r\nGETTIME $h, $m, $s\r\nSTRCON $log, $h\r\nRET\r\n";
  return s;
}

void CheckLongScript(benchmark::State& state, std::size_t lines) {
  const std::string script = LongScript(lines);
  for (auto _ : state) benchmark::DoNotOptimize(kwcheck::CheckScript(script));
  state.counters["lines"] = static_cast<double>(lines);
}

}  // namespace

void RegisterCheckerBenchmarks() {
  benchmark::RegisterBenchmark("check/script/lines:5000", CheckLongScript, std::size_t{5000})
      ->Unit(benchmark::kMillisecond);
}

}  // namespace kwbench
