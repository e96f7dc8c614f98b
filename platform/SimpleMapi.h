#pragma once
#include <windows.h>

#include <string>

namespace qb::win {

// Opens the mail client's compose window with one attachment and a subject,
// no recipients and an empty body, for the user to finish and send. Answers
// the client's result, or 1 when no mail system is configured or installed.
unsigned long ComposeMailWithAttachment(HWND parent, const std::string& subject, const std::string& attachment);

}  // namespace qb::win
