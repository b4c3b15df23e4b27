// The extension module zabrelo._zabrelo: the Collator type. The package
// (zabrelo/__init__.py) is what users import.
#include <Python.h>

#include "Collator.h"
#include "Ref.h"

#ifndef ZABRELO_VERSION
#error "the build passes the library's version as ZABRELO_VERSION"
#endif

namespace {

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "zabrelo._zabrelo", "Urdu collation: the compiled part of zabrelo.",
                       -1, nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__zabrelo() {
    zabrelo_python::Ref module(PyModule_Create(&kModule));
    if (!module) return nullptr;
    PyObject* const type = zabrelo_python::NewCollatorType();
    if (!type || PyModule_AddObject(module.get(), "Collator", type) < 0) {
        Py_XDECREF(type);
        return nullptr;
    }
    if (PyModule_AddStringConstant(module.get(), "__version__", ZABRELO_VERSION) < 0) return nullptr;
    return module.release();
}
