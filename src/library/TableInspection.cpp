// TableInspection: a load with an observer; whether a table weighs a
// letter asks the keys unit by unit until one weighs. The order breaks are
// found from keys too, so they hold for whatever the walk makes of a line
// (expansions, rewritten units, pairs) and never disagree with a real key.
#include "library/TableInspection.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "collation/CollationKeys.h"
#include "collation/CollationTable.h"
#include "collation/TableLoader.h"
#include "fileio/RegularFile.h"

namespace zabrelo {

namespace {

// `keyLength(unit)`: the length of the level-3 key of the one-unit text.
// Only units of the table's range and its special code point can take
// weights from a table (the space weighs without one), so only they are
// asked: a file that is no table, the usual case here, is told in a few
// hundred keys rather than 65536.
template <class KeyLength>
bool AnyUnitButTheSpaceWeighs(KeyLength keyLength) {
    for (std::int32_t u = CollationTable::kRangeFirst; u < CollationTable::kRangeLimit; ++u) {
        if (keyLength(static_cast<char16_t>(u)) != 0) return true;
    }
    return keyLength(static_cast<char16_t>(CollationTable::kSpecialCodePoint)) != 0;
}

}  // namespace

namespace {

constexpr int kSpacePrimary = 0x41;

// A unit or pair the table weighs, with its key cut into level strings.
struct Weighed {
    std::u16string text;
    int line;
    std::string levels[3];
};

bool Weigh(const CollationTable& table, Weighed& weighed) {
    const std::u16string& text = weighed.text;
    const std::string key = BuildKey(table, text.data(), text.size(), 3);
    if (key.empty()) return false;
    const std::size_t one = WriteKey(table, text.data(), text.size(), 1, nullptr, 0);
    const std::size_t two = WriteKey(table, text.data(), text.size(), 2, nullptr, 0);
    weighed.levels[0] = key.substr(0, one);
    weighed.levels[1] = key.substr(one, two - one);
    weighed.levels[2] = key.substr(two);
    return true;
}

int Byte(char c) { return static_cast<unsigned char>(c); }

// Every text the table gives weights: each unit alone but the space (whose
// weight is fixed) and the surrogates, then each pair the load stored.
std::vector<Weighed> EveryWeighed(const CollationTable& table, const std::vector<LoadEvent>& events) {
    std::map<std::u16string, int> lines;
    std::vector<std::u16string> pairs;
    std::set<int> ranOn;  // weights read on from the next line: that line's report says so
    for (const LoadEvent& e : events) {
        if (e.kind == LoadEventKind::kFieldRunsOn && e.level == 1) ranOn.insert(e.line);
        if (e.kind == LoadEventKind::kStored || e.kind == LoadEventKind::kSpecialStored) {
            lines[std::u16string(1, static_cast<char16_t>(e.codePoint))] = e.line;  // U+200C: the last line wins
        } else if (e.kind == LoadEventKind::kContractionStored) {
            const std::u16string pair{static_cast<char16_t>(e.codePoint), static_cast<char16_t>(e.second)};
            if (lines.emplace(pair, e.line).second) pairs.push_back(pair);
        }
    }
    std::vector<Weighed> weighed;
    const auto add = [&](const std::u16string& text) {
        Weighed w{text, 0, {}};
        const auto line = lines.find(text);
        if (line != lines.end()) w.line = line->second;
        if (ranOn.count(w.line) == 0 && Weigh(table, w)) weighed.push_back(std::move(w));
    };
    for (std::int32_t u = 1; u <= 0xFFFF; ++u) {
        if (u != u' ' && (u < 0xD800 || u > 0xDFFF)) add(std::u16string(1, static_cast<char16_t>(u)));
    }
    for (const std::u16string& pair : pairs) add(pair);
    // The author looks for a finding at its line: texts of the file's lines first, in file order.
    std::stable_sort(weighed.begin(), weighed.end(), [](const Weighed& a, const Weighed& b) {
        return (a.line == 0 ? INT_MAX : a.line) < (b.line == 0 ? INT_MAX : b.line);
    });
    return weighed;
}

// `first` ought to sort before `second`: whether its key is larger instead.
bool SortsAfter(const CollationTable& table, const std::u16string& first, const std::u16string& second) {
    return CompareKeys(table, first.data(), first.size(), second.data(), second.size(), 3) > 0;
}

// Records the first of the texts `candidates` offers that shows the break.
template <class Candidates>
void FindExample(const CollationTable& table, OrderBreak& found, Candidates candidates) {
    for (const auto& [first, second] : candidates) {
        if (SortsAfter(table, first, second)) {
            found.first = first;
            found.second = second;
            return;
        }
    }
}

}  // namespace

std::vector<OrderBreak> FindOrderBreaks(const CollationTable& table, const std::vector<LoadEvent>& events) {
    const std::vector<Weighed> weighed = EveryWeighed(table, events);
    const Weighed* lowest = nullptr;       // the text with the lowest primary
    const Weighed* letter = nullptr;       // the first text with all its primaries above the space's
    int lowestPrimary = 0x100;
    for (const Weighed& w : weighed) {
        for (const char c : w.levels[0]) {
            if (Byte(c) < lowestPrimary) lowestPrimary = Byte(c), lowest = &w;
        }
        const std::string& p = w.levels[0];
        if (!letter && !p.empty() && std::all_of(p.begin(), p.end(), [](char c) { return Byte(c) > kSpacePrimary; }))
            letter = &w;
    }

    std::vector<OrderBreak> breaks;
    const auto note = [&](OrderBreak::Kind kind, int level, int weight, const Weighed& w) -> OrderBreak* {
        for (OrderBreak& b : breaks) {
            if (b.kind == kind && b.level == level) {
                ++b.count;
                return nullptr;
            }
        }
        breaks.push_back(OrderBreak{kind, level, weight, w.text, w.line, 1, 0, {}, {}, {}});
        return &breaks.back();
    };

    for (const Weighed& w : weighed) {
        // A unit may weigh exactly as a space (the no-break space does).
        const bool asSpace = w.levels[0] == std::string(1, static_cast<char>(kSpacePrimary)) &&
                             w.levels[1].empty() && w.levels[2].empty();
        for (const char c : w.levels[0]) {
            if (Byte(c) > kSpacePrimary || asSpace) continue;
            if (OrderBreak* b = note(OrderBreak::Kind::kPrimaryNotAboveSpace, 1, Byte(c), w)) {
                // Two words should sort before one longer word that starts the same.
                std::vector<std::pair<std::u16string, std::u16string>> tries{{w.text + u" " + w.text, w.text + w.text}};
                if (letter) tries.emplace_back(letter->text + u" " + letter->text, letter->text + w.text);
                FindExample(table, *b, tries);
            }
            break;
        }
        for (int level = 2; level <= 3; ++level) {
            for (const char c : w.levels[level - 1]) {
                const int bound = std::min(lowestPrimary, kSpacePrimary);
                if (Byte(c) < bound) continue;
                if (OrderBreak* b = note(OrderBreak::Kind::kBelowPrimaries, level, Byte(c), w)) {
                    const bool belowLowest = lowest && Byte(c) >= lowestPrimary;
                    b->bound = belowLowest ? lowestPrimary : kSpacePrimary;
                    if (belowLowest) b->boundText = lowest->text;
                    // A text should sort before a longer one it starts.
                    std::vector<std::pair<std::u16string, std::u16string>> tries;
                    for (const std::u16string& next : {w.text, lowest ? lowest->text : w.text, std::u16string(u" ")}) {
                        tries.emplace_back(w.text, w.text + next);
                        if (w.levels[0].empty()) tries.emplace_back(w.text, next);
                    }
                    FindExample(table, *b, tries);
                }
                break;
            }
        }
    }
    return breaks;
}

TableInspection InspectTable(const char* path, TableOrder order) {
    std::shared_ptr<const CollationTable> table;
    LoadObserver observer;
    TableInspection inspection;
    const bool named = path != nullptr && path[0] != '\0';
    const FileBytes file = named ? ReadRegularFile(path, TableLoader::kMaxTableBytes) : FileBytes();
    inspection.loaded = TableLoader::Initialize(table, path, file, &observer, nullptr, order);
    inspection.events = std::move(observer.events);
    inspection.droppedEvents = observer.dropped;
    inspection.announcedSlots = table->AnnouncedSlots();
    inspection.handedOutSlots = table->HandedOutSlots();
    inspection.definesNonJoiner = table->HasSpecial();
    inspection.weighsALetter = WeighsALetter(*table);
    inspection.orderBreaks = FindOrderBreaks(*table, inspection.events);
    return inspection;
}

bool WeighsALetter(const CollationTable& table) {
    return AnyUnitButTheSpaceWeighs([&table](char16_t unit) { return WriteKey(table, &unit, 1, 3, nullptr, 0); });
}

bool WeighsALetter(const ZabreloLib& lib) {
    return AnyUnitButTheSpaceWeighs(
        [&lib](char16_t unit) { return lib.GetCollationKey(std::u16string(1, unit), 3).size(); });
}

UnweighedUnits UnweighedUnitsOf(const ZabreloLib& lib) {
    return UnweighedUnits::FromKeyLengths(
        [&lib](char16_t unit, int level) { return lib.GetCollationKey(std::u16string(1, unit), level).size(); });
}

}  // namespace zabrelo
