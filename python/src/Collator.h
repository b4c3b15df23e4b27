// Collator: the Python type zabrelo.Collator, one loaded weight table and a
// default level. The table is loaded when the object is made and never
// changes, so one collator serves any number of threads, and the methods
// that release the GIL read it without a lock.
// Collator.cpp: making one, its attributes and the one-text methods;
// CollatorBatch.cpp: the methods over many texts.
#ifndef ZABRELO_PYTHON_COLLATOR_H
#define ZABRELO_PYTHON_COLLATOR_H

#include <Python.h>

#include <memory>

#include "collation/CollationTable.h"

namespace zabrelo_python {

struct CollatorObject {
    PyObject_HEAD
    std::shared_ptr<const zabrelo::CollationTable> table;
    PyObject* path;  // the table as given (after os.fspath), or None for the bundled one
    int level;
};

/// Creates the type; null with an exception set on failure.
PyObject* NewCollatorType();

/// Sets the path that Collator(table=None) loads.
PyObject* SetBundledTable(PyObject* module, PyObject* path);

// The batch methods, for the method table in Collator.cpp.
PyObject* CollatorSortKeys(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* CollatorSorted(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
extern const char kSortKeysDoc[];
extern const char kSortedDoc[];

}  // namespace zabrelo_python

#endif  // ZABRELO_PYTHON_COLLATOR_H
