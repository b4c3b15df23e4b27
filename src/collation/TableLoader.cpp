// TableLoader: the loader of the collation data file. The file's format is
// defined by the exact sequence of reads below (header, then per line: skip
// to line feed, code point field up to "]", weight field up to "]");
// existing tables rely on its quirks, so they stay: a line whose "]" is
// followed at once by a bare line feed makes the next skip read fail and
// costs the following line, lower-case hex reads as 0, the first line for a
// code point wins but the last one for U+200C.
#include "collation/TableLoader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "fileio/FileErrors.h"
#include "fileio/MemoryReader.h"
#include "zabrelo/VantorException.h"

namespace zabrelo {

namespace {

constexpr int kFieldMax = 512;  // longest field or line tail one read takes
constexpr int kHeaderMax = 3;   // the slot count has at most three hex digits
// About a millisecond of loading: a caller that may stop a load is asked this often.
constexpr unsigned kLinesBetweenStops = 4096;

bool InRange(std::int32_t c) {
    return c >= CollationTable::kRangeFirst && c < CollationTable::kRangeLimit;
}

// Tells an observer, when there is one, what the loader does. Line numbers
// come from counting the line feeds each read consumed, since the reader
// keeps no position. Every member returns at once without an observer.
class LoadReport {
public:
    explicit LoadReport(LoadObserver* observer) : observer_(observer) {}

    bool Active() const { return observer_ != nullptr; }
    int Line() const { return line_; }

    void Header(const std::string& bytes) {
        if (!observer_) return;
        for (const char byte : bytes) {
            if ((byte < '0' || byte > '9') && (byte < 'A' || byte > 'F')) {
                Add(LoadEventKind::kBadHeader, line_).field = bytes;
                break;
            }
        }
        Count(bytes);
    }
    // A skip read: true when it stored `bytes`. The read consumed its line
    // feed unless it stopped at the byte limit or the end of the file.
    void Skip(bool stored, const std::string& bytes, bool atEof) {
        if (!observer_) return;
        const int startLine = line_;
        if (stored && lostPending_) Add(LoadEventKind::kLineLost, startLine).field = bytes;
        lostPending_ = !stored;
        if (!atEof && (!stored || bytes.size() < static_cast<std::size_t>(kFieldMax))) ++line_;
    }
    void Field(const std::string& bytes, int which) {
        if (!observer_) return;
        const int startLine = line_;
        Count(bytes);
        // Text before a line feed inside a field is a line without its "]".
        const std::size_t lastFeed = bytes.rfind('\n');
        const std::size_t text = which == 0 ? bytes.find_first_not_of(" \t\r\n") : 0;
        if (lastFeed != std::string::npos && (which == 1 || text < lastFeed)) {
            const auto blankLines = std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(text), '\n');
            LoadEvent& event = Add(LoadEventKind::kFieldRunsOn, startLine + static_cast<int>(blankLines));
            event.level = which;
            event.detail = line_;
            event.field = bytes;
        }
        for (std::size_t k = 1; k < bytes.size(); ++k) {
            if (bytes[k] >= 'a' && bytes[k] <= 'f') {
                Add(LoadEventKind::kLowerCaseHex, line_).level = which;
                break;
            }
        }
    }
    // The code point field of the line being loaded: later events name it.
    void Record(std::int32_t codePoint, std::int32_t second, const std::string& field) {
        if (!observer_) return;
        codePoint_ = codePoint;
        second_ = second;
        field_ = field;
        recordLine_ = line_;
        // A lower-case digit reported before the code point was known gets it now.
        for (auto it = observer_->events.rbegin();
             it != observer_->events.rend() && it->line == line_ && it->kind == LoadEventKind::kLowerCaseHex;
             ++it) {
            it->codePoint = codePoint;
            it->second = second;
            it->field = field;
        }
    }
    void Weights(const std::int32_t* weights) {
        if (!observer_) return;
        for (int level = 0; level < CollationTable::kMaxLevel; ++level) {
            if (weights[level] < 0 || weights[level] > 0xFF) {
                LoadEvent& event = Add(LoadEventKind::kWideWeight, recordLine_);
                event.detail = weights[level];
                event.level = level + 1;
            }
        }
    }
    // Events about the line being loaded stay on its code point's line,
    // however many lines its weight field took in.
    void Event(LoadEventKind kind, std::int32_t detail = 0) {
        if (observer_) Add(kind, recordLine_).detail = detail;
    }

private:
    void Count(const std::string& bytes) {
        for (const char byte : bytes) line_ += byte == '\n' ? 1 : 0;
    }
    LoadEvent& Add(LoadEventKind kind, int line) {
        // The event that ends a failed load is always kept: it says where.
        if (observer_->events.size() >= LoadObserver::kMaxEvents && kind != LoadEventKind::kMissingWeights) {
            ++observer_->dropped;
            dropped_ = LoadEvent{kind, line, codePoint_, second_, 0, 0, std::string()};
            return dropped_;
        }
        observer_->events.push_back(LoadEvent{kind, line, codePoint_, second_, 0, 0, field_});
        return observer_->events.back();
    }

