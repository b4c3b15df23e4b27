// UniqueFilter: side by side in the order, or among equal keys under -s.
#include "UniqueFilter.h"

namespace zabrelo_tool {

void HeldLine::Hold(const KeyedLine& item, const Line& line) {
    key_.assign(item.key, item.keySize);
    text_.assign(line.text, line.size);
    item_ = item;
    item_.key = key_.data();
    line_ = line;
    line_.text = text_.data();
}

bool UniqueFilter::Repeats(const KeyedLine& item, const Line& line) {
    if (order_.Stable() && !order_.Fields()) {
        if (any_ && KeysEqual(last_.Item(), item)) {
            units_.clear();
            order_.Unweighed().AppendSortable(line.text, line.size, order_.Level(), units_);
            return !seen_.insert(units_).second;
        }
        seen_.clear();
        units_.clear();
        order_.Unweighed().AppendSortable(line.text, line.size, order_.Level(), units_);
        seen_.insert(units_);
    } else if (any_ && order_.Same(last_.Item(), last_.Text(), item, line)) {
        // The order puts duplicates side by side: the first of them was kept last.
        return true;
    }
    last_.Hold(item, line);
    any_ = true;
    return false;
}

}  // namespace zabrelo_tool
