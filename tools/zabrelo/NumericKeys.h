// NumericKeys: the numbers of -n, -h and -g as byte strings whose unsigned
// byte order is the order of their values, so a numeric key joins the
// other parts of a line's key (LineKeys.h) and each line's numbers are read
// once, when its key is made.
//
// A number begins the key's text, after blanks. Its digits may be ASCII
// (0-9), Urdu (۰-۹) or Arabic-Indic (٠-٩), mixed at will; its decimal
// point is '.' or the Arabic decimal separator '٫'; the Arabic thousands
// separator '٬' may stand between digits; its sign is '-' or the minus
// sign U+2212, which a bidirectional mark (ALM, LRM, RLM) may precede, as
// Urdu text writes it. A text with no number reads as zero for -n and -h.
#ifndef ZABRELO_TOOL_NUMERICKEYS_H
#define ZABRELO_TOOL_NUMERICKEYS_H

#include <string>
#include <string_view>
#include <utility>

namespace zabrelo_tool {

/// -n: the number's value, with any number of digits; "-0", "0.0", "" and
/// "abc" are all zero.
void AppendNumeric(std::string_view text, std::string& out);

/// -h: by sign, then by the SI suffix that follows the number at once (none,
/// k or K, M, G, T, P, E, Z, Y, R, Q), then by value: "1023M" before "1G".
/// A zero has no suffix.
void AppendHumanNumeric(std::string_view text, std::string& out);

/// -g: the value as a floating-point number (C's strtold: "1e3", "0x10",
/// "inf", "nan"...): texts with no number first, then NaN, minus infinity,
/// the finite numbers (-0 and 0 equal), plus infinity.
void AppendGeneralNumeric(std::string_view text, std::string& out);

/// Where --debug marks the number that -n (`kind` 'n'), -h ('h', its
/// suffix included) or -g ('g') reads at the start of `text`: its bytes
/// [first, second), blanks before it left out; an empty span where the
/// number would begin when there is none.
std::pair<std::size_t, std::size_t> NumberSpan(std::string_view text, char kind);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_NUMERICKEYS_H