    LoadObserver* observer_;
    int line_ = 1;
    bool lostPending_ = false;
    std::int32_t codePoint_ = -1;
    std::int32_t second_ = -1;
    std::string field_;
    int recordLine_ = 1;
    LoadEvent dropped_{};  // where the members write an event that is not kept
};

}  // namespace

// However a load ends, its new table replaces the old one, with its
// per-unit entries derived from what was read.
template <class Load>
bool TableLoader::Replace(std::shared_ptr<const CollationTable>& table, TableOrder order, Load load) {
    auto fresh = std::make_shared<CollationTable>();
    fresh->order_ = order;
    struct Publish {
        std::shared_ptr<CollationTable>& fresh;
        std::shared_ptr<const CollationTable>& table;
        ~Publish() {
            fresh->Derive();
            table = std::move(fresh);
        }
    } publish{fresh, table};
    TableLoader loader(*fresh);
    loader.ResetTable(table.get());
    return load(loader);
}

bool TableLoader::Initialize(std::shared_ptr<const CollationTable>& table, const char* path,
                             LoadObserver* observer, TableOrder order) {
    if (path == nullptr || path[0] == '\0') return Initialize(table, path, FileBytes(), observer, nullptr, order);
    return Initialize(table, path, ReadRegularFile(path, kMaxTableBytes), observer, nullptr, order);
}

bool TableLoader::Initialize(std::shared_ptr<const CollationTable>& table, const char* path, const FileBytes& file,
                             LoadObserver* observer, const StopCheck* stop, TableOrder order) {
    return Replace(table, order, [&](TableLoader& loader) {
        if (path == nullptr || path[0] == '\0') ZABRELO_RAISE_IO(kOpenError, kInvalidFileName);
        if (file.outcome != FileRead::kRead) ZABRELO_RAISE_IO(kOpenError, CouldNotOpen(path));
        return loader.LoadTable(file.bytes.data(), file.bytes.size(), observer, stop);
    });
}

bool TableLoader::InitializeFromMemory(std::shared_ptr<const CollationTable>& table, const char* bytes,
                                       std::size_t size, LoadObserver* observer, const StopCheck* stop,
                                       TableOrder order) {
    return Replace(table, order, [&](TableLoader& loader) {
        return loader.LoadTable(bytes, size, observer, stop);
    });
}

void TableLoader::ResetTable(const CollationTable* previous) {
    // The special entry is deliberately kept: a table that defined U+200C
    // leaves it defined for the next load.
    if (previous == nullptr) return;
    table_.specialCodePoint_ = previous->specialCodePoint_;
    std::memcpy(table_.specialWeights_, previous->specialWeights_, sizeof table_.specialWeights_);
}

int TableLoader::NewSlot(int offset) {
    // A file may hand out more slots than its header announced; the table
    // grows for it rather than writing past the lists it allocated.
    const int slot = table_.handedOut_++;
    if (static_cast<std::size_t>(slot) >= table_.entryLists_.size()) table_.entryLists_.emplace_back();
    table_.slotIndex_[offset] = slot;
    return slot;
}

CollationTable::OtherUnit& TableLoader::OtherUnitOf(char16_t u) {
    std::uint16_t& page = table_.otherPageOf_[u >> 8];
    if (page == 0) {
        page = static_cast<std::uint16_t>(table_.otherPages_.size());
        table_.otherPages_.push_back(table_.otherPages_.front());
    }
    return table_.otherPages_[page].units[u & 0xFF];
}

