// CollationTable: construction, the read-only views, and the per-unit
// entries derived from the loaded lists.
#include "collation/CollationTable.h"

#include <cstring>

#include "collation/CollationWalk.h"

namespace zabrelo {

namespace {

bool InRange(std::int32_t c) { return c >= CollationTable::kRangeFirst && c < CollationTable::kRangeLimit; }

}  // namespace

CollationTable::CollationTable()
    : specialCodePoint_(-1), specialWeights_{0, 0, 0}, slotCount_(0), handedOut_(0) {
    std::memset(followerFlags_, 0, sizeof followerFlags_);
    for (std::int32_t& slot : slotIndex_) slot = -1;
    Derive();
}

const EntryList* CollationTable::EntriesOf(std::int32_t codePoint) const {
    if (!InRange(codePoint)) return nullptr;
    const std::int32_t slot = slotIndex_[codePoint - kRangeFirst];
    return slot < 0 ? nullptr : &entryLists_[static_cast<std::size_t>(slot)];
}

bool CollationTable::IsFollower(std::int32_t codePoint) const {
    return InRange(codePoint) && followerFlags_[codePoint - kRangeFirst] != 0;
}

void CollationTable::Derive() {
    for (int offset = 0; offset < kRangeSize; ++offset) {
        OwnEntry& own = own_[offset];
        own.slot = slotIndex_[offset];
        const EntryList* entries = own.slot >= 0 ? &entryLists_[static_cast<std::size_t>(own.slot)] : nullptr;
        for (int l = 0; l < kMaxLevel; ++l)
            own.weights[l] = entries != nullptr && !entries->empty() ? entries->front().weights[l] : 0;

        KeyUnit& key = keyUnits_[offset];
        for (int l = 0; l < kMaxLevel; ++l) {
            key.bytes[l] = static_cast<unsigned char>(own.weights[l] & 0xFF);
            key.keep[l] = own.weights[l] != 0 ? 1 : 0;
        }
        // A unit pairs only through an entry whose code point ends a pair
        // (NextWeights' test), so without one its own weights always stand.
        bool mayPair = false;
        if (entries != nullptr) {
            for (const CollationEntry& entry : *entries) {
                const unsigned second = static_cast<unsigned>(entry.codePoint) - static_cast<unsigned>(kRangeFirst);
                if (second < static_cast<unsigned>(kRangeSize) && followerFlags_[second] != 0) mayPair = true;
            }
        }
        const bool rewritten = IsRewritten(static_cast<char16_t>(kRangeFirst + offset));
        key.route = rewritten ? kWalk : mayPair ? kWalkBeforeEnder : 0;
        key.ender = rewritten || followerFlags_[offset] != 0 ? kWalkBeforeEnder : 0;
    }
    for (int offset = kRangeSize; offset < 256; ++offset) keyUnits_[offset] = KeyUnit{{0, 0, 0}, {0, 0, 0}, kWalk, 0};
}

}  // namespace zabrelo
