// Collator: making one (the table's load and its errors), its repr, pickling
// and attributes, and the methods on one or two texts, sort_key and compare.
// These two are called once per text, so they take their arguments the
// vectorcall way and allocate nothing but the result.
#include "Collator.h"

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "Arguments.h"
#include "Errors.h"
#include "Gil.h"
#include "Ref.h"
#include "TextUnits.h"

namespace zabrelo_python {

namespace {

// The levels a collator orders by; a level above counts as this one.
constexpr int kMaxLevel = 3;

// Keys of texts longer than this are built with the GIL released, so that
// other threads run meanwhile.
constexpr std::size_t kReleaseGilUnits = std::size_t{1} << 16;

// The key of a text of up to 512 units fits here (at most two prepared
// units per unit, one byte each per level): written once, then copied into
// the bytes object. A longer key is written straight into the bytes object
// once its length is known.
constexpr std::size_t kStackKeyBytes = kMaxLevel * 2 * 512;

// What went wrong, without the file's name the library's message starts
// with: Python's message names the path as the caller gave it.
const char* Reason(const zabrelo_open_detail& detail) {
    const std::size_t named = std::strlen(detail.file);
    if (named != 0 && std::strncmp(detail.message, detail.file, named) == 0 &&
        std::strncmp(detail.message + named, ": ", 2) == 0) {
        return detail.message + named + 2;
    }
    return detail.message;
}

// Refuses `path` (str or bytes) the way Python's open() would, with the
// system's reason and the path: FileNotFoundError, IsADirectoryError,
// PermissionError. What is neither a regular file nor a folder (a FIFO,
// whose open() would wait for a writer) is refused from its status alone.
// True when nothing is wrong with it.
bool CheckOpens(PyObject* path) {
    const Ref os(PyImport_ImportModule("os"));
    const Ref stat(os ? PyImport_ImportModule("stat") : nullptr);
    if (!stat) return false;
    const Ref status(PyObject_CallMethod(os.get(), "stat", "O", path));
    if (!status) return false;
    const Ref mode(PyObject_GetAttrString(status.get(), "st_mode"));
    const Ref regular(mode ? PyObject_CallMethod(stat.get(), "S_ISREG", "O", mode.get()) : nullptr);
    const Ref folder(mode ? PyObject_CallMethod(stat.get(), "S_ISDIR", "O", mode.get()) : nullptr);
    if (!regular || !folder) return false;
    if (regular.get() != Py_True && folder.get() != Py_True) {
        PyErr_Format(PyExc_OSError, "%R is not a regular file (a FIFO, a device or a socket)", path);
        return false;
    }
    const Ref io(PyImport_ImportModule("io"));
    if (!io) return false;
    const Ref file(PyObject_CallMethod(io.get(), "open", "Os", path, "rb"));
    if (!file) return false;
    const Ref closed(PyObject_CallMethod(file.get(), "close", nullptr));
    return static_cast<bool>(closed);
}

// Loads the table at `path` (str or bytes), or with `path` None the default
// table the C interface finds ($ZABRELO_TABLE, else the one bundled beside
// this module), with `options`. A file given is checked with Python's open()
// first, so that its errors are Python's own; so is a default that cannot
// be opened, once the C interface has said which file it chose.
bool LoadTable(PyObject* path, unsigned options, zabrelo_collator*& collator) {
    Ref name;
    if (path != Py_None) {
        if (!CheckOpens(path)) return false;
        PyObject* encoded = nullptr;
        if (!PyUnicode_FSConverter(path, &encoded)) return false;
        name.reset(encoded);
    }
    const std::unique_ptr<zabrelo_open_detail> detail(new zabrelo_open_detail());
    const zabrelo_status opened = zabrelo_open_ex(name ? PyBytes_AS_STRING(name.get()) : nullptr, options, &collator,
                                                  detail.get(), nullptr, nullptr);
    if (opened == ZABRELO_OK) return true;
    if (opened == ZABRELO_OUT_OF_MEMORY) throw std::bad_alloc();
    Ref chosen;
    if (path != Py_None) {
        Py_INCREF(path);
        chosen.reset(path);
    } else if (detail->file[0] != '\0') {
        chosen.reset(PyUnicode_DecodeFSDefault(detail->file));
        if (!chosen) return false;
    }
    if (opened == ZABRELO_CANNOT_OPEN) {
        if (!chosen) {
            PyErr_Format(PyExc_FileNotFoundError, "%s", detail->message);
            return false;
        }
        // The file went away or turned unreadable since the check above;
        // or it is the default, checked only now.
        if (path == Py_None && !CheckOpens(chosen.get())) return false;
        PyErr_Format(PyExc_OSError, "%R: %s", chosen.get(), Reason(*detail));
        return false;
    }
    if (opened == ZABRELO_NOT_A_TABLE && detail->line > 0) {
        PyErr_Format(PyExc_ValueError, "%R is not a usable weight table: no header, or a line without a weight field",
                     chosen ? chosen.get() : Py_None);
        return false;
    }
    PyErr_Format(PyExc_ValueError, "%R is not a usable weight table: %s", chosen ? chosen.get() : Py_None,
                 Reason(*detail));
    return false;
}

PyObject* CollatorNew(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static const char* keywords[] = {"table", "level", "classic", "natural", nullptr};
    PyObject* table = Py_None;
    PyObject* levelArgument = nullptr;
    int classic = 0, natural = 0;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|OO$pp:Collator", const_cast<char**>(keywords), &table,
                                     &levelArgument, &classic, &natural)) {
        return nullptr;
    }
    int level = 0;
    if (!LevelOf(levelArgument, kMaxLevel, level)) return nullptr;
    if (table == Py_None) Py_INCREF(Py_None);
    Ref path(table == Py_None ? Py_None : PyOS_FSPath(table));
    if (!path) return nullptr;
    const unsigned options = (classic ? ZABRELO_CLASSIC_ORDER : 0u) | (natural ? ZABRELO_NATURAL_NUMBERS : 0u);
    zabrelo_collator* loaded = nullptr;
    if (!LoadTable(path.get(), options, loaded)) return nullptr;
    auto* const self = reinterpret_cast<CollatorObject*>(type->tp_alloc(type, 0));
    if (!self) {
        zabrelo_close(loaded);
        return nullptr;
    }
    self->collator = loaded;
    self->path = path.release();
    self->level = level;
    return reinterpret_cast<PyObject*>(self);
}

