// Collator: the Python type zabrelo.Collator, one loaded weight table and a
// default level. The table is loaded when the object is made and never
// changes, so one collator serves any number of threads, and the methods
// that release the GIL read it without a lock.
// Collator.cpp: making one, its attributes and the one-text methods;
// CollatorBatch.cpp: the methods over many texts.
#ifndef ZABRELO_PYTHON_COLLATOR_H
#define ZABRELO_PYTHON_COLLATOR_H

#include <Python.h>

#include "Arguments.h"
#include "Errors.h"
#include "zabrelo/zabrelo.h"

namespace zabrelo_python {

struct CollatorObject {
    PyObject_HEAD
    zabrelo_collator* collator;  // owned
    PyObject* path;  // the table as given (after os.fspath), or None for the default one
    int level;
    bool initialized;  // __init__ ran: the one call that makes the object
};

/// Creates the type; null with an exception set on failure.
PyObject* NewCollatorType();

/// A call of a method of `self` whose parameters are `parameters`, the last
/// one its level: parses the arguments (null with TypeError set when they
/// do not fit), then returns body(values, level, collator), where `values` are
/// the arguments as ParseArguments gives them and `level` the one asked
/// for, the collator's when none. An exception `body` throws becomes
/// Python's.
template <Py_ssize_t N, class Body>
PyObject* CallMethod(const Parameters& parameters, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                     PyObject* kwnames, const Body& body) {
    static_assert(N > 0, "the level is a parameter");
    const auto& collator = *reinterpret_cast<CollatorObject*>(self);
    PyObject* values[N];
    int level = 0;
    if (!ParseArguments(parameters, args, nargs, kwnames, values) || !LevelOf(values[N - 1], collator.level, level)) {
        return nullptr;
    }
    try {
        return body(values, level, static_cast<const zabrelo_collator*>(collator.collator));
    } catch (...) {
        return RaiseCurrentException();
    }
}

// The batch methods, for the method table in Collator.cpp.
PyObject* CollatorSortKeys(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* CollatorSorted(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
extern const char kSortKeysDoc[];
extern const char kSortedDoc[];

}  // namespace zabrelo_python

#endif  // ZABRELO_PYTHON_COLLATOR_H
