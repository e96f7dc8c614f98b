#include "platform/ScreenSaverRegistration.h"

#include "app/Errors.h"

#include <windows.h>

#include <vector>

namespace qb::win {

namespace {

const char kValue[] = "SCRNSAVE.EXE";
const char kDesktopKey[] = "Control Panel\\Desktop";

}  // namespace

std::string SystemIniPath() {
    char dir[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir, n <= MAX_PATH ? n : 0) + "\\system.ini";
}

std::string ShortPath(const std::string& path) {
    const DWORD needed = GetShortPathNameA(path.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::vector<char> buf(needed);
    const DWORD n = GetShortPathNameA(path.c_str(), buf.data(), needed);
    return n == 0 || n >= needed ? path : std::string(buf.data(), n);
}

void InstallScreenSaver(const std::string& executable) {
    const std::string shortPath = ShortPath(executable);
    const std::string ini = SystemIniPath();
    if (!WritePrivateProfileStringA("boot", kValue, shortPath.c_str(), ini.c_str()))
        throw Exception(FormatMessage1("Unable to write to %s", ini));

    // The key belongs to the user's profile; where it is missing nothing is created.
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        const LONG rc = RegSetValueExA(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(shortPath.c_str()),
                                       static_cast<DWORD>(shortPath.size() + 1));
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) throw Exception(FormatMessage1("Failed to set data for '%s'", kValue));
    }
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDWININICHANGE);
}

ScreenSaverSetting CurrentScreenSaver() {
    ScreenSaverSetting s;
    char buf[MAX_PATH * 2] = {};
    GetPrivateProfileStringA("boot", kValue, "", buf, sizeof buf, SystemIniPath().c_str());
    s.SystemIni = buf;
    DWORD size = sizeof buf;
    buf[0] = '\0';
    if (RegGetValueA(HKEY_CURRENT_USER, kDesktopKey, kValue, RRF_RT_REG_SZ, nullptr, buf, &size) == ERROR_SUCCESS)
        s.Registry = buf;
    return s;
}

}  // namespace qb::win