// __new__ loads the table and sets the level, and neither ever changes: other
// threads may be reading them without a lock. So __init__ accepts the call
// that makes the object (its arguments were __new__'s) and refuses any later
// one, which could otherwise only pretend to load another table.
int CollatorInit(PyObject* object, PyObject*, PyObject*) {
    auto* const self = reinterpret_cast<CollatorObject*>(object);
    if (self->initialized) {
        PyErr_Format(PyExc_TypeError, "%s.__init__() cannot be called again: a collator never changes; make a new one",
                     Py_TYPE(object)->tp_name);
        return -1;
    }
    self->initialized = true;
    return 0;
}

void CollatorDealloc(PyObject* object) {
    auto* const self = reinterpret_cast<CollatorObject*>(object);
    PyTypeObject* const type = Py_TYPE(object);
    zabrelo_close(self->collator);
    Py_XDECREF(self->path);
    type->tp_free(object);
    Py_DECREF(type);  // instances of a heap type hold a reference to it
}

bool Classic(const CollatorObject& self) { return (zabrelo_options(self.collator) & ZABRELO_CLASSIC_ORDER) != 0; }
bool Natural(const CollatorObject& self) { return (zabrelo_options(self.collator) & ZABRELO_NATURAL_NUMBERS) != 0; }

// The arguments that made it, as its repr shows them: the orders only when asked for.
PyObject* CollatorRepr(PyObject* object) {
    const auto& self = *reinterpret_cast<CollatorObject*>(object);
    return PyUnicode_FromFormat("%s(table=%R, level=%d%s%s)", Py_TYPE(object)->tp_name, self.path, self.level,
                                Classic(self) ? ", classic=True" : "", Natural(self) ? ", natural=True" : "");
}

