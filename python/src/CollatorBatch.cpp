// CollatorBatch: sort_keys and sorted. The items are gathered under the GIL
// into a list of this call's own, which no other thread can change while
// the GIL is released; the keys are then built (and sorted, by the
// library's key sorter, zabrelo_sort16) without the GIL, and the results
// are built under it again.
#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "Arguments.h"
#include "Collator.h"
#include "Errors.h"
#include "Gil.h"
#include "Ref.h"

namespace zabrelo_python {

namespace {

// Batches smaller than this many units are keyed with the GIL held: taking
// it back can wait for another thread's turn, which costs more than they do.
constexpr std::size_t kReleaseGilUnits = 4096;

// The items of `iterable` as a new list, and a TextRef to each. Null with
// TypeError set when an item is not a str.
Ref GatherTexts(const char* function, PyObject* iterable, std::vector<TextRef>& texts, std::size_t& units) {
    Ref list(PySequence_List(iterable));
    if (!list) return list;
    const Py_ssize_t n = PyList_GET_SIZE(list.get());
    texts.resize(static_cast<std::size_t>(n));
    units = 0;
    for (Py_ssize_t i = 0; i < n; ++i) {
        TextRef& text = texts[static_cast<std::size_t>(i)];
        if (!TextOf(PyList_GET_ITEM(list.get(), i), function, "items", text)) return Ref();
        units += text.length;
    }
    return list;
}

// Runs `work` without the GIL when the texts are many units long.
template <class Work>
void RunBatch(std::size_t units, const Work& work) {
    if (units < kReleaseGilUnits) return work();
    const ReleasedGil unlocked;
    work();
}

// The UTF-16 units of every text: strs of two bytes a character in place,
// the others widened into one buffer.
class Utf16Batch {
public:
    explicit Utf16Batch(const std::vector<TextRef>& texts) : units_(texts.size()), lengths_(texts.size()) {
        std::size_t widened = 0;
        for (const TextRef& text : texts) {
            if (text.kind != 2) widened += Utf16Length(text);
        }
        buffer_.resize(widened);
        widened = 0;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const TextRef& text = texts[i];
            if (text.kind == 2) {
                // The str's storage is uint16_t, and only read.
                units_[i] = static_cast<const uint16_t*>(text.data);
                lengths_[i] = text.length;
                continue;
            }
            const std::size_t length = Utf16Length(text);
            WriteUtf16(text, reinterpret_cast<char16_t*>(buffer_.data() + widened));
            units_[i] = buffer_.data() + widened;
            lengths_[i] = length;
            widened += length;
        }
    }
    const uint16_t* const* Units() const { return units_.data(); }
    const std::size_t* Lengths() const { return lengths_.data(); }

private:
    std::vector<uint16_t> buffer_;
    std::vector<const uint16_t*> units_;
    std::vector<std::size_t> lengths_;
};

// The keys of one share of a batch's texts, one after another, and where
// each ends.
struct KeyShare {
    std::vector<uint8_t> bytes;
    std::vector<std::size_t> ends;
};

// Shares worth a thread each: one per core, but none for fewer than a few
// thousand texts, where starting a thread costs more than it saves.
std::size_t ShareCount(std::size_t texts) {
    constexpr std::size_t kTextsPerShare = 16384;
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    return std::max<std::size_t>(1, std::min(cores, texts / kTextsPerShare));
}

// Raises the exception a failed status of the library stands for.
void Check(zabrelo_status status) {
    if (status == ZABRELO_OUT_OF_MEMORY) throw std::bad_alloc();
    if (status != ZABRELO_OK) throw std::runtime_error(zabrelo_status_message(status));
}

// Keys the texts of `batch` at `level` into `shares`, share k taking the
// k-th of as many runs of the texts, each on a thread of its own but the
// first, which runs here. The first failure is rethrown once all ended.
void KeyShares(const zabrelo_collator* collator, const Utf16Batch& batch, std::size_t count, int level,
               std::vector<KeyShare>& shares) {
    const std::size_t n = shares.size();
    std::vector<std::exception_ptr> failures(n);
    const auto work = [&](std::size_t k) {
        try {
            KeyShare& share = shares[k];
            const std::size_t begin = count * k / n, end = count * (k + 1) / n;
            share.ends.reserve(end - begin);
            share.bytes.resize((end - begin) * 32 + 64);
            std::size_t used = 0;
            for (std::size_t i = begin; i < end; ++i) {
                std::size_t size = 0;
                const auto key = [&] {
                    return zabrelo_key16(collator, batch.Units()[i], batch.Lengths()[i], level,
                                         share.bytes.data() + used, share.bytes.size() - used, &size);
                };
                if (key() == ZABRELO_BUFFER_TOO_SMALL) {
                    share.bytes.resize(std::max(share.bytes.size() * 2, used + size));
                    Check(key());
                }
                used += size;
                share.ends.push_back(used);
            }
        } catch (...) {
            failures[k] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t k = 1; k < n; ++k) {
        try {
            threads.emplace_back(work, k);
        } catch (const std::system_error&) {
            work(k);  // no thread to be had: the share runs here
        }
    }
    work(0);
    for (std::thread& thread : threads) thread.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
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
                         [](PyObject** values, int level, const zabrelo_collator* collator) -> PyObject* {
                             std::vector<TextRef> texts;
                             std::size_t units = 0;
                             const Ref list = GatherTexts("sort_keys", values[0], texts, units);
                             if (!list) return nullptr;
                             std::vector<KeyShare> shares(ShareCount(texts.size()));
                             RunBatch(units, [&] {
                                 const Utf16Batch batch(texts);
                                 KeyShares(collator, batch, texts.size(), level, shares);
                             });
                             Ref keys(PyList_New(static_cast<Py_ssize_t>(texts.size())));
                             if (!keys) return nullptr;
                             Py_ssize_t i = 0;
                             for (const KeyShare& share : shares) {
                                 std::size_t start = 0;
                                 for (const std::size_t end : share.ends) {
                                     PyObject* const key = PyBytes_FromStringAndSize(
                                         reinterpret_cast<const char*>(share.bytes.data() + start),
                                         static_cast<Py_ssize_t>(end - start));
                                     if (!key) return nullptr;
                                     PyList_SET_ITEM(keys.get(), i++, key);
                                     start = end;
                                 }
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
                         [](PyObject** values, int level, const zabrelo_collator* collator) -> PyObject* {
                             const int reverse = values[1] ? PyObject_IsTrue(values[1]) : 0;
                             if (reverse < 0) return nullptr;
                             std::vector<TextRef> texts;
                             std::size_t units = 0;
                             Ref list = GatherTexts("sorted", values[0], texts, units);
                             if (!list) return nullptr;
                             if (texts.size() > UINT32_MAX) throw std::length_error("too many items to sort");
                             std::vector<uint32_t> order(texts.size());
                             RunBatch(units, [&] {
                                 const Utf16Batch batch(texts);
                                 Check(zabrelo_sort16(collator, batch.Units(), batch.Lengths(), texts.size(), level,
                                                      reverse != 0 ? ZABRELO_SORT_REVERSE : 0U, 0, order.data()));
                             });
                             // The list is this call's own: its items are put in order in place.
                             PyObject** const items = PySequence_Fast_ITEMS(list.get());
                             std::vector<PyObject*> ordered(texts.size());
                             for (std::size_t i = 0; i < order.size(); ++i) ordered[i] = items[order[i]];
                             std::copy(ordered.begin(), ordered.end(), items);
                             return list.release();
                         });
}

}  // namespace zabrelo_python
