// CollatorBatch: sort_keys and sorted. The items are gathered under the GIL
// into a list of this call's own, which no other thread can change while
// the GIL is released; KeyBatch then keys (and sorts) them on several
// threads without the GIL, and the results are built under it again.
#include <algorithm>
#include <memory>

#include "Arguments.h"
#include "Collator.h"
#include "Errors.h"
#include "Gil.h"
#include "KeyBatch.h"
#include "LargeBuffer.h"
#include "Ref.h"

namespace zabrelo_python {

namespace {

// Batches smaller than this many units are keyed with the GIL held: taking
// it back can wait for another thread's turn, which costs more than they do.
constexpr std::size_t kReleaseGilUnits = 4096;

// The items of `iterable` as a new list, and a TextRef to each. Null with
// TypeError set when an item is not a str.
Ref GatherTexts(const char* function, PyObject* iterable, LargeBuffer<TextRef>& texts, std::size_t& units) {
    Ref list(PySequence_List(iterable));
    if (!list) return list;
    const Py_ssize_t n = PyList_GET_SIZE(list.get());
    texts = LargeBuffer<TextRef>(static_cast<std::size_t>(n));
    units = 0;
    for (Py_ssize_t i = 0; i < n; ++i) {
        TextRef& text = texts[static_cast<std::size_t>(i)];
        if (!TextOf(PyList_GET_ITEM(list.get(), i), function, "items", text)) return Ref();
        units += text.length;
    }
    return list;
}

// Keys the texts and, unless `sort` is false, sorts them.
std::unique_ptr<KeyBatch> Keyed(const CollatorObject& self, const LargeBuffer<TextRef>& texts, std::size_t units,
                                int level, bool sort, bool reverse) {
    const auto work = [&] {
        const unsigned threads = ThreadsFor(texts.size());
        auto batch = std::make_unique<KeyBatch>(*self.table, texts.data(), texts.size(), level, threads);
        if (sort) batch->Sort(reverse, threads);
        return batch;
    };
    if (units < kReleaseGilUnits) return work();
    const ReleasedGil unlocked;
    return work();
}

}  // namespace

const char kSortKeysDoc[] =
    "sort_keys($self, /, iterable, level=None)\n--\n\n"
    "The sort key of every str in iterable, in order: a list of bytes,\n"
    "built on several threads with the GIL released.";

PyObject* CollatorSortKeys(PyObject* object, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const char* const names[] = {"iterable", "level"};
    static const Parameters parameters{"sort_keys", names, 2, 2, 1};
    PyObject* values[2];
    if (!ParseArguments(parameters, args, nargs, kwnames, values)) return nullptr;
    const auto& self = *reinterpret_cast<CollatorObject*>(object);
    int level = 0;
    if (!LevelOf(values[1], self.level, level)) return nullptr;
    LargeBuffer<TextRef> texts;
    std::size_t units = 0;
    try {
        const Ref list = GatherTexts("sort_keys", values[0], texts, units);
        if (!list) return nullptr;
        const std::unique_ptr<KeyBatch> batch = Keyed(self, texts, units, level, false, false);
        Ref keys(PyList_New(static_cast<Py_ssize_t>(texts.size())));
        if (!keys) return nullptr;
        Py_ssize_t i = 0;
        for (const KeyedText& item : *batch) {
            PyObject* const key = PyBytes_FromStringAndSize(reinterpret_cast<const char*>(item.key), item.keySize);
            if (!key) return nullptr;
            PyList_SET_ITEM(keys.get(), i++, key);
        }
        return keys.release();
    } catch (...) {
        return RaiseCurrentException();
    }
}

const char kSortedDoc[] =
    "sorted($self, iterable, /, *, reverse=False, level=None)\n--\n\n"
    "A new list of the str items of iterable in collation order.\n\n"
    "The same as sorted(iterable, key=self.sort_key, reverse=reverse):\n"
    "stable, items with equal keys keep their input order in both\n"
    "directions. The keys are built and sorted on several threads with\n"
    "the GIL released.";

PyObject* CollatorSorted(PyObject* object, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const char* const names[] = {"iterable", "reverse", "level"};
    static const Parameters parameters{"sorted", names, 3, 1, 1};
    PyObject* values[3];
    if (!ParseArguments(parameters, args, nargs, kwnames, values)) return nullptr;
    const auto& self = *reinterpret_cast<CollatorObject*>(object);
    const int reverse = values[1] ? PyObject_IsTrue(values[1]) : 0;
    if (reverse < 0) return nullptr;
    int level = 0;
    if (!LevelOf(values[2], self.level, level)) return nullptr;
    LargeBuffer<TextRef> texts;
    std::size_t units = 0;
    try {
        Ref list = GatherTexts("sorted", values[0], texts, units);
        if (!list) return nullptr;
        const std::unique_ptr<KeyBatch> batch = Keyed(self, texts, units, level, true, reverse != 0);
        // The list is this call's own: its items are put in order in place.
        PyObject** const items = PySequence_Fast_ITEMS(list.get());
        const LargeBuffer<PyObject*> ordered(texts.size());
        std::size_t i = 0;
        for (const KeyedText& item : *batch) ordered[i++] = items[item.index];
        std::copy(ordered.data(), ordered.data() + i, items);
        return list.release();
    } catch (...) {
        return RaiseCurrentException();
    }
}

}  // namespace zabrelo_python
