// The shared resource id headers, as text built into the test, parsed into their #define
// lines. Lets the tests walk every id a header defines.
#pragma once

#include <string>
#include <vector>

namespace zv::wintest {

struct IdDefinition {
    std::string header;  // file name, e.g. "string_ids.h"
    std::string name;    // e.g. "IDS_APP_TITLE"
    long value = 0;
    std::string comment;  // the text after "//" on its line, if any
};

struct IdHeaderText {
    const char* name;
    const char* text;
};

// Every "#define NAME NUMBER" of the text (decimal or 0x hexadecimal); include guards and
// other macros without a number are skipped. A NUMBER that does not parse is reported in
// errors.
std::vector<IdDefinition> parseIdHeader(const std::string& header, const std::string& text,
                                        std::vector<std::string>& errors);

// All shared headers, as built into the test.
const std::vector<IdHeaderText>& idHeaderTexts();
std::vector<IdDefinition> allIds(std::vector<std::string>& errors);

bool startsWith(const std::string& s, const char* prefix);
bool endsWith(const std::string& s, const char* suffix);

}  // namespace zv::wintest
