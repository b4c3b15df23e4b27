// LargeBuffer: the allocation. Huge pages take 2 MiB-aligned memory, so a
// mapping is made 2 MiB larger than asked, and what lies before the aligned
// start and after the buffer's end is given back at once.
#include "library/LargeBuffer.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zabrelo {

namespace {

#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
constexpr std::size_t kMappedFrom = 2 * kHugePage;  // below this, calloc

// The length a mapping of `bytes` takes: whole pages.
std::size_t MappedLength(std::size_t bytes) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}
#endif

}  // namespace

void* AllocateZeroed(std::size_t bytes, bool& mapped) {
    mapped = false;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes >= kMappedFrom && bytes < SIZE_MAX / 2) {
        const std::size_t length = MappedLength(bytes), reserved = length + kHugePage;
        void* const region = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (region == MAP_FAILED) throw std::bad_alloc();
        const auto first = reinterpret_cast<std::uintptr_t>(region);
        const std::uintptr_t start = (first + kHugePage - 1) & ~(kHugePage - 1);
        if (start != first) munmap(region, start - first);
        if (first + reserved != start + length) {
            munmap(reinterpret_cast<void*>(start + length), first + reserved - (start + length));
        }
        madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);  // a hint: without huge pages it still works
        mapped = true;
        return reinterpret_cast<void*>(start);
    }
#endif
    void* const memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (!memory) throw std::bad_alloc();
    return memory;
}

void Release(void* memory, std::size_t bytes, bool mapped) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (mapped) {
        munmap(memory, MappedLength(bytes));
        return;
    }
#else
    (void)bytes;
    (void)mapped;
#endif
    std::free(memory);
}

}  // namespace zabrelo
