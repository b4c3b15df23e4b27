// UnsetAllocator: for vectors of plain records that grow by resize and
// are then filled by several threads, each its own share: the new records
// are left unset rather than zeroed, so the threads are the first to touch
// their memory, rather than one thread zeroing it all beforehand. Large
// vectors ask for huge pages (PreferHugePages).
#ifndef ZABRELO_TOOL_UNSETALLOCATOR_H
#define ZABRELO_TOOL_UNSETALLOCATOR_H

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "Platform.h"

namespace zabrelo_tool {

template <class T>
struct UnsetAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UnsetAllocator<U>;
    };
    UnsetAllocator() = default;
    template <class U>
    UnsetAllocator(const UnsetAllocator<U>&) noexcept {}
    T* allocate(std::size_t count) {
        T* const items = std::allocator<T>::allocate(count);
        PreferHugePages(items, count * sizeof(T));
        return items;
    }
    template <class U>
    void construct(U* item) noexcept {
        ::new (static_cast<void*>(item)) U;
    }
    template <class U, class... Args>
    void construct(U* item, Args&&... args) {
        ::new (static_cast<void*>(item)) U(std::forward<Args>(args)...);
    }
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_UNSETALLOCATOR_H
