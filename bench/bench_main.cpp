// The benchmarks: each workload on the plugin's engine ("kwartlin") and on the plain
// reference engine ("reference") in one run, plus the counting loop in Lua 5.4 as an
// outside anchor. Before anything is timed, both engines run every workload (smaller
// sizes) and must leave the same variables and hand back the same messages: a ratio
// between engines that disagree would mean nothing. bench/compare turns the JSON output
// into the table of ratios.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <lua.hpp>

#include "bench/alloc_count.h"
#include "bench/checker_bench.h"
#include "bench/reference.h"
#include "bench/settings_bench.h"
#include "bench/workloads.h"
#include "host/bridge.h"
#include "host/data_files.h"
#include "host/globals.h"
#include "host/plugin_script_host.h"
#include "script/KwartlinConst.h"
#include "script/compiled.h"
#include "script/interpreter.h"
#include "script/spam.h"
#include "script/spam_matcher.h"
#include "script/variables.h"
#include "tools/testhost/test_host.h"

namespace kwbench {
namespace {

namespace fs = std::filesystem;

// One engine as the benchmarks drive it.
struct Engine {
  const char* Name;                                       // in benchmark names
  void (*Run)(const kw::TScriptLines&, int);              // RunScript
  void (*Clear)();                                        // ClearVariables
  std::string (*Resolve)(std::string_view);               // ResolveValue
  kw::MessageHookFn Hook;                                 // the message hook
  std::vector<kw::TZmienna> (*Snapshot)();                // the variable table, in order
};

std::vector<kw::TZmienna> PluginVariables() { return {kw::VariableTable.begin(), kw::VariableTable.end()}; }
std::vector<kw::TZmienna> ReferenceVariables() { return kwref::Variables; }

const Engine kPlugin{"kwartlin", kw::RunScript, kw::ClearVariables, kw::ResolveValue,
                     kw::MessageHook, PluginVariables};
const Engine kReference{"reference", kwref::RunScript, kwref::ClearVariables, kwref::ResolveValue,
                        kwref::MessageHook, ReferenceVariables};
const Engine* const kEngines[] = {&kPlugin, &kReference};

fs::path scratch;                  // files for the load benchmarks

const std::string kContact = "kasia@tlen.pl";
const std::string kProtocol = "TLEN";

const std::vector<std::string>& Rules(std::size_t count) {
  static std::map<std::size_t, std::vector<std::string>> made;
  auto it = made.find(count);
  if (it == made.end()) it = made.emplace(count, SpamRules(count)).first;
  return it->second;
}

// The two message texts a benchmark alternates (so the filter's repeat check stays calm).
std::pair<std::string, std::string> MessagePair(std::size_t bytes) {
  std::string a = MessageText(bytes);
  std::string b = a;
  if (!b.empty()) b.back() = b.back() == '.' ? '!' : '.';
  return {a, b};
}

void SetUpFilter(const Engine& e, std::size_t rules) {
  kw::ScriptLines = FilterScript();
  kw::SpamList = Rules(rules);
  e.Clear();
  e.Run(kw::ScriptLines, kw::entryInit);
}

void WriteFile(const fs::path& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

// ---- agreement of the engines --------------------------------------------------------

bool SameTables(const char* what) {
  auto clock = [](const kw::TZmienna& v) { return v.Name == "$GODZ" || v.Name == "$MIN" || v.Name == "$SEK"; };
  std::vector<kw::TZmienna> a = kPlugin.Snapshot(), b = kReference.Snapshot();
  std::erase_if(a, clock);
  std::erase_if(b, clock);
  for (std::size_t i = 0; i < a.size() || i < b.size(); ++i) {
    const kw::TZmienna none{"(none)", "", false};
    const kw::TZmienna& x = i < a.size() ? a[i] : none;
    const kw::TZmienna& y = i < b.size() ? b[i] : none;
    if (x.Name != y.Name || x.Value != y.Value || x.Save != y.Save) {
      std::fprintf(stderr, "verify: the engines disagree on %s at variable %zu: %s=[%.60s] against %s=[%.60s]\n",
                   what, i, x.Name.c_str(), x.Value.c_str(), y.Name.c_str(), y.Value.c_str());
      return false;
    }
  }
  return true;
}

bool AgreeOnScript(const char* what, const kw::TScriptLines& lines) {
  for (const Engine* e : kEngines) {
    e->Clear();
    e->Run(lines, kw::entryStart);
  }
  return SameTables(what);
}

bool AgreeOnMessages() {
  const std::vector<std::string>& rules = Rules(1000);
  std::string spam;
  for (const auto& word : kw::ParseSpamRule(rules[7])) spam += word.front() + " ";
  const auto [plain, plain2] = MessagePair(1000);
  struct Delivery {
    std::string Text;
    std::int32_t Code;
  };
  const std::vector<Delivery> deliveries = {
      {plain, 1}, {plain2, 1}, {plain, 1}, {plain, 1}, {plain, 1}, {plain, 1}, {plain, 1},
      {"Ty cholera jedna, kurde, cholera!", 1}, {"HALO CZY KTOŚ TU JEST", 1}, {spam, 1},
      {"ping", 1}, {"x", 1}, {"wysłane", 5}, {MessageText(64'000), 1},
      {"wejdź na www.example.com", 1},
  };
  std::vector<std::pair<std::int32_t, std::string>> results[2];
  for (int k = 0; k < 2; ++k) {
    SetUpFilter(*kEngines[k], 1000);
    for (const Delivery& d : deliveries) {
      const kwtest::Delivery got = kwtest::TestHost::DeliverTo(kEngines[k]->Hook, kProtocol, kContact, d.Text, d.Code);
      results[k].emplace_back(got.Result, got.Text);
    }
  }
  bool same = SameTables("the message filter");
  if (results[0] != results[1]) {
    std::fprintf(stderr, "verify: the engines hand back different messages\n");
    same = false;
  }
  // The filter must have seen spam, a censored word and a clean message.
  if (results[0][0].first != 0 || results[0][9].first != -1 || results[0][7].second.find("***") == std::string::npos) {
    std::fprintf(stderr, "verify: the filter does not do what the benchmark assumes\n");
    same = false;
  }
  return same;
}

bool EnginesAgree() {
  const bool ok = AgreeOnScript("the loop", LoopScript(2000)) && AgreeOnScript("the text loop", TextScript(300)) &&
                  AgreeOnScript("the variables", VarsScript(800)) && AgreeOnMessages();
  kw::ClearVariables();
  kwref::ClearVariables();
  return ok;
}

// ---- benchmarks ------------------------------------------------------------------------

void Loop(benchmark::State& state, const Engine* e) {
  const kw::TScriptLines lines = LoopScript();
  e->Clear();
  e->Run(lines, kw::entryStart);  // compiles, creates $i: the steady state starts after
  long long allocations = 0;
  for (auto _ : state) {
    const long long before = AllocationCount();
    e->Run(lines, kw::entryStart);
    allocations += AllocationCount() - before;
  }
  if (e->Resolve("$i") != std::to_string(kLoopCount)) state.SkipWithError("wrong result");
  const double runs = static_cast<double>(state.iterations());
  state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(kLoopLines), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["allocs_per_run"] = static_cast<double>(allocations) / runs;
  state.counters["allocs_per_line"] = static_cast<double>(allocations) / (runs * static_cast<double>(kLoopLines));
}

// The loop in Lua 5.4, compiled once into a state of its own.
class LuaLoop {
 public:
  LuaLoop() : L_(luaL_newstate()) {
    luaL_openlibs(L_);
    const std::string code = "i = 0\n::l::\ni = i + 1\nif i < " + std::to_string(kLoopCount) + " then goto l end\n";
    if (luaL_loadstring(L_, code.c_str()) == LUA_OK) chunk_ = luaL_ref(L_, LUA_REGISTRYINDEX);
  }
  ~LuaLoop() { lua_close(L_); }
  LuaLoop(const LuaLoop&) = delete;
  LuaLoop& operator=(const LuaLoop&) = delete;
  bool Compiled() const { return chunk_ != LUA_NOREF; }
  void Run() const {
    lua_rawgeti(L_, LUA_REGISTRYINDEX, chunk_);
    lua_pcallk(L_, 0, 0, 0, 0, nullptr);
  }
  bool Right() const {
    lua_getglobal(L_, "i");
    const bool right = lua_tointegerx(L_, -1, nullptr) == kLoopCount;
    lua_pop(L_, 1);
    return right;
  }

 private:
  lua_State* L_;
  int chunk_ = LUA_NOREF;
};

void LoopLua(benchmark::State& state) {
  const LuaLoop lua;
  if (!lua.Compiled()) {
    state.SkipWithError("Lua did not compile the loop");
    return;
  }
  for (auto _ : state) lua.Run();
  if (!lua.Right()) state.SkipWithError("wrong result");
  state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(kLoopLines), benchmark::Counter::kIsIterationInvariantRate);
}

void Text(benchmark::State& state, const Engine* e) {
  const kw::TScriptLines lines = TextScript();
  e->Clear();
  e->Run(lines, kw::entryStart);
  for (auto _ : state) e->Run(lines, kw::entryStart);
  if (e->Resolve("$n") != std::to_string(kTextRounds)) state.SkipWithError("wrong result");
}

void Vars(benchmark::State& state, const Engine* e) {
  const kw::TScriptLines lines = VarsScript();
  e->Run(lines, kw::entryStart);
  for (auto _ : state) {
    e->Clear();
    e->Run(lines, kw::entryStart);
  }
  const long long sum = static_cast<long long>(kVariableCount) * (kVariableCount - 1) / 2;
  if (e->Resolve("$sum") != std::to_string(sum)) state.SkipWithError("wrong result");
}

void Message(benchmark::State& state, const Engine* e, std::size_t rules, std::size_t bytes) {
  SetUpFilter(*e, rules);
  const auto [a, b] = MessagePair(bytes);
  std::int32_t blocked = kwtest::TestHost::DeliverTo(e->Hook, kProtocol, kContact, a).Result;  // warm
  bool odd = false;
  for (auto _ : state) {
    odd = !odd;
    blocked |= kwtest::TestHost::DeliverTo(e->Hook, kProtocol, kContact, odd ? b : a).Result;
  }
  if (blocked != 0) state.SkipWithError("a benchmark message was blocked");
  state.counters["rules"] = static_cast<double>(rules);
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["variables"] = static_cast<double>(e->Snapshot().size());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

void LoadScript(benchmark::State& state, std::size_t lines) {
  const fs::path file = scratch / ("script" + std::to_string(lines) + ".dat");
  WriteFile(file, ScriptFileText(lines));
  kw::ScriptPath = file.string();
  for (auto _ : state) kw::ReloadScript(false);
  if (kw::ScriptLines.size() != lines) state.SkipWithError("wrong line count");
  state.counters["lines"] = static_cast<double>(lines);
  kw::ScriptLines.clear();
}

void CompileLines(benchmark::State& state, std::size_t lines) {
  const kw::TScriptLines script = Lines(ScriptFileText(lines));
  for (auto _ : state) benchmark::DoNotOptimize(kw::CompileScript(script));
  state.counters["lines"] = static_cast<double>(lines);
}

void LoadSpam(benchmark::State& state, void (*load)(), std::size_t rules) {
  const fs::path file = scratch / ("spam" + std::to_string(rules) + ".spm");
  WriteFile(file, SpamFileText(rules));
  kw::SpamListPath = file.string();
  for (auto _ : state) load();
  if (kw::SpamList.size() != rules) state.SkipWithError("wrong rule count");
  state.counters["rules"] = static_cast<double>(rules);
  kw::SpamList.clear();
}

// The settings file with one saved value of `mib` MiB: a save, and a load of it.
void SettingsSave(benchmark::State& state, std::size_t mib) {
  const TSettingsBenchFile file(mib << 20);
  for (auto _ : state)
    if (!file.Save()) state.SkipWithError("the save failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(mib << 20));
}

void SettingsLoad(benchmark::State& state, std::size_t mib) {
  const TSettingsBenchFile file(mib << 20);
  if (!file.Save()) state.SkipWithError("the save failed");
  for (auto _ : state) benchmark::DoNotOptimize(file.Load());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(mib << 20));
}

void Register() {
  kwbench::RegisterCheckerBenchmarks();
  for (const Engine* e : kEngines) {
    const std::string n = e->Name;
    benchmark::RegisterBenchmark(("loop/" + n).c_str(), Loop, e)->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("loop/lua", LoopLua)->Unit(benchmark::kMillisecond);
  for (const Engine* e : kEngines) {
    const std::string n = e->Name;
    benchmark::RegisterBenchmark(("text/" + n).c_str(), Text, e)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("vars/" + n).c_str(), Vars, e)->Unit(benchmark::kMillisecond);
  }
  for (std::size_t rules : {100, 1000, 10000})
    for (std::size_t bytes : {64, 1000, 64000})
      for (const Engine* e : kEngines) {
        const std::string name = std::string("message/") + e->Name + "/rules:" + std::to_string(rules) +
                                 "/bytes:" + std::to_string(bytes);
        benchmark::RegisterBenchmark(name.c_str(), Message, e, rules, bytes)->Unit(benchmark::kMicrosecond);
      }
  for (const std::size_t mib : {1, 4, 16}) {
    benchmark::RegisterBenchmark(("settings/save/MiB:" + std::to_string(mib)).c_str(), SettingsSave, mib)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("settings/load/MiB:" + std::to_string(mib)).c_str(), SettingsLoad, mib)
        ->Unit(benchmark::kMillisecond);
  }
  for (std::size_t lines : {10000, 100000}) {
    benchmark::RegisterBenchmark(("load/script/lines:" + std::to_string(lines)).c_str(), LoadScript, lines)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("load/compile/lines:" + std::to_string(lines)).c_str(), CompileLines, lines)
        ->Unit(benchmark::kMillisecond);
  }
  for (std::size_t rules : {10000, 100000}) {
    benchmark::RegisterBenchmark(("load/spam/kwartlin/rules:" + std::to_string(rules)).c_str(), LoadSpam,
                                 kw::LoadSpamList, rules)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("load/spam/reference/rules:" + std::to_string(rules)).c_str(), LoadSpam,
                                 kwref::LoadSpamList, rules)->Unit(benchmark::kMillisecond);
  }
}

// --kw_profile=ENGINE:RULES:BYTES:COUNT: the message benchmark's setup, then COUNT
// deliveries inside ProfiledDeliveries and nothing else, for callgrind to count
// (bench/callgrind-message toggles collection on that function).
// --kw_profile=load:KIND:SIZE: one load of the load benchmark (KIND script, compile or
// spam; SIZE lines or rules) inside ProfiledLoad, after one untimed load of the same.
// --kw_profile=loop:ENGINE:COUNT: COUNT runs of the loop benchmark inside ProfiledLoops
// (ENGINE lua: the same loop in Lua, inside ProfiledLoopsLua).
bool ProfileRequest(int& argc, char** argv, std::string& request) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--kw_profile=", 0) != 0) continue;
    request = arg.substr(13);
    for (int k = i; k + 1 < argc; ++k) argv[k] = argv[k + 1];
    --argc;
    return true;
  }
  return false;
}

}  // namespace

