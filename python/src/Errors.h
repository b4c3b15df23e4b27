// Errors: a C++ exception as a Python one. Every entry point from Python
// catches everything and hands it here: an exception must never unwind
// through the interpreter's frames.
#ifndef ZABRELO_PYTHON_ERRORS_H
#define ZABRELO_PYTHON_ERRORS_H

#include <Python.h>

namespace zabrelo_python {

/// Sets the Python error for the exception being handled (call it only in
/// a catch block) and returns null: MemoryError for std::bad_alloc,
/// OverflowError for std::length_error, OSError for the file layer's
/// errors, RuntimeError for anything else.
PyObject* RaiseCurrentException();

}  // namespace zabrelo_python

#endif  // ZABRELO_PYTHON_ERRORS_H
