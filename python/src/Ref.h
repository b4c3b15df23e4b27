// Ref: an owned reference to a Python object, released when the scope
// ends however it ends.
#ifndef ZABRELO_PYTHON_REF_H
#define ZABRELO_PYTHON_REF_H

#include <Python.h>

#include <memory>

namespace zabrelo_python {

struct DecRef {
    void operator()(PyObject* object) const { Py_DECREF(object); }
};
using Ref = std::unique_ptr<PyObject, DecRef>;

}  // namespace zabrelo_python

#endif  // ZABRELO_PYTHON_REF_H
