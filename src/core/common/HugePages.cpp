#include "core/common/HugePages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace tervil {

void AdviseHugePages([[maybe_unused]] const void* data, [[maybe_unused]] std::size_t size) {
#if defined(MADV_HUGEPAGE)
  constexpr std::size_t kHugePage = 2u << 20;
  if (size < 4 * kHugePage) return;
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + page - 1) & ~(page - 1);
  const std::uintptr_t end = (begin + size) & ~(page - 1);
  ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
}

void ReturnFreedMemory() {
#if defined(__GLIBC__)
  ::malloc_trim(0);
#endif
}

}  // namespace tervil
