#pragma once
#include <string>
#include <string_view>

namespace qb::setup {

// Whether an archive entry name can be placed as one file inside the
// destination folder and nowhere else: a plain file name with no directory
// part, drive, "." or "..", no character Windows refuses in names, and no
// device name (CON, NUL, COM1...) that would write to a device instead.
bool IsPlainFileName(std::string_view name);

// ASCII case folding, as the system compares file names.
std::string Folded(std::string_view text);

// The text after the last "\", "/" or ":".
std::string FileNamePart(std::string_view path);

// Extension with its dot, folded ("a.SCR" -> ".scr"); empty when none.
std::string FoldedExtension(std::string_view name);

}  // namespace qb::setup
