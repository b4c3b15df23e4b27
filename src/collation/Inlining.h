// Inlining: the two hints the collation's hot paths give the compiler.
// ZABRELO_ALWAYS_INLINE keeps a small step inside its caller, so the
// caller's state stays in registers; ZABRELO_RARE keeps a rare way out of
// the caller's code, so the usual path stays short. Plain `inline` and
// nothing elsewhere than GCC and clang.
#ifndef ZABRELO_COLLATION_INLINING_H
#define ZABRELO_COLLATION_INLINING_H

#if defined(__GNUC__)
#define ZABRELO_ALWAYS_INLINE inline __attribute__((always_inline))
#define ZABRELO_RARE __attribute__((noinline))
#else
#define ZABRELO_ALWAYS_INLINE inline
#define ZABRELO_RARE
#endif

#endif  // ZABRELO_COLLATION_INLINING_H
