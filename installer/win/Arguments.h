#pragma once
#include <string>
#include <vector>

// The switches setup and uninstall take: "/S" for silent, "/D=FOLDER" for
// the folder (the rest of that argument, spaces included).
namespace qb::setup::win {

struct Arguments {
    bool Silent = false;
    std::string Directory;            // ANSI
    std::vector<std::wstring> Others;  // everything else, in order
};

Arguments ParseArguments();

}  // namespace qb::setup::win
