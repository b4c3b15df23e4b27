// Errors: the translation, most specific exception first.
#include "Errors.h"

#include <exception>
#include <new>
#include <stdexcept>


namespace zabrelo_python {

PyObject* RaiseCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::length_error& e) {
        PyErr_SetString(PyExc_OverflowError, e.what());
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "unknown C++ exception");
    }
    return nullptr;
}

}  // namespace zabrelo_python
