// CollationEngine, the table half: construction, reset and the loader of the
// collation data file. The file's format is defined by the exact sequence of
// reads below (header, then per line: skip to line feed, code point field up
// to "]", weight field up to "]"); existing tables rely on its quirks, so
// they stay: a line whose "]" is followed at once by a bare line feed makes
// the next skip read fail and costs the following line, lower-case hex reads
// as 0, the first line for a code point wins but the last one for U+200C.
#include "collation/CollationEngine.h"

#include <cstring>

#include "zabrelo/FileReader.h"
#include "zabrelo/VantorException.h"

namespace zabrelo {

namespace {

constexpr int kFieldMax = 512;  // longest field or line tail one read takes
constexpr int kHeaderMax = 3;   // the slot count has at most three hex digits
constexpr int kAsciiMode = 1;

bool InRange(std::int32_t c) {
    return c >= CollationEngine::kRangeFirst && c < CollationEngine::kRangeLimit;
}

}  // namespace

CollationEngine::CollationEngine()
    : specialCodePoint_(-1),
      specialWeights_{0, 0, 0},
      cursor_(0),
      length_(0),
      slotCount_(0),
      handedOut_(0) {
    ResetTable();
}

void CollationEngine::ResetTable() {
    cursor_ = 0;
    length_ = 0;
    slotCount_ = 0;
    handedOut_ = 0;
    std::memset(followerFlags_, 0, sizeof followerFlags_);
    for (std::int32_t& slot : slotIndex_) slot = -1;
    entryLists_.clear();
    entryLists_.shrink_to_fit();
    RefreshOwnWeights();
}

bool CollationEngine::Initialize(const char* path) {
    // The special entry is deliberately kept: a table that defined U+200C
    // leaves it defined for the next load.
    ResetTable();
    return LoadTable(path);
}

int CollationEngine::NewSlot(int offset) {
    // A file may hand out more slots than its header announced; the table
    // grows for it rather than writing past the lists it allocated.
    const int slot = handedOut_++;
    if (static_cast<std::size_t>(slot) >= entryLists_.size()) entryLists_.emplace_back();
    slotIndex_[offset] = slot;
    return slot;
}

bool CollationEngine::LoadTable(const char* path) {
    // However the load ends, the walk's copy of the table must follow it.
    struct Refresh {
        CollationEngine& engine;
        ~Refresh() { engine.RefreshOwnWeights(); }
    } refresh{*this};
    FileReader reader;
    reader.Open(path, kAsciiMode);  // raises when the file cannot be opened

    std::string header;
    if (!reader.ReadUntil(header, kHeaderMax, '=')) return false;
    slotCount_ = ParseHex(header);
    entryLists_.assign(static_cast<std::size_t>(slotCount_ > 0 ? slotCount_ : 0), EntryList());

    try {
        std::string tail, codeField;
        while (!reader.IsEOF()) {
            if (!reader.ReadUntil(tail, kFieldMax, '\n')) continue;
            if (!reader.ReadUntil(codeField, kFieldMax, ']')) continue;
            const std::int32_t value = ParseCodePointField(codeField);

            std::string weightField;  // fresh: a failed read must not see the last line's
            if (!reader.ReadUntil(weightField, kFieldMax, ']')) return false;

            CollationEntry entry{};
            ParseWeightField(weightField, entry.weights, kMaxLevel);
            const auto bits = static_cast<std::uint32_t>(value);
            if ((bits >> 16) != 0) {
                const auto first = static_cast<std::int32_t>(bits >> 16);
                const auto second = static_cast<std::int32_t>(bits & 0xFFFF);
                if (!InRange(first)) continue;
                const int offset = first - kRangeFirst;
                const int slot = slotIndex_[offset] >= 0 ? slotIndex_[offset] : NewSlot(offset);
                entry.codePoint = second;
                if (InRange(second)) followerFlags_[second - kRangeFirst] = 1;
                entryLists_[static_cast<std::size_t>(slot)].push_back(entry);
            } else if (InRange(value)) {
                const int offset = value - kRangeFirst;
                if (slotIndex_[offset] >= 0) continue;  // the first line wins
                entry.codePoint = value;
                entryLists_[static_cast<std::size_t>(NewSlot(offset))].push_back(entry);
            } else if (value == kSpecialCodePoint) {
                specialCodePoint_ = kSpecialCodePoint;  // a later line replaces it
                std::memcpy(specialWeights_, entry.weights, sizeof specialWeights_);
            }
        }
    } catch (const IOException&) {
        // A file that ends inside a field or a line's tail: what was read stays.
        reader.Close();
    }
    return true;
}

std::int32_t CollationEngine::ParseHex(const std::string& field) {
    const std::size_t length = field.size();
    if (length == 0) return 0;
    // Build the place value in 4-bit steps: a single shift by 32 would be
    // undefined, and the format needs it to reach 0 for fields of nine bytes.
    std::uint32_t place = 1;
    for (std::size_t k = 1; k < length && place != 0; ++k) place <<= 4;

    std::uint32_t value = 0;
    for (const char byte : field) {
        if (byte >= '0' && byte <= '9') {
            value += static_cast<std::uint32_t>(byte - '0') * place;
        } else if (byte >= 'A' && byte <= 'F') {
            value += static_cast<std::uint32_t>(byte - 'A' + 10) * place;
        }
        if (place >= 16) place /= 16;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t CollationEngine::ParseCodePointField(const std::string& field) {
    // The first byte is the opening bracket (or whatever stands there) and
    // never counts; a comma there does not make a contraction.
    const std::size_t comma = field.find(',');
    if (comma != std::string::npos && comma >= 1) {
        const auto first = static_cast<std::uint32_t>(ParseHex(field.substr(1, comma - 1)));
        const auto second = static_cast<std::uint32_t>(ParseHex(field.substr(comma + 1)));
        return static_cast<std::int32_t>(((first & 0xFFFF) << 16) | second);
    }
    return field.size() > 1 ? ParseHex(field.substr(1)) : 0;
}

void CollationEngine::ParseWeightField(const std::string& field, std::int32_t* weights, int count) {
    std::size_t pos = 1;
    for (int i = 0; i < count; ++i) {
        if (pos >= field.size()) {
            weights[i] = 0;
            continue;
        }
        std::size_t end = field.find(',', pos);
        if (end == std::string::npos) end = field.size();
        weights[i] = ParseHex(field.substr(pos, end - pos));
        pos = end + 1;
    }
}

const EntryList* CollationEngine::EntriesOf(std::int32_t codePoint) const {
    if (!InRange(codePoint)) return nullptr;
    const std::int32_t slot = slotIndex_[codePoint - kRangeFirst];
    return slot < 0 ? nullptr : &entryLists_[static_cast<std::size_t>(slot)];
}

bool CollationEngine::IsFollower(std::int32_t codePoint) const {
    return InRange(codePoint) && followerFlags_[codePoint - kRangeFirst] != 0;
}

}  // namespace zabrelo
