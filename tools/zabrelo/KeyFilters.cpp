// KeyFilters: folding and leaving out characters, unit by unit. A unit of a
// surrogate pair is never a letter of these tables: -d drops characters
// beyond the BMP (emoji, historic scripts), -i and -f keep them.
#include "KeyFilters.h"

#include <algorithm>

namespace zabrelo_tool {

char16_t FoldLatin(char16_t unit) {
    if (unit < 0x80) return unit >= 'a' && unit <= 'z' ? static_cast<char16_t>(unit - 0x20) : unit;
    if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) return static_cast<char16_t>(unit - 0x20);
    if (unit == 0xFF) return 0x178;
    if (unit < 0x100 || unit > 0x17F) return unit;
    // Latin Extended-A pairs upper and lower case side by side; where the
    // pairs start on an odd code point, the odd one is upper case.
    const bool oddUpper = (unit >= 0x139 && unit <= 0x148) || (unit >= 0x179 && unit <= 0x17E);
    if (unit == 0x131 || unit == 0x138 || unit == 0x149 || unit == 0x178 || unit == 0x17F) return unit;
    const bool lower = oddUpper ? unit % 2 == 0 : unit % 2 == 1;
    return lower ? static_cast<char16_t>(unit - 1) : unit;
}

bool IsDictionaryUnit(char16_t unit) {
    if (unit == ' ' || unit == '\t' || unit == '\n') return true;
    if (unit < 0x80) {
        return (unit >= '0' && unit <= '9') || (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z');
    }
    if (unit >= 0xC0 && unit <= 0x24F) return unit != 0xD7 && unit != 0xF7;  // Latin letters
    if (unit == 0x200C || unit == 0x200D) return true;                       // ZWNJ, ZWJ
    if (unit >= 0x0610 && unit <= 0x061A) return true;                       // marks
    if (unit >= 0x0620 && unit <= 0x06D3) return unit < 0x066A || unit > 0x066D;  // letters, marks, digits
    if (unit >= 0x06D5 && unit <= 0x06FF) return unit != 0x06DD && unit != 0x06DE && unit != 0x06E9 &&
                                                  unit != 0x06FD && unit != 0x06FE;
    if (unit >= 0x0750 && unit <= 0x077F) return true;  // Arabic Supplement letters
    if (unit >= 0x08A0 && unit <= 0x08FF) return unit != 0x08E2;
    if (unit >= 0xFB50 && unit <= 0xFDFF) return unit < 0xFD3E || unit > 0xFD4F;  // presentation forms
    if (unit >= 0xFE70 && unit <= 0xFEFC) return true;
    return false;
}

bool IsPrintingUnit(char16_t unit) { return !(unit < 0x20 || (unit >= 0x7F && unit <= 0x9F)); }

void FilterKeyText(const KeyRange& key, std::u16string& units) {
    if (key.ignore == KeyIgnore::kNonDictionary) {
        units.erase(std::remove_if(units.begin(), units.end(), [](char16_t u) { return !IsDictionaryUnit(u); }),
                    units.end());
    } else if (key.ignore == KeyIgnore::kNonPrinting) {
        units.erase(std::remove_if(units.begin(), units.end(), [](char16_t u) { return !IsPrintingUnit(u); }),
                    units.end());
    }
    if (key.fold) {
        for (char16_t& unit : units) unit = FoldLatin(unit);
    }
}

}  // namespace zabrelo_tool
