#include "toolpath/huge_pages.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tbx::toolpath {

// Under the address sanitizer every block comes from the heap, where it watches the bounds.
#if defined(__SANITIZE_ADDRESS__)
#define TBX_HEAP_ONLY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TBX_HEAP_ONLY 1
#endif
#endif

#if defined(__linux__) && defined(MADV_HUGEPAGE) && !defined(TBX_HEAP_ONLY)
namespace {
constexpr std::size_t kHuge = std::size_t{2} << 20;
constexpr std::size_t kLarge = std::size_t{256} << 10;
std::size_t RoundedUp(std::size_t bytes) { return (bytes + kHuge - 1) & ~(kHuge - 1); }
}  // namespace

void* AllocateLarge(std::size_t bytes) {
  if (bytes < kLarge) return ::operator new(bytes);
  const std::size_t size = RoundedUp(bytes);
  // One huge page more than needed, so that a 2 MB boundary lies within; the rest goes back.
  void* mapped = mmap(nullptr, size + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (begin + kHuge - 1) & ~(kHuge - 1);
  if (aligned > begin) munmap(mapped, aligned - begin);
  const std::uintptr_t tail = aligned + size;
  if (begin + size + kHuge > tail) munmap(reinterpret_cast<void*>(tail), begin + size + kHuge - tail);
  madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void FreeLarge(void* block, std::size_t bytes) {
  if (bytes < kLarge) {
    ::operator delete(block);
    return;
  }
  munmap(block, RoundedUp(bytes));
}
#else
void* AllocateLarge(std::size_t bytes) { return ::operator new(bytes); }
void FreeLarge(void* block, std::size_t) { ::operator delete(block); }
#endif

}  // namespace tbx::toolpath
