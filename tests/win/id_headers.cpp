#include "id_headers.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace zv::wintest {

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool endsWith(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

std::vector<IdDefinition> parseIdHeader(const std::string& header, const std::string& text,
                                        std::vector<std::string>& errors) {
    std::vector<IdDefinition> ids;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string directive, name, value;
        if (!(words >> directive) || directive != "#define") continue;
        if (!(words >> name) || name.find('(') != std::string::npos) continue;
        if (!(words >> value) || startsWith(value, "//")) continue;  // an include guard
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 0);
        if (end == value.c_str() || *end != '\0') {
            errors.push_back(header + ": " + name + " = '" + value + "' is not a number");
            continue;
        }
        const size_t slashes = line.find("//");
        std::string comment = slashes == std::string::npos ? "" : line.substr(slashes + 2);
        comment.erase(0, comment.find_first_not_of(' '));
        ids.push_back({header, name, number, comment});
    }
    return ids;
}

const std::vector<IdHeaderText>& idHeaderTexts() {
    static const std::vector<IdHeaderText> texts{
#include "id_headers.inc"
    };
    return texts;
}

std::vector<IdDefinition> allIds(std::vector<std::string>& errors) {
    std::vector<IdDefinition> ids;
    for (const auto& header : idHeaderTexts()) {
        auto more = parseIdHeader(header.name, header.text, errors);
        ids.insert(ids.end(), more.begin(), more.end());
    }
    return ids;
}

}  // namespace zv::wintest
