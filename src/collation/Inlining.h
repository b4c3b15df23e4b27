// Inlining: the hints the collation's hot paths give the compiler.
// ZABRELO_ALWAYS_INLINE keeps a small step inside its caller, so the
// caller's state stays in registers; ZABRELO_RARE keeps a rare way out of
// the caller's code, so the usual path stays short; ZABRELO_LIKELY(c) lays
// the code out for `c` being true. Plain `inline`, nothing and `c`
// elsewhere than GCC and clang.
#ifndef ZABRELO_COLLATION_INLINING_H
#define ZABRELO_COLLATION_INLINING_H

#if defined(__GNUC__)
#define ZABRELO_ALWAYS_INLINE inline __attribute__((always_inline))
#define ZABRELO_RARE __attribute__((noinline))
#define ZABRELO_LIKELY(c) __builtin_expect(static_cast<bool>(c), 1)
#define ZABRELO_UNLIKELY(c) __builtin_expect(static_cast<bool>(c), 0)
#else
#define ZABRELO_ALWAYS_INLINE inline
#define ZABRELO_RARE
#define ZABRELO_LIKELY(c) (c)
#define ZABRELO_UNLIKELY(c) (c)
#endif

#endif  // ZABRELO_COLLATION_INLINING_H
