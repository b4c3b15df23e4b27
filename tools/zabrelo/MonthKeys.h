// MonthKeys: the month of -M. After blanks, a key that begins with the
// English abbreviation of a month (JAN ... DEC, in any case: "January"
// too) or with the Urdu name of a Gregorian month (جنوری ... دسمبر) is that
// month; any other key comes before January. The Urdu names are matched
// whether their yeh and kaf are Urdu's (ی ک) or Arabic's (ي ى ك).
#ifndef ZABRELO_TOOL_MONTHKEYS_H
#define ZABRELO_TOOL_MONTHKEYS_H

#include <string_view>

namespace zabrelo_tool {

/// 1 to 12 for January to December, 0 for a key that names none.
int MonthOf(std::string_view text);

/// The length in bytes of the month name MonthOf found, blanks before it
/// included; 0 for none.
std::size_t MonthLength(std::string_view text);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_MONTHKEYS_H
