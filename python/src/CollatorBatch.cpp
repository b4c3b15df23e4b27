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
std::unique_ptr<KeyBatch> Keyed(const zabrelo::CollationTable& table, const LargeBuffer<TextRef>& texts,
                                std::size_t units, int level, bool sort, bool reverse) {
    const auto work = [&] {
        const unsigned threads = ThreadsFor(texts.size());
        auto batch = std::make_unique<KeyBatch>(table, texts.data(), texts.size(), level, threads);
        if (sort) batch->Sort(reverse, threads);
        return batch;
    };
    if (units < kReleaseGilUnits) return work();
    const ReleasedGil unlocked;
    return work();
}

}  // namespace

const char kSortKeysDoc[] = R"(sort_keys($self, /, iterable, level=None)
--

The sort key of every str in iterable, in order: a list of bytes,
built on several threads with the GIL released.)";

PyObject* CollatorSortKeys(PyObject* object, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const char* const names[] = {"iterable", "level"};
    static const Parameters parameters{"sort_keys", names, 2, 2, 1};
    return CallMethod<2>(parameters, object, args, nargs, kwnames,
                         [](PyObject** values, int level, const zabrelo::CollationTable& table) -> PyObject* {
                             LargeBuffer<TextRef> texts;
                             std::size_t units = 0;
                             const Ref list = GatherTexts("sort_keys", values[0], texts, units);
                             if (!list) return nullptr;
                             const std::unique_ptr<KeyBatch> batch = Keyed(table, texts, units, level, false, false);
                             Ref keys(PyList_New(static_cast<Py_ssize_t>(texts.size())));
                             if (!keys) return nullptr;
                             Py_ssize_t i = 0;
                             for (const KeyedText& item : *batch) {
                                 PyObject* const key =
                                     PyBytes_FromStringAndSize(reinterpret_cast<const char*>(item.key), item.keySize);
                                 if (!key) return nullptr;
                                 PyList_SET_ITEM(keys.get(), i++, key);
                             }
                             return keys.release();
                         });
}

const char kSortedDoc[] = R"(sorted($self, iterable, /, *, reverse=False, level=None)
--

A new list of the str items of iterable in collation order.

The same as sorted(iterable, key=self.sort_key, reverse=reverse):
stable, items with equal keys keep their input order in both
directions. The keys are built and sorted on several threads with
the GIL released.)";

PyObject* CollatorSorted(PyObject* object, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const char* const names[] = {"iterable", "reverse", "level"};
    static const Parameters parameters{"sorted", names, 3, 1, 1};
    return CallMethod<3>(parameters, object, args, nargs, kwnames,
                         [](PyObject** values, int level, const zabrelo::CollationTable& table) -> PyObject* {
                             const int reverse = values[1] ? PyObject_IsTrue(values[1]) : 0;
                             if (reverse < 0) return nullptr;
                             LargeBuffer<TextRef> texts;
                             std::size_t units = 0;
                             Ref list = GatherTexts("sorted", values[0], texts, units);
                             if (!list) return nullptr;
                             const std::unique_ptr<KeyBatch> batch =
                                 Keyed(table, texts, units, level, true, reverse != 0);
                             // The list is this call's own: its items are put in order in place.
                             PyObject** const items = PySequence_Fast_ITEMS(list.get());
                             const LargeBuffer<PyObject*> ordered(texts.size());
                             std::size_t i = 0;
                             for (const KeyedText& item : *batch) ordered[i++] = items[item.index];
                             std::copy(ordered.data(), ordered.data() + i, items);
                             return list.release();
                         });
}

}  // namespace zabrelo_python
