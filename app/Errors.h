#pragma once
#include <stdexcept>
#include <string>

namespace qb {

// The general error of the program: its text is what the user sees in the
// error box ("Unable to write to C:\...").
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// Replaces the first "%s" of a message template by the argument.
inline std::string FormatMessage1(std::string pattern, const std::string& arg) {
    auto at = pattern.find("%s");
    if (at != std::string::npos) pattern.replace(at, 2, arg);
    return pattern;
}

}  // namespace qb
