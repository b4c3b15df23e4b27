// StoppableKey: the one walk over a UTF-8 text, whose end comes early once
// the caller asks to stop. The question is put where the walk asks whether
// the text has ended, so the walk itself is the keys' own, unchanged.
#include "collation/StoppableKey.h"

#include <algorithm>

#include "collation/KeyWalk.h"
#include "collation/Utf8Keys.h"
#include "collation/Utf8Walk.h"

namespace zabrelo {

namespace {

struct Asking {
    const StopCheck& stop;
    std::size_t countdown;
    bool stopped;
};

// A UTF-8 text that ends, for the walk, wherever the caller stopped it.
struct StoppableText : Utf8Text {
    Asking* asking;

    bool AtEnd(Place place) const {
        if (place == end || asking->stopped) return true;
        if (--asking->countdown != 0) return false;
        asking->countdown = kStopStride;
        asking->stopped = asking->stop.Asked();
        return asking->stopped;
    }
};

}  // namespace

std::size_t WriteUtf8KeyStoppable(const CollationTable& table, const char* text, std::size_t size, int level,
                                  unsigned char* out, std::size_t capacity, const StopCheck& stop) {
    if (size <= kStopStride || level <= 0) return WriteUtf8Key(table, text, size, level, out, capacity);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    Asking asking{stop, kStopStride, false};
    const StoppableText walked{{bytes, bytes + size}, &asking};
    const std::size_t length = LongKey(table, walked, std::min(level, CollationTable::kMaxLevel), out, capacity);
    return asking.stopped ? kKeyStopped : length;
}

}  // namespace zabrelo
