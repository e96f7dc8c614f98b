#pragma once
#include <string>
#include <string_view>

namespace qb {

// Whether the file name ends in `ext` (with its dot), in any letter case.
bool HasExtension(std::string_view path, std::string_view ext);

}  // namespace qb
