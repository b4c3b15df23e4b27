// ReleasedGil: the GIL let go for the life of a scope, and taken back
// however the scope ends, an exception included, so the exception can then
// be turned into a Python error. Code inside must not touch Python objects.
#ifndef ZABRELO_PYTHON_GIL_H
#define ZABRELO_PYTHON_GIL_H

#include <Python.h>

namespace zabrelo_python {

class ReleasedGil {
public:
    ReleasedGil() : state_(PyEval_SaveThread()) {}
    ~ReleasedGil() { PyEval_RestoreThread(state_); }
    ReleasedGil(const ReleasedGil&) = delete;
    ReleasedGil& operator=(const ReleasedGil&) = delete;

private:
    PyThreadState* state_;
};

}  // namespace zabrelo_python

#endif  // ZABRELO_PYTHON_GIL_H