[[gnu::noinline]] std::int32_t ProfiledDeliveries(const Engine* e, const std::string& a, const std::string& b,
                                                   long count) {
  std::int32_t blocked = 0;
  for (long i = 0; i < count; ++i)
    blocked |= kwtest::TestHost::DeliverTo(e->Hook, kProtocol, kContact, i % 2 ? b : a).Result;
  return blocked;
}

[[gnu::noinline]] void ProfiledLoad(void (*load)()) { load(); }

[[gnu::noinline]] void ProfiledLoops(const Engine* e, const kw::TScriptLines& lines, long count) {
  for (long i = 0; i < count; ++i) e->Run(lines, kw::entryStart);
}

[[gnu::noinline]] void ProfiledLoopsLua(const LuaLoop& lua, long count) {
  for (long i = 0; i < count; ++i) lua.Run();
}

int ProfileLuaLoop(long count) {
  const LuaLoop lua;
  if (!lua.Compiled()) return 1;
  lua.Run();
  ProfiledLoopsLua(lua, count);
  const bool right = lua.Right();
  std::printf("loop lua runs=%ld lines=%ld %s\n", count, kLoopLines, right ? "right" : "wrong");
  return right ? 0 : 1;
}

// The loop benchmark's script, run once uncounted (compiled, $i created), then COUNT
// times inside ProfiledLoops.
int ProfileLoop(const Engine* e, long count) {
  const kw::TScriptLines lines = LoopScript();
  e->Clear();
  e->Run(lines, kw::entryStart);
  ProfiledLoops(e, lines, count);
  const bool right = e->Resolve("$i") == std::to_string(kLoopCount);
  std::printf("loop %s runs=%ld lines=%ld %s\n", e->Name, count, kLoopLines, right ? "right" : "wrong");
  return right ? 0 : 1;
}