// Pickled as the arguments that made it: the table is loaded again where it
// is unpickled (a Dask worker, say), the default one as that machine finds
// it. The keyword-only orders travel in a functools.partial of the type.
PyObject* CollatorReduce(PyObject* object, PyObject*) {
    const auto& self = *reinterpret_cast<CollatorObject*>(object);
    PyObject* const type = reinterpret_cast<PyObject*>(Py_TYPE(object));
    if (!Classic(self) && !Natural(self)) return Py_BuildValue("(O(Oi))", type, self.path, self.level);
    const Ref functools(PyImport_ImportModule("functools"));
    const Ref partial(functools ? PyObject_GetAttrString(functools.get(), "partial") : nullptr);
    const Ref arguments(partial ? Py_BuildValue("(O)", type) : nullptr);
    const Ref keywords(arguments ? Py_BuildValue("{sOsO}", "classic", Classic(self) ? Py_True : Py_False, "natural",
                                                 Natural(self) ? Py_True : Py_False)
                                 : nullptr);
    const Ref maker(keywords ? PyObject_Call(partial.get(), arguments.get(), keywords.get()) : nullptr);
    if (!maker) return nullptr;
    return Py_BuildValue("(O(Oi))", maker.get(), self.path, self.level);
}

PyObject* GetTable(PyObject* object, void*) {
    PyObject* const path = reinterpret_cast<CollatorObject*>(object)->path;
    Py_INCREF(path);
    return path;
}

PyObject* GetLevel(PyObject* object, void*) {
    return PyLong_FromLong(reinterpret_cast<CollatorObject*>(object)->level);
}

PyObject* GetClassic(PyObject* object, void*) {
    return PyBool_FromLong(Classic(*reinterpret_cast<CollatorObject*>(object)));
}

PyObject* GetNatural(PyObject* object, void*) {
    return PyBool_FromLong(Natural(*reinterpret_cast<CollatorObject*>(object)));
}

// The key of one text as a bytes object.
PyObject* KeyBytes(const zabrelo_collator* collator, const TextRef& text, int level) {
    const Utf16Text units(text);
    const auto* const start = reinterpret_cast<const uint16_t*>(units.Units());
    const bool release = units.Count() > kReleaseGilUnits;
    const auto write = [&](unsigned char* out, std::size_t capacity) {
        std::size_t size = 0;
        if (!release) {
            zabrelo_key16(collator, start, units.Count(), level, out, capacity, &size);
        } else {
            const ReleasedGil unlocked;
            zabrelo_key16(collator, start, units.Count(), level, out, capacity, &size);
        }
        return size;
    };
    unsigned char stack[kStackKeyBytes];
    const std::size_t size = write(stack, sizeof stack);
    if (size <= sizeof stack) {
        return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(stack), static_cast<Py_ssize_t>(size));
    }
    if (size > static_cast<std::size_t>(PY_SSIZE_T_MAX)) throw std::length_error("the key is too long for bytes");
    Ref bytes(PyBytes_FromStringAndSize(nullptr, static_cast<Py_ssize_t>(size)));
    if (!bytes) return nullptr;
    write(reinterpret_cast<unsigned char*>(PyBytes_AS_STRING(bytes.get())), size);
    return bytes.release();
}

constexpr char kSortKeyDoc[] = R"(sort_key($self, /, text, level=None)
--

The sort key of text: bytes whose order is the collation order.

level None takes the collator's level; 0 or less gives b'', above 3
counts as 3. Use it as sorted(words, key=collator.sort_key).)";

PyObject* SortKey(PyObject* object, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const char* const names[] = {"text", "level"};
    static const Parameters parameters{"sort_key", names, 2, 2, 1};
    return CallMethod<2>(parameters, object, args, nargs, kwnames,
                         [](PyObject** values, int level, const zabrelo_collator* collator) -> PyObject* {
                             TextRef text{};
                             if (!TextOf(values[0], "sort_key", "argument 'text'", text)) return nullptr;
                             return KeyBytes(collator, text, level);
                         });
}

constexpr char kCompareDoc[] = R"(compare($self, /, a, b, level=None)
--

-1, 0 or 1 as a's key orders before, equal to or after b's.

Equal keys give -1 when a has fewer UTF-16 units than b, else 0, so
compare(a, b) and compare(b, a) may be 0 and -1.)";

