// Replaces the global operator new and delete of the test binary with versions that count per thread.
#include "tests/win/allocation_counter.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace quelvar::testing {
namespace {

thread_local std::int64_t g_liveBytes = 0;
// Room in front of each block for its size, kept at the largest fundamental alignment.
constexpr std::size_t kPrefix = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
  void* block = std::malloc(size + kPrefix);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  g_liveBytes += static_cast<std::int64_t>(size);
  return static_cast<char*>(block) + kPrefix;
}

void Free(void* pointer) {
  if (pointer == nullptr) return;
  void* block = static_cast<char*>(pointer) - kPrefix;
  g_liveBytes -= static_cast<std::int64_t>(*static_cast<std::size_t*>(block));
  std::free(block);
}

}  // namespace

std::int64_t LiveBytesOnThisThread() { return g_liveBytes; }

}  // namespace quelvar::testing

void* operator new(std::size_t size) { return quelvar::testing::Allocate(size); }
void* operator new[](std::size_t size) { return quelvar::testing::Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return quelvar::testing::Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }
void operator delete(void* pointer) noexcept { quelvar::testing::Free(pointer); }
void operator delete[](void* pointer) noexcept { quelvar::testing::Free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { quelvar::testing::Free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { quelvar::testing::Free(pointer); }
