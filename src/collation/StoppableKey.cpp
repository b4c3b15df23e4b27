// StoppableKey: the one walk over a text, whose end comes early once
// the caller asks to stop. The question is put where the walk asks whether
// the text has ended, so the walk itself is the keys' own, unchanged.
#include "collation/StoppableKey.h"

#include <algorithm>

#include "collation/CollationKeys.h"
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

// A text that ends, for the walk, wherever the caller stopped it.
template <class Text>
struct StoppableText : Text {
    Asking* asking;

    bool AtEnd(typename Text::Place place) const {
        if (Text::AtEnd(place) || asking->stopped) return true;
        if (--asking->countdown != 0) return false;
        asking->countdown = kStopStride;
        asking->stopped = asking->stop.Asked();
        return asking->stopped;
    }
};

template <class Text>
std::size_t StoppableKey(const CollationTable& table, const Text& text, int level, unsigned char* out,
                         std::size_t capacity, const StopCheck& stop) {
    Asking asking{stop, kStopStride, false};
    const StoppableText<Text> walked{text, &asking};
    const std::size_t length = LongKey(table, walked, std::min(level, CollationTable::kMaxLevel), out, capacity);
    return asking.stopped ? kKeyStopped : length;
}

}  // namespace

std::size_t WriteUtf8KeyStoppable(const CollationTable& table, const char* text, std::size_t size, int level,
                                  unsigned char* out, std::size_t capacity, const StopCheck& stop) {
    if (size <= kStopStride || level <= 0) return WriteUtf8Key(table, text, size, level, out, capacity);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    return StoppableKey(table, Utf8Text{bytes, bytes + size}, level, out, capacity, stop);
}

std::size_t WriteKeyStoppable(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                              unsigned char* out, std::size_t capacity, const StopCheck& stop) {
    if (length <= kStopStride || level <= 0) return WriteKey(table, text, length, level, out, capacity);
    return StoppableKey(table, Utf16Text{text, length}, level, out, capacity, stop);
}

}  // namespace zabrelo
