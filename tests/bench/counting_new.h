// Counts every allocation of the process, to show that a frame makes none. Include it in exactly
// one source file of a benchmark program: it replaces the global operator new.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

namespace vizo::bench {

inline std::atomic<long> g_allocations{0};

}  // namespace vizo::bench

void* operator new(std::size_t size) {
  ++vizo::bench::g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// These deletes pair with the new above; GCC can't see that and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
