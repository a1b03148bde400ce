#pragma once
// Storage for the move list and a long program's text. They fill megabytes, and on a virtual
// machine faulting them in one small page at a time costs more than the expansion that fills
// them; a block of 256 KB or more is therefore placed on 2 MB boundaries and asks for huge
// pages, where the system gives them on request. Smaller blocks come from the usual heap.
#include <cstddef>

namespace tbx::toolpath {

void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* block, std::size_t bytes);

template <class T>
struct HugePageAllocator {
  using value_type = T;
  HugePageAllocator() = default;
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) { FreeLarge(p, n * sizeof(T)); }
  friend bool operator==(const HugePageAllocator&, const HugePageAllocator&) { return true; }
};

}  // namespace tbx::toolpath
