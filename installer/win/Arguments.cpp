#include "installer/win/Arguments.h"

#include "installer/win/WinText.h"

#include <windows.h>
#include <shellapi.h>

namespace qb::setup::win {

Arguments ParseArguments() {
    Arguments a;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return a;
    for (int i = 1; i < count; ++i) {
        const std::wstring arg = argv[i];
        if (_wcsicmp(arg.c_str(), L"/S") == 0)
            a.Silent = true;
        else if (arg.size() >= 3 && _wcsnicmp(arg.c_str(), L"/D=", 3) == 0)
            a.Directory = ToAnsi(arg.substr(3));
        else
            a.Others.push_back(arg);
    }
    LocalFree(argv);
    return a;
}

}  // namespace qb::setup::win