int ProfileLoad(const std::string& kind, unsigned long size) {
  static kw::TScriptLines script;  // what "compile" compiles
  void (*load)() = nullptr;
  if (kind == "script") {
    WriteFile(scratch / "profile.dat", ScriptFileText(size));
    kw::ScriptPath = (scratch / "profile.dat").string();
    load = [] { kw::ReloadScript(false); };
  } else if (kind == "compile") {
    script = Lines(ScriptFileText(size));
    load = [] { benchmark::DoNotOptimize(kw::CompileScript(script)); };
  } else if (kind == "spam") {
    WriteFile(scratch / "profile.spm", SpamFileText(size));
    kw::SpamListPath = (scratch / "profile.spm").string();
    load = [] { kw::LoadSpamList(); };
  } else {
    return 2;
  }
  load();  // the first load pays for the allocator's first growth, as no later one does
  ProfiledLoad(load);
  const std::size_t got = kind == "spam" ? kw::SpamList.size() : kind == "script" ? kw::ScriptLines.size() : script.size();
  std::printf("load %s size=%lu loaded=%zu\n", kind.c_str(), size, got);
  kw::ScriptLines.clear();
  kw::SpamList.clear();
  return got == size ? 0 : 1;
}

int Profile(const std::string& request) {
  char kind[32] = {};
  unsigned long size = 0;
  if (std::sscanf(request.c_str(), "load:%31[a-z]:%lu", kind, &size) == 2) return ProfileLoad(kind, size);
  char engine[32] = {};
  long count = 0;
  if (std::sscanf(request.c_str(), "loop:%31[a-z]:%ld", engine, &count) == 2) {
    if (std::string(engine) == "lua") return ProfileLuaLoop(count);
    return ProfileLoop(std::string(engine) == kReference.Name ? &kReference : &kPlugin, count);
  }
  unsigned long rules = 0, bytes = 0;
  if (std::sscanf(request.c_str(), "%31[a-z]:%lu:%lu:%ld", engine, &rules, &bytes, &count) != 4) return 2;
  const Engine* e = std::string(engine) == kReference.Name ? &kReference : &kPlugin;
  SetUpFilter(*e, rules);
  const auto [a, b] = MessagePair(bytes);
  if (e == &kPlugin) {  // warm (outside the counted function): script and rules compiled
    kwtest::TestHost::DeliverTo(e->Hook, kProtocol, kContact, a);
    kwtest::TestHost::DeliverTo(e->Hook, kProtocol, kContact, b);
  }
  const std::int32_t blocked = ProfiledDeliveries(e, a, b, count);
  std::printf("%s rules=%lu bytes=%lu messages=%ld blocked=%d\n", e->Name, rules, bytes, count, blocked);
  return 0;
}

}  // namespace kwbench

int main(int argc, char** argv) {
  std::string profile;
  const bool profiling = kwbench::ProfileRequest(argc, argv, profile);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  kwtest::TestHost testHost;  // the messenger every benchmark talks to
  kw::PluginLink = testHost.Link();
  kw::InstallPluginScriptHost();
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  kwbench::scratch = std::filesystem::temp_directory_path() / ("kwartlin-bench-" + std::to_string(stamp));
  std::filesystem::create_directories(kwbench::scratch);
  int rc = 0;
  if (profiling) {
    rc = kwbench::Profile(profile);
  } else if (!kwbench::EnginesAgree()) {
    rc = 1;
  } else {
    std::fprintf(stderr, "verify: both engines agree on every workload\n");
    kwbench::Register();
    benchmark::RunSpecifiedBenchmarks();
  }
  benchmark::Shutdown();
  kw::PluginLink = nullptr;
  std::error_code ec;
  std::filesystem::remove_all(kwbench::scratch, ec);
  return rc;
}
