// CollationWalk: the step-by-step walk over a prepared string.
#include "collation/CollationWalk.h"

#include <algorithm>
#include <cstring>

namespace zabrelo {

void CollationWalk::PrepareInput(const std::u16string& input) {
    prepared_.clear();
    PreparedUnits units{input.data(), 0, input.size(), 0};
    while (!units.AtEnd()) prepared_.push_back(units.Next());
    cursor_ = 0;
    length_ = static_cast<std::int32_t>(prepared_.size());
    units_ = PreparedUnits{prepared_.data(), 0, prepared_.size(), 0};
}

bool CollationWalk::NextElement(std::int32_t* weights, int levels) {
    if (cursor_ >= length_ && units_.pending == 0) {
        weights[0] = weights[1] = weights[2] = 0;
        return true;
    }
    // The prepared string reads back unchanged through PreparedUnits; an
    // expansion's elements wait in it from one call to the next.
    units_.text = prepared_.data();
    const std::int32_t* found = NextWeights(*table_, units_);
    cursor_ = static_cast<std::int32_t>(units_.index);
    // Table weights fill only the levels asked for; the fixed triples of a
    // space or an ignorable unit fill all three.
    const int count = (found == kSpaceWeights || found == kNoWeights)
                          ? CollationTable::kMaxLevel
                          : std::max(0, std::min(levels, CollationTable::kMaxLevel));
    std::memcpy(weights, found, sizeof(std::int32_t) * static_cast<std::size_t>(count));
    return false;
}

}  // namespace zabrelo
