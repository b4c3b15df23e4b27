// Utf8Keys: keys of UTF-8 text, through the one walk over its bytes.
#include "collation/Utf8Keys.h"

#include "collation/KeyWalk.h"
#include "collation/Utf8Walk.h"

namespace zabrelo {

std::size_t WriteUtf8Key(const CollationTable& table, const char* text, std::size_t size, int level,
                         unsigned char* out, std::size_t capacity) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    return WriteTextKey(table, Utf8Text{bytes, bytes + size}, level, out, capacity);
}

}  // namespace zabrelo
