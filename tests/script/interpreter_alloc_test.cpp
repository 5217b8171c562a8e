// A script loop in its steady state allocates nothing per executed line: this test
// program counts every operator new and compares a short run of a loop with a long one.
// AddressSanitizer brings its own operator new, so there the count is not taken.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "script/KwartlinConst.h"
#include "script/interpreter.h"
#include "script/loader.h"
#include "script/variables.h"

#if defined(__SANITIZE_ADDRESS__)
#define KW_NO_ALLOCATION_COUNT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KW_NO_ALLOCATION_COUNT 1
#endif
#endif

#ifndef KW_NO_ALLOCATION_COUNT
namespace {
std::atomic<long long> gAllocations{0};  // operator new calls since the program started
int* volatile gProbe = nullptr;          // keeps the probe allocation from being elided

void* CountedAllocation(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return CountedAllocation(size); }
void* operator new[](std::size_t size) { return CountedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

using namespace kw;

namespace {

TEST(InterpreterSteadyState, LoopAllocatesNothingPerLine) {
#ifdef KW_NO_ALLOCATION_COUNT
  GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
#else
  const long long probe = gAllocations;
  gProbe = new int[16];
  delete[] gProbe;
  ASSERT_GT(gAllocations, probe) << "operator new is not being counted";

  const TScriptLines lines = ScriptLinesFromText(":l\nADD $i, 1\nIF $i < 1000000\nGOTO l");
  auto allocationsFor = [&](std::int64_t steps) {
    ClearVariables();
    SetVariable("$i", "0", false);
    const long long before = gAllocations;
    RunScriptBounded(lines, entryStart, TRunBounds{.Lines = steps});
    return gAllocations - before;
  };
  allocationsFor(10);  // compiles the script once
  const long long shortRun = allocationsFor(400);
  const long long longRun = allocationsFor(400'000);
  EXPECT_EQ(ResolveValue("$i"), "100000");
  EXPECT_EQ(longRun, shortRun);
  ClearVariables();
#endif
}

}  // namespace
