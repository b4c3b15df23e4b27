// Export.h: the one place that knows how a symbol leaves the library.
// The shared library is built with hidden visibility; ZABRELO_API marks the
// four classes a client may touch (the object, the two exceptions it catches,
// and the reader it may use on its own).
#ifndef ZABRELO_EXPORT_H
#define ZABRELO_EXPORT_H

#if defined(ZABRELO_STATIC)
#  define ZABRELO_API
#elif defined(_WIN32) && defined(ZABRELO_BUILDING)
#  define ZABRELO_API __declspec(dllexport)
#elif defined(_WIN32)
#  define ZABRELO_API __declspec(dllimport)
#else
#  define ZABRELO_API __attribute__((visibility("default")))
#endif

#endif  // ZABRELO_EXPORT_H
