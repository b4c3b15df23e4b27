// VersionKeys: the order of -V (version numbers within text: "file2" before
// "file10", "1.9" before "1.10") as a byte string, so that it joins a line's
// key like any other part.
//
// The order is sort's: hidden names ("." then ".." then the rest beginning
// with '.') come before all others; names are compared first without their
// file suffixes (a run like ".tar.gz" at the end: '.', a letter or '~',
// then letters, digits or '~'), then whole. Each is a run of non-digits and
// a run of digits in turn: non-digits byte by byte, letters before other
// bytes and '~' before anything, even the end; digits by their value.
//
// Every position turns into a token (a byte, or two for a byte that is no
// letter), so that wherever two texts first differ their tokens decide: '~', the end of a run of non-digits
// before zeros and '~', the end of the text, the same before zeros and
// anything else, the end before a number (then its length in four bytes
// and its digits without leading zeros), a letter, any other byte.
#ifndef ZABRELO_TOOL_VERSIONKEYS_H
#define ZABRELO_TOOL_VERSIONKEYS_H

#include <string>
#include <string_view>

namespace zabrelo_tool {

/// Appends the version key of `text` (bytes, taken one by one).
void AppendVersion(std::string_view text, std::string& out);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_VERSIONKEYS_H
