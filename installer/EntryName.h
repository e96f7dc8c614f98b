#pragma once
#include <string>
#include <string_view>

namespace qb::setup {

// Whether an archive entry name can be placed as one file inside the
// destination folder and nowhere else: a plain file name with no directory
// part, drive, "." or "..", no character Windows refuses in names, and no
// device name (CON, NUL, COM1...) that would write to a device instead.
//
// In a double-byte code page (Chinese, Japanese...) the second byte of a
// character may equal "\\" or "|"; `isLeadByte` tells which bytes start such
// a pair, so that names in those languages are not refused.
bool IsPlainFileName(std::string_view name, bool (*isLeadByte)(unsigned char));
bool IsPlainFileName(std::string_view name);  // with the system's code page

// ASCII case folding, as the system compares file names.
std::string Folded(std::string_view text);

// The text after the last "\", "/" or ":".
std::string FileNamePart(std::string_view path);

// Extension with its dot, folded ("a.SCR" -> ".scr"); empty when none.
std::string FoldedExtension(std::string_view name);

}  // namespace qb::setup
