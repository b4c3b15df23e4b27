// CollationTable: construction, the read-only views, and the per-unit
// entries derived from the loaded lists.
#include "collation/CollationTable.h"

#include <algorithm>
#include <cstring>

#include "collation/CollationWalk.h"

namespace zabrelo {

namespace {

bool InRange(std::int32_t c) { return c >= CollationTable::kRangeFirst && c < CollationTable::kRangeLimit; }

}  // namespace

CollationTable::CollationTable()
    : specialCodePoint_(-1), specialWeights_{0, 0, 0}, slotCount_(0), handedOut_(0), pairCount_(0), pairMask_(0), pairShift_(0) {
    std::memset(followerFlags_, 0, sizeof followerFlags_);
    for (std::int32_t& slot : slotIndex_) slot = -1;
    std::memset(otherPageOf_, 0, sizeof otherPageOf_);
    otherPages_.assign(1, OtherPage{});
    for (OtherUnit& unit : otherPages_[0].units) unit = OtherUnit{0, 0, 0};
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

const std::int32_t* CollationTable::FindPair(char16_t first, char16_t second) const {
    const std::uint32_t key = PairKey(first, second);
    for (std::size_t i = PairHash(key);; i = (i + 1) & pairMask_) {
        const Pair& pair = pairs_[i];
        if (pair.key == key) return pair.weights;
        if (pair.key == 0) return nullptr;
    }
}

void CollationTable::AddPair(char16_t first, char16_t second, const std::int32_t* weights) {
    const std::uint32_t key = PairKey(first, second);
    for (std::size_t i = PairHash(key);; i = (i + 1) & pairMask_) {
        Pair& pair = pairs_[i];
        if (pair.key == key) return;  // an earlier entry pairs the same units: it wins
        if (pair.key == 0) {
            pair.key = key;
            std::memcpy(pair.weights, weights, sizeof pair.weights);
            break;
        }
    }
    // Kept at most half full, so a look-up that misses ends soon.
    if (2 * ++pairCount_ > pairs_.size()) ResizePairs(2 * pairs_.size());
}

void CollationTable::ResizePairs(std::size_t size) {
    std::vector<Pair> old(size, Pair{0, {0, 0, 0}});
    old.swap(pairs_);
    pairMask_ = size - 1;
    pairShift_ = 32;
    while ((std::size_t{1} << (32 - pairShift_)) < size) --pairShift_;
    pairCount_ = 0;
    for (const Pair& pair : old) {
        if (pair.key != 0) AddPair(static_cast<char16_t>(pair.key >> 16), static_cast<char16_t>(pair.key), pair.weights);
    }
}

void CollationTable::Derive() {
    ResizePairs(16);
    // A unit gives its elements, a letter the rewriting splits those of
    // both its parts (a pair or a composed letter gives one for two units).
    const auto elements = [this](char16_t u) { return std::max<std::size_t>(1, Other(u).count); };
    mostElementsPerUnit_ = 2;
    for (const OtherPage& page : otherPages_) {
        for (const OtherUnit& unit : page.units) mostElementsPerUnit_ = std::max<std::size_t>(mostElementsPerUnit_, unit.count);
    }
    for (char16_t u = 0x0623; u <= 0x06D3; ++u) {
        if (!IsRewritten(u)) continue;
        for (const bool last : {false, true}) {
            char16_t second = 0;
            const char16_t first = Rewrite(u, last, second);
            const std::size_t count = elements(first) + (second != 0 ? elements(second) : 0);
            mostElementsPerUnit_ = std::max(mostElementsPerUnit_, count);
        }
    }
    stackUnits_ = kKeyStackRoom / mostElementsPerUnit_;
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
        const auto first = static_cast<char16_t>(kRangeFirst + offset);
        bool startsPair = false;
        if (entries != nullptr) {
            for (const CollationEntry& entry : *entries) {
                if (!IsFollower(entry.codePoint)) continue;
                AddPair(first, static_cast<char16_t>(entry.codePoint), entry.weights);
                startsPair = true;
            }
        }
        const bool rewritten = IsRewritten(first);
        // A letter whose line has more than one element takes the walk,
        // which finds them under Other.
        const bool expands = Other(first).count > 1;
        if (expands) {
            own.slot = -1;
            otherPages_[otherPageOf_[first >> 8]].units[first & 0xFF].startsPair = startsPair ? 1 : 0;
        }
        key.kind = rewritten || expands ? UnitKind::kWalked : startsPair ? UnitKind::kPairStart : UnitKind::kAlone;
        key.ender = rewritten || followerFlags_[offset] != 0 ? 1 : 0;
    }
    for (int offset = kRangeSize; offset < 256; ++offset)
        keyUnits_[offset] = KeyUnit{{0, 0, 0}, {0, 0, 0}, UnitKind::kWalked, 0};
    for (const OtherPair& pair : otherPairs_) AddPair(pair.first, pair.second, pair.element.weights);

    // ئ as the walk weighs it inside a text (a hamza) and last (ی and a
    // hamza mark, one pair), for the decomposed spellings of the full order.
    composedYehHamza_[0] = composedYehHamza_[1] = nullptr;
    if (order_ == TableOrder::kFull) {
        const OwnEntry& hamza = own_[0x0621 - kRangeFirst];
        if (hamza.slot >= 0) composedYehHamza_[0] = hamza.weights;
        composedYehHamza_[1] = PairWeights(u'\u06CC', u'\u0654');
        if (composedYehHamza_[0] == nullptr || composedYehHamza_[1] == nullptr)
            composedYehHamza_[0] = composedYehHamza_[1] = nullptr;
    }
}

}  // namespace zabrelo
