// Arguments: vectorcall parsing, levels and str access.
#include "Arguments.h"

#include <algorithm>

namespace zabrelo_python {

bool ParseArguments(const Parameters& p, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                    PyObject** values) {
    std::fill(values, values + p.count, nullptr);
    if (nargs > p.positional) {
        PyErr_Format(PyExc_TypeError, "%s() takes at most %zd positional argument%s (%zd given)", p.function,
                     p.positional, p.positional == 1 ? "" : "s", nargs);
        return false;
    }
    std::copy(args, args + nargs, values);
    const Py_ssize_t keywords = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < keywords; ++k) {
        PyObject* const name = PyTuple_GET_ITEM(kwnames, k);
        Py_ssize_t j = 0;
        while (j < p.count && PyUnicode_CompareWithASCIIString(name, p.names[j]) != 0) ++j;
        if (j == p.count) {
            PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", p.function, name);
            return false;
        }
        if (values[j]) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", p.function, p.names[j]);
            return false;
        }
        values[j] = args[nargs + k];
    }
    for (Py_ssize_t j = 0; j < p.required; ++j) {
        if (!values[j]) {
            PyErr_Format(PyExc_TypeError, "%s() missing required argument '%s' (pos %zd)", p.function, p.names[j],
                         j + 1);
            return false;
        }
    }
    return true;
}

bool LevelOf(PyObject* value, int fallback, int& level) {
    if (!value || value == Py_None) {
        level = fallback;
        return true;
    }
    if (!PyIndex_Check(value)) {
        PyErr_Format(PyExc_TypeError, "level must be an int or None, not %.200s", Py_TYPE(value)->tp_name);
        return false;
    }
    PyObject* const index = PyNumber_Index(value);
    if (!index) return false;
    int overflow = 0;
    const long asked = PyLong_AsLongAndOverflow(index, &overflow);
    Py_DECREF(index);
    if (asked == -1 && PyErr_Occurred()) return false;
    // A level beyond any long is still just "more than 3" or "none".
    level = overflow > 0 ? 3 : overflow < 0 ? 0 : static_cast<int>(std::clamp(asked, 0L, 3L));
    return true;
}

bool TextOf(PyObject* value, const char* function, const char* what, TextRef& text) {
    if (!PyUnicode_Check(value)) {
        PyErr_Format(PyExc_TypeError, "%s() %s must be str, not %.200s", function, what, Py_TYPE(value)->tp_name);
        return false;
    }
#if PY_VERSION_HEX < 0x030C0000
    if (PyUnicode_READY(value) < 0) return false;
#endif
    text.data = PyUnicode_DATA(value);
    text.length = static_cast<std::size_t>(PyUnicode_GET_LENGTH(value));
    text.kind = static_cast<unsigned>(PyUnicode_KIND(value));
    return true;
}

}  // namespace zabrelo_python