bool TableLoader::AddElements(char16_t u, const std::string& weightField) {
    CollationTable::OtherUnit& unit = OtherUnitOf(u);
    if (unit.count != 0) return false;  // the first line wins
    // As many elements as the field has numbers, three to an element; the
    // field's length bounds them.
    const std::size_t numbers = 1 + static_cast<std::size_t>(std::count(weightField.begin(), weightField.end(), ','));
    const std::size_t count = std::max<std::size_t>(1, (numbers + 2) / 3);
    std::vector<std::int32_t> weights(3 * count);
    ParseWeightField(weightField, weights.data(), static_cast<int>(weights.size()));
    unit.first = static_cast<std::int32_t>(table_.elements_.size());
    unit.count = static_cast<std::uint16_t>(count);
    for (std::size_t e = 0; e < count; ++e)
        table_.elements_.push_back(CollationTable::Element{{weights[3 * e], weights[3 * e + 1], weights[3 * e + 2]}});
    return true;
}

namespace {

// Whether the full order reads a line for `u` outside the block: any BMP
// unit but the space, whose weight is fixed, U+200C, which has its own
// entry, and the surrogates, which are halves of characters.
bool OtherLineUnit(std::int32_t u) {
    return u > 0 && u <= 0xFFFF && u != 0x20 && u != CollationTable::kSpecialCodePoint && (u < 0xD800 || u > 0xDFFF) &&
           !(u >= CollationTable::kRangeFirst && u < CollationTable::kRangeLimit);
}

// Where each code point first stands in each slot's list, as the walk finds
// it, for telling a table's author which pairs can never match. Scanning the
// list for each pair instead would make a check of a table with many pairs of
// one letter take time in the square of their number.
class FirstEntries {
public:
    /// Notes that `codePoint` was appended to slot `slot`'s list at `index`.
    void Appended(int slot, std::int32_t codePoint, std::size_t index) {
        first_.emplace(Key(slot, codePoint), static_cast<std::int32_t>(index));  // an earlier entry stays
    }
    /// The index of the first entry of slot `slot` with `codePoint`, or -1.
    std::int32_t Find(int slot, std::int32_t codePoint) const {
        const auto found = first_.find(Key(slot, codePoint));
        return found == first_.end() ? -1 : found->second;
    }

private:
    static std::uint64_t Key(int slot, std::int32_t codePoint) {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(slot)) << 32) |
               static_cast<std::uint32_t>(codePoint);
    }
    std::unordered_map<std::uint64_t, std::int32_t> first_;
};

// Why a pair about to be appended to slot `slot`'s list, of `size` entries,
// can never be matched by the walk.
void ReportPair(const FirstEntries& entries, int slot, std::size_t size, std::int32_t second, LoadReport& report) {
    if (!InRange(second)) {
        report.Event(LoadEventKind::kFollowerOutOfRange);
        return;
    }
    // The walk takes the first entry of the list with this code point.
    const std::int32_t shadowing = entries.Find(slot, second);
    if (shadowing >= 0) {
        report.Event(LoadEventKind::kShadowed, shadowing);
        return;
    }
    report.Event(LoadEventKind::kContractionStored, static_cast<std::int32_t>(size));
}

}  // namespace

