// Arguments: what the methods' arguments are. The per-text methods are
// called once per text from sorted() and pandas, so they take arguments the
// vectorcall way, without building a tuple or a dict; the parsing here
// follows Python's own rules and messages for positional and keyword
// arguments.
#ifndef ZABRELO_PYTHON_ARGUMENTS_H
#define ZABRELO_PYTHON_ARGUMENTS_H

#include <Python.h>

#include "TextUnits.h"

namespace zabrelo_python {

struct Parameters {
    const char* function;      // for messages: "sort_key"
    const char* const* names;  // every parameter, in order
    Py_ssize_t count;
    Py_ssize_t positional;     // the first this many may come by position
    Py_ssize_t required;       // the first this many must come
};

/// Fills values[0 .. count) from a vectorcall's arguments, null where a
/// parameter was not given (borrowed references). False with TypeError
/// set for too many positional arguments, an unknown or repeated keyword,
/// or a missing required argument.
bool ParseArguments(const Parameters& parameters, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                    PyObject** values);

/// The level `value` asks for: `fallback` when it is null or None, else an
/// int (or anything with __index__) taken as the library takes levels:
/// 0 and below give empty keys, above 3 counts as 3. False with TypeError
/// set for anything else.
bool LevelOf(PyObject* value, int fallback, int& level);

/// A TextRef to the characters of `value`, which must be a str (TypeError
/// naming `function` and `what` otherwise). The str must outlive every use.
bool TextOf(PyObject* value, const char* function, const char* what, TextRef& text);

}  // namespace zabrelo_python

#endif  // ZABRELO_PYTHON_ARGUMENTS_H
