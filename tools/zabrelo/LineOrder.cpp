// LineOrder: the comparisons past the keys, which only equal keys reach.
// The common tie is a repeated line: the same bytes, recognised first.
#include "LineOrder.h"

#include <algorithm>
#include <cstring>

#include "LineKeys.h"
#include "Prefetch.h"

namespace zabrelo_tool {

namespace {

bool SameText(const Line& x, const Line& y) {
    return x.size == y.size && (x.size == 0 || std::memcmp(x.text, y.text, x.size) == 0);
}

// Unsigned byte order of two byte strings, a start of the other first.
int CompareBytes(const char* x, std::size_t xSize, const char* y, std::size_t ySize) {
    const std::size_t common = std::min(xSize, ySize);
    const int order = common == 0 ? 0 : std::memcmp(x, y, common);
    if (order != 0) return order;
    return xSize < ySize ? -1 : xSize > ySize ? 1 : 0;
}


// Line ends as bytes: LF (or NUL, the only end with -z) before CR LF.
int CompareEnds(const Line& x, const Line& y) { return static_cast<int>(EndSize(x)) - static_cast<int>(EndSize(y)); }

}  // namespace

int LineOrder::Tiebreak(const Line& x, const Line& y) const {
    if (SameText(x, y)) return CompareEnds(x, y);
    const int order = unweighed_.Compare(x.text, x.size, y.text, y.size, level_);
    return order != 0 ? order : CompareBytes(x.text, x.size, y.text, y.size);
}

bool LineOrder::SameFields(const KeyedLine& a, const KeyedLine& b) {
    const std::size_t size = LineKeys::FieldsSize(a.key, a.keySize);
    return size == LineKeys::FieldsSize(b.key, b.keySize) && std::memcmp(a.key, b.key, size) == 0;
}

std::pair<KeyedLine*, KeyedLine*> LineOrder::NextRun(KeyedLine* first, KeyedLine* last,
                                                     const LineList& lines, bool unique) const {
    if (fields_ && unique) return NextFieldsRun(first, last, lines);
    // Equal keys have equal heads: a run of equal heads that is one line
    // repeated is a run of equal keys, already in order. The scan stops at
    // the first other line, so that many keys that share their heads but
    // differ later (numbers of one length, say) are not read over and over.
    KeyedLine* end = first + 1;
    if (stable_ && !unique) {
        while (end < last && end->head == first->head) ++end;
        return {end, end};  // input order is all there is past the keys
    }
    const Line& line = lines[first->line];
    for (; end < last && end->head == first->head; ++end) {
        if (last - end > 8) Prefetch(&lines[end[8].line]);
        if (last - end > 4) Prefetch(lines[end[4].line].text);
        const Line& other = lines[end->line];
        if (!SameText(line, other) || CompareEnds(line, other) != 0) break;
    }
    if (end == last || end->head != first->head) return {end, unique ? first + 1 : end};
    end = first + 1;
    while (end < last && KeysEqual(*first, *end)) ++end;
    if (end - first < 2) return {end, end};
    if (!stable_ && !Repeated(first, end, lines)) {
        std::sort(first, end, [this, &lines](const KeyedLine& a, const KeyedLine& b) {
            const int order = Compare(a, lines[a.line], b, lines[b.line]);
            return order != 0 ? order < 0 : a.line < b.line;
        });
    }
    return {end, unique ? KeepFirsts(first, end, lines) : end};
}

std::pair<KeyedLine*, KeyedLine*> LineOrder::NextFieldsRun(KeyedLine* first, KeyedLine* last,
                                                           const LineList& lines) const {
    KeyedLine* end = first + 1;
    while (end < last && SameFields(*first, *end)) ++end;
    // Sorted by key, so the first in output order has first's very key and
    // is the least of those by the rest of the order (input order on ties).
    KeyedLine* best = first;
    for (KeyedLine* item = first + 1; item < end && KeysEqual(*item, *first); ++item) {
        if (Compare(*item, lines[item->line], *best, lines[best->line]) < 0) best = item;
    }
    std::swap(*first, *best);
    return {end, first + 1};
}

bool LineOrder::Repeated(const KeyedLine* first, const KeyedLine* last, const LineList& lines) {
    const Line& head = lines[first->line];
    for (const KeyedLine* item = first + 1; item < last; ++item) {
        if (last - item > 8) Prefetch(&lines[item[8].line]);
        if (last - item > 4) Prefetch(lines[item[4].line].text);
        const Line& line = lines[item->line];
        if (!SameText(head, line) || CompareEnds(head, line) != 0) return false;
    }
    return true;
}

KeyedLine* LineOrder::KeepFirsts(KeyedLine* first, KeyedLine* last, const LineList& lines) const {
    if (!stable_) {
        // The order puts duplicates side by side.
        return std::unique(first, last, [this, &lines](const KeyedLine& a, const KeyedLine& b) {
            return Same(a, lines[a.line], b, lines[b.line]);
        });
    }
    // Stable: they may stand apart. Sort the positions by unweighed units,
    // stably, so that each set starts with its first line, and keep that one.
    std::vector<std::size_t> positions(static_cast<std::size_t>(last - first));
    for (std::size_t k = 0; k < positions.size(); ++k) positions[k] = k;
    const auto unweighedOf = [&](std::size_t k) -> const Line& { return lines[first[k].line]; };
    std::stable_sort(positions.begin(), positions.end(), [&](std::size_t x, std::size_t y) {
        return CompareUnweighed(unweighedOf(x), unweighedOf(y)) < 0;
    });
    std::vector<bool> dropped(positions.size(), false);
    for (std::size_t k = 1; k < positions.size(); ++k) {
        if (CompareUnweighed(unweighedOf(positions[k - 1]), unweighedOf(positions[k])) == 0) {
            dropped[positions[k]] = true;
        }
    }
    KeyedLine* kept = first;
    for (std::size_t k = 0; k < positions.size(); ++k) {
        if (!dropped[k]) *kept++ = first[k];
    }
    return kept;
}

int LineOrder::CompareUnweighed(const Line& x, const Line& y) const {
    return SameText(x, y) ? 0 : unweighed_.Compare(x.text, x.size, y.text, y.size, level_);
}

}  // namespace zabrelo_tool