PyObject* Compare(PyObject* object, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const char* const names[] = {"a", "b", "level"};
    static const Parameters parameters{"compare", names, 3, 3, 2};
    return CallMethod<3>(parameters, object, args, nargs, kwnames,
                         [](PyObject** values, int level, const zabrelo_collator* collator) -> PyObject* {
                             TextRef a{}, b{};
                             if (!TextOf(values[0], "compare", "argument 'a'", a) ||
                                 !TextOf(values[1], "compare", "argument 'b'", b)) {
                                 return nullptr;
                             }
                             const Utf16Text first(a), second(b);
                             const auto compare = [&] {
                                 return zabrelo_compare16(collator, reinterpret_cast<const uint16_t*>(first.Units()),
                                                          first.Count(),
                                                          reinterpret_cast<const uint16_t*>(second.Units()),
                                                          second.Count(), level);
                             };
                             if (first.Count() + second.Count() <= kReleaseGilUnits) {
                                 return PyLong_FromLong(compare());
                             }
                             int order = 0;
                             {
                                 const ReleasedGil unlocked;
                                 order = compare();
                             }
                             return PyLong_FromLong(order);
                         });
}

template <class Function>
PyCFunction AsMethod(Function* function) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

PyMethodDef kMethods[] = {
    {"sort_key", AsMethod(SortKey), METH_FASTCALL | METH_KEYWORDS, kSortKeyDoc},
    {"compare", AsMethod(Compare), METH_FASTCALL | METH_KEYWORDS, kCompareDoc},
    {"sort_keys", AsMethod(CollatorSortKeys), METH_FASTCALL | METH_KEYWORDS, kSortKeysDoc},
    {"sorted", AsMethod(CollatorSorted), METH_FASTCALL | METH_KEYWORDS, kSortedDoc},
    {"__reduce__", CollatorReduce, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr}};

PyGetSetDef kAttributes[] = {
    {"table", GetTable, nullptr, "The table's path as given, or None for the default table.", nullptr},
    {"level", GetLevel, nullptr, "The level used when a call gives none (0 to 3).", nullptr},
    {"classic", GetClassic, nullptr, "True when only the Arabic block weighs (the classic order).", nullptr},
    {"natural", GetNatural, nullptr, "True when runs of digits order by their value.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr}};

constexpr char kCollatorDoc[] = R"(Collator(table=None, level=3, *, classic=False, natural=False)
--

Urdu collation with one weight table.

table is the path of a weight table (str or os.PathLike), or None for
the default: the file $ZABRELO_TABLE names when it is set and not empty,
else the table bundled with the package. level (1 letters; 2 and
diacritics; 3 and letter variants) is the default of every method.

The full order weighs everything the table has a line for: beside Urdu,
digits, punctuation, Latin letters and presentation forms. classic=True
weighs only the Arabic block (U+0600..U+06F9 and U+200C), everything else
nothing: the keys of the C++ class ZabreloLib, byte for byte.
natural=True orders runs of digits (ASCII, Urdu, Arabic-Indic) by their
value, so that 'باب 2' comes before 'باب 10'.

A file that cannot be opened raises FileNotFoundError (or another
OSError) naming it; a file that is no usable weight table raises
ValueError. A collator never changes once made: share one between
threads.)";

}  // namespace

PyObject* NewCollatorType() {
    static PyType_Slot slots[] = {{Py_tp_new, reinterpret_cast<void*>(CollatorNew)},
                                  {Py_tp_init, reinterpret_cast<void*>(CollatorInit)},
                                  {Py_tp_dealloc, reinterpret_cast<void*>(CollatorDealloc)},
                                  {Py_tp_repr, reinterpret_cast<void*>(CollatorRepr)},
                                  {Py_tp_methods, kMethods},
                                  {Py_tp_getset, kAttributes},
                                  {Py_tp_doc, const_cast<char*>(kCollatorDoc)},
                                  {0, nullptr}};
    static PyType_Spec collatorType = {"zabrelo.Collator", sizeof(CollatorObject), 0,
                                       Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE, slots};
    return PyType_FromSpec(&collatorType);
}

}  // namespace zabrelo_python
