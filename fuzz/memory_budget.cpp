// The budget behind MemoryBudgetScope: replaces the global operator new and delete of
// the fuzz target. Every block carries a small header with its size and whether it was
// counted, so blocks made outside a scope and freed inside it (or the other way round)
// keep the count right. The blocks still come from malloc, so AddressSanitizer still
// guards their ends; only the header before each block is unguarded.
#include "memory_budget.h"

#include <cstdlib>
#include <new>

namespace kwfuzz {
namespace {

struct alignas(16) Header {
  std::size_t size;  // bytes asked for
  bool counted;      // made inside a scope, so part of live
};

bool armed = false;     // a scope is open
std::size_t live = 0;   // bytes of counted blocks not yet freed

void* Allocate(std::size_t n) noexcept {
  if (armed && (n > kMaxBlock || live + n > kMaxLive)) return nullptr;
  void* raw = std::malloc(sizeof(Header) + n);
  if (raw == nullptr) return nullptr;
  auto* h = static_cast<Header*>(raw);
  h->size = n;
  h->counted = armed;
  if (armed) live += n;
  return h + 1;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  Header* h = static_cast<Header*>(p) - 1;
  if (h->counted) live -= h->size;
  std::free(h);
}

}  // namespace

MemoryBudgetScope::MemoryBudgetScope() { armed = true; }
MemoryBudgetScope::~MemoryBudgetScope() { armed = false; }

}  // namespace kwfuzz

void* operator new(std::size_t n) {
  void* p = kwfuzz::Allocate(n);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t n) {
  void* p = kwfuzz::Allocate(n);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return kwfuzz::Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return kwfuzz::Allocate(n); }
void operator delete(void* p) noexcept { kwfuzz::Release(p); }
void operator delete[](void* p) noexcept { kwfuzz::Release(p); }
void operator delete(void* p, std::size_t) noexcept { kwfuzz::Release(p); }
void operator delete[](void* p, std::size_t) noexcept { kwfuzz::Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { kwfuzz::Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { kwfuzz::Release(p); }
