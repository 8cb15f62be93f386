// Search conditions as text, for the command line and scripts: the kind first, then the
// fields of its page as KEY=VALUE (docs/search-conditions.md has the whole syntax):
//
//   trigger
//   lin-error=B,S,mark ch=1
//   frame ch=2 id=0x123 data=11 ?? 3x p1 p1=0101xxxx
//   remote id=0x18FEF1xx
//   time=12:3*.**
//   ext=1
//
// formatSearchCondition writes every field that differs from the initial values, those of
// the other pages qualified ("frame.id=..."), so that parsing the text gives the condition back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "search/search_condition.h"

namespace zv {

struct ConditionTextError {
    size_t position = 0;   // 0-based index of the offending character (the text's size at its end)
    std::string expected;  // what was expected there, e.g. "a hexadecimal digit or x"
};

// The condition a text gives, starting from the initial values, or where and why it is wrong.
std::variant<SearchCondition, ConditionTextError> parseSearchCondition(std::string_view text);

// The text of a condition; for a condition the dialog can make (canonicalSearchCondition leaves
// it as it is) parsing the text gives it back.
std::string formatSearchCondition(const SearchCondition& condition);

// Two lines for a message: the text, and a caret under the offending character with the
// 1-based column and what was expected.
std::string describeConditionTextError(std::string_view text, const ConditionTextError& error);

}  // namespace zv
