// TextUnits: a text as the library reads it, UTF-16 units. Python keeps a
// str at one, two or four bytes a character; at two bytes (every str whose
// widest character is in the BMP beyond U+00FF, Urdu text among them) the
// characters already are UTF-16 units and are read in place. The other two
// are widened into a caller's buffer, characters beyond the BMP as surrogate
// pairs. A lone surrogate in a str passes as the unit it is.
//
// Nothing here touches Python objects: the caller takes a TextRef from a
// str while it holds the GIL and keeps the str alive; the conversion may
// then run on any thread.
#ifndef ZABRELO_PYTHON_TEXTUNITS_H
#define ZABRELO_PYTHON_TEXTUNITS_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace zabrelo_python {

struct TextRef {
    const void* data;    // the str's characters
    std::size_t length;  // in characters
    unsigned kind;       // bytes per character: 1, 2 or 4
};

/// How many UTF-16 units `text` takes.
std::size_t Utf16Length(const TextRef& text);

/// Writes the Utf16Length(text) units of `text` to `out`.
void WriteUtf16(const TextRef& text, char16_t* out);

/// The units of `text`: in place when it is stored two bytes a character,
/// else widened into `scratch`. `count` receives their number.
inline const char16_t* Utf16Units(const TextRef& text, std::u16string& scratch, std::size_t& count) {
    if (text.kind == 2) {
        count = text.length;
        // The str's storage is uint16_t; char16_t has the same size and
        // representation, and the units are only read.
        return static_cast<const char16_t*>(text.data);
    }
    count = Utf16Length(text);
    scratch.resize(count);
    WriteUtf16(text, &scratch[0]);
    return scratch.data();
}

/// The units of one text for one call: in place, or widened on the stack
/// when short, so a call on a short text allocates nothing.
class Utf16Text {
public:
    explicit Utf16Text(const TextRef& text) {
        if (text.kind == 2) {
            units_ = static_cast<const char16_t*>(text.data);
            count_ = text.length;
            return;
        }
        count_ = Utf16Length(text);
        char16_t* out = stack_;
        if (count_ > kStackUnits) {
            heap_.resize(count_);
            out = &heap_[0];
        }
        WriteUtf16(text, out);
        units_ = out;
    }
    Utf16Text(const Utf16Text&) = delete;
    Utf16Text& operator=(const Utf16Text&) = delete;

    const char16_t* Units() const { return units_; }
    std::size_t Count() const { return count_; }

private:
    static constexpr std::size_t kStackUnits = 512;
    char16_t stack_[kStackUnits];
    std::u16string heap_;
    const char16_t* units_;
    std::size_t count_;
};

}  // namespace zabrelo_python

#endif  // ZABRELO_PYTHON_TEXTUNITS_H
