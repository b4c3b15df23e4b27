// UniqueFilter: -u for lines that come one at a time in output order, as a
// merge writes them or a check reads them, where NextRun sees a whole run
// of equal keys at once. Both go by LineOrder::Same.
#ifndef ZABRELO_TOOL_UNIQUEFILTER_H
#define ZABRELO_TOOL_UNIQUEFILTER_H

#include <set>
#include <string>

#include "InputText.h"
#include "LineOrder.h"
#include "SortKeys.h"

namespace zabrelo_tool {

/// A copy of a line and its key that outlives the buffer it came from.
class HeldLine {
public:
    HeldLine() = default;
    HeldLine(const HeldLine&) = delete;
    HeldLine& operator=(const HeldLine&) = delete;

    void Hold(const KeyedLine& item, const Line& line);
    const KeyedLine& Item() const { return item_; }
    const Line& Text() const { return line_; }

private:
    std::string key_, text_;
    KeyedLine item_{};
    Line line_{};
};

class UniqueFilter {
public:
    explicit UniqueFilter(const LineOrder& order) : order_(order) {}

    /// Whether `line` (key `item`) duplicates a line seen before; remembers
    /// it when it does not. Lines must come in output order.
    bool Repeats(const KeyedLine& item, const Line& line);

private:
    const LineOrder& order_;
    bool any_ = false;
    HeldLine last_;  // the last line kept
    // With -s and without -k, lines with equal keys keep input order, so
    // duplicates among them may stand apart: the unweighed units of those
    // seen since the key last changed, with their places.
    std::set<std::string> seen_;
    std::string units_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_UNIQUEFILTER_H
