/* Export.h: the one place that knows how a symbol leaves the library.
   The shared library is built with hidden visibility; ZABRELO_API marks the
   four classes a client may touch (the object, the two exceptions it catches,
   and the reader it may use on its own) and the functions of the C interface.
   ZABRELO_BUILDING marks the compile of the library's own sources (every
   build of them sets it: src/core.list); a module that links those sources
   in, as the Python, SQLite and PostgreSQL modules do, hides the exports
   again with its linker version script. Valid C and C++: zabrelo.h
   includes it. */
#ifndef ZABRELO_EXPORT_H
#define ZABRELO_EXPORT_H

#if defined(_WIN32) && defined(ZABRELO_BUILDING)
#  define ZABRELO_API __declspec(dllexport)
#elif defined(_WIN32)
#  define ZABRELO_API __declspec(dllimport)
#else
#  define ZABRELO_API __attribute__((visibility("default")))
#endif

/* The calling convention of the C interface. On 32-bit Windows a compiler
   may default to another one (/Gz, /Gr) and other languages must be told
   which one to use, so it is stated: cdecl, the caller cleans the stack.
   Everywhere else there is only one convention. */
#if defined(_WIN32)
#  define ZABRELO_CALL __cdecl
#else
#  define ZABRELO_CALL
#endif

#endif /* ZABRELO_EXPORT_H */
