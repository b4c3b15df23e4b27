// UnsetAllocator: for vectors of plain records that grow by resize and
// are then filled by several threads, each its own share: the new records
// are left unset rather than zeroed, so the threads are the first to touch
// their memory, rather than one thread zeroing it all beforehand.
#ifndef ZABRELO_TOOL_UNSETALLOCATOR_H
#define ZABRELO_TOOL_UNSETALLOCATOR_H

#include <memory>
#include <new>
#include <utility>

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