bool TableLoader::LoadTable(const char* bytes, std::size_t size, LoadObserver* observer, const StopCheck* stop) {
    MemoryReader reader(bytes, size);
    LoadReport report(observer);
    const bool full = table_.order_ == TableOrder::kFull;
    FirstEntries firstEntries;  // only filled for an observer

    std::string header;
    if (!reader.ReadUntil(header, kHeaderMax, '=')) return false;
    const std::int32_t slotCount = ParseHex(header);
    table_.slotCount_ = slotCount;
    report.Header(header);
    table_.entryLists_.assign(static_cast<std::size_t>(slotCount > 0 ? slotCount : 0), EntryList());
    const auto openSlot = [&](int offset) {
        const int slot = NewSlot(offset);
        if (slot >= slotCount) report.Event(LoadEventKind::kSlotOverflow, slot);
        return slot;
    };

    try {
        std::string tail, codeField;
        unsigned untilAsked = kLinesBetweenStops;
        while (!reader.IsEOF()) {
            if (stop != nullptr && --untilAsked == 0) {
                untilAsked = kLinesBetweenStops;
                if (stop->Asked()) throw LoadStopped();
            }
            const bool skipped = reader.ReadUntil(tail, kFieldMax, '\n');
            report.Skip(skipped, tail, reader.IsEOF());
            if (!skipped) continue;
            if (!reader.ReadUntil(codeField, kFieldMax, ']')) continue;
            report.Field(codeField, 0);
            const std::int32_t value = ParseCodePointField(codeField);
            const auto bits = static_cast<std::uint32_t>(value);
            const bool isPair = (bits >> 16) != 0;
            const auto first = static_cast<std::int32_t>(isPair ? bits >> 16 : bits);
            const auto second = static_cast<std::int32_t>(isPair ? bits & 0xFFFF : 0);
            report.Record(first, isPair ? second : -1, codeField);

            std::string weightField;  // fresh: a failed read must not see the last line's
            if (!reader.ReadUntil(weightField, kFieldMax, ']')) {
                report.Event(LoadEventKind::kMissingWeights);
                return false;  // line has no weight field
            }
            report.Field(weightField, 1);

            CollationEntry entry{};
            ParseWeightField(weightField, entry.weights, CollationTable::kMaxLevel);
            if (isPair) {
                if (full && OtherLineUnit(first)) {
                    // A pair that starts outside the block ends in it, as every pair does.
                    if (!InRange(second)) {
                        report.Event(LoadEventKind::kFollowerOutOfRange);
                        continue;
                    }
                    table_.followerFlags_[second - CollationTable::kRangeFirst] = 1;
                    OtherUnitOf(static_cast<char16_t>(first)).startsPair = 1;
                    table_.otherPairs_.push_back(CollationTable::OtherPair{
                        static_cast<char16_t>(first), static_cast<char16_t>(second),
                        CollationTable::Element{{entry.weights[0], entry.weights[1], entry.weights[2]}}});
                    report.Event(LoadEventKind::kContractionStored);
                    report.Weights(entry.weights);
                    continue;
                }
                if (!InRange(first)) {
                    report.Event(LoadEventKind::kOutOfRange);
                    continue;
                }
                const int offset = first - CollationTable::kRangeFirst;
                const int slot = table_.slotIndex_[offset] >= 0 ? table_.slotIndex_[offset] : openSlot(offset);
                EntryList& list = table_.entryLists_[static_cast<std::size_t>(slot)];
                entry.codePoint = second;
                if (InRange(second)) table_.followerFlags_[second - CollationTable::kRangeFirst] = 1;
                if (report.Active()) {
                    ReportPair(firstEntries, slot, list.size(), second, report);
                    firstEntries.Appended(slot, second, list.size());
                }
                report.Weights(entry.weights);
                list.push_back(entry);
            } else if (InRange(value)) {
                const int offset = value - CollationTable::kRangeFirst;
                if (table_.slotIndex_[offset] >= 0) {  // the first line wins
                    report.Event(LoadEventKind::kRepeated);
                    continue;
                }
                entry.codePoint = value;
                // The full order reads all of a field that gives more than one element.
                if (full && std::count(weightField.begin(), weightField.end(), ',') > 2)
                    AddElements(static_cast<char16_t>(value), weightField);
                const int slot = openSlot(offset);
                if (report.Active()) firstEntries.Appended(slot, value, 0);
                table_.entryLists_[static_cast<std::size_t>(slot)].push_back(entry);
                report.Event(LoadEventKind::kStored);
                report.Weights(entry.weights);
            } else if (value == CollationTable::kSpecialCodePoint) {
                table_.specialCodePoint_ = CollationTable::kSpecialCodePoint;  // a later line replaces it
                std::memcpy(table_.specialWeights_, entry.weights, sizeof table_.specialWeights_);
                report.Event(LoadEventKind::kSpecialStored);
                report.Weights(entry.weights);
            } else if (full && OtherLineUnit(value)) {
                report.Event(AddElements(static_cast<char16_t>(value), weightField) ? LoadEventKind::kStored
                                                                                   : LoadEventKind::kRepeated);
                report.Weights(entry.weights);
            } else {
                report.Event(LoadEventKind::kOutOfRange);
            }
        }
    } catch (const IOException&) {
        // A file that ends inside a field or a line's tail: what was read stays.
    }
    return true;
}

std::int32_t TableLoader::ParseHex(const std::string& field) {
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

std::int32_t TableLoader::ParseCodePointField(const std::string& field) {
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

void TableLoader::ParseWeightField(const std::string& field, std::int32_t* weights, int count) {
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

}  // namespace zabrelo
