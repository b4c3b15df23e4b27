// Prefetch: asks for memory ahead of its use. Sorted lines and their keys
// lie all over the input; asking for them a few lines ahead lets their
// memory arrive while the lines before are compared or written.
#ifndef ZABRELO_TOOL_PREFETCH_H
#define ZABRELO_TOOL_PREFETCH_H

namespace zabrelo_tool {

inline void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_PREFETCH_H
