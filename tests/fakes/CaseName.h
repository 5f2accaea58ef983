#pragma once
// Names of table cases for GoogleTest, so that ctest and a failure name the
// case rather than its bytes: the case's number and its text, reduced to
// the letters and digits a test name may hold.

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace quillon::test {

inline std::string caseName(std::size_t index, std::string_view text)
{
    std::string name = "n" + std::to_string(index) + "_";
    for (const char c : text.substr(0, 40))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

} // namespace quillon::test
