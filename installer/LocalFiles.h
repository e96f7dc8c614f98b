#pragma once
#include <string>

// The few file operations setup and uninstall need beyond platform/, with
// one implementation per platform.
namespace qb::setup {

// Converts an archive entry name from the OEM (DOS) code page, in which the
// archives store names, back to the system's ANSI code page.
std::string FromOemCharset(const std::string& name);

// Removes a directory only when it is empty; false otherwise.
bool RemoveEmptyDirectory(const std::string& path);

// Deletes one file (never a directory); true when it is gone afterwards.
bool DeleteOneFile(const std::string& path);

// Whether the byte starts a two-byte character in the system's code page.
bool IsLeadByte(unsigned char c);

// The separator the platform's paths use.
char PathSeparator();

}  // namespace qb::setup
