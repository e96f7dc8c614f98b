#include "installer/win/Registration.h"

#include "app/Errors.h"
#include "installer/EntryName.h"
#include "platform/ScreenSaverRegistration.h"

#include <windows.h>

#include <vector>

namespace qb::setup::win {

namespace {

constexpr char kKey[] = "SCRNSAVE.EXE";
constexpr char kDesktop[] = "Control Panel\\Desktop";

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (h_) RegCloseKey(h_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* Out() { return &h_; }
    HKEY Get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

bool SetString(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

std::string GetString(HKEY key, const char* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
    std::vector<char> buf(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
        return {};
    return buf.data();
}

bool NamesSaver(const std::string& value, const std::string& scrPath) {
    const std::string v = Folded(value);
    return !v.empty() && (v == Folded(scrPath) || v == Folded(ShortPath(scrPath)));
}

}  // namespace

// Setup registers the installed screensaver exactly as the editor registers itself.
std::string ShortPath(const std::string& path) { return qb::win::ShortPath(path); }

void RegisterScreenSaver(const std::string& scrPath) { qb::win::InstallScreenSaver(scrPath); }

void UnregisterScreenSaver(const std::string& scrPath) {
    bool ours = false;
    const std::string ini = qb::win::SystemIniPath();
    char value[MAX_PATH * 2] = {};
    GetPrivateProfileStringA("boot", kKey, "", value, sizeof value, ini.c_str());
    if (NamesSaver(value, scrPath)) {
        WritePrivateProfileStringA("boot", kKey, nullptr, ini.c_str());
        ours = true;
    }
    RegKey desktop;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktop, 0, KEY_ALL_ACCESS, desktop.Out()) == ERROR_SUCCESS &&
        NamesSaver(GetString(desktop.Get(), kKey), scrPath)) {
        RegDeleteValueA(desktop.Get(), kKey);
        ours = true;
    }
    if (ours) SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_SENDWININICHANGE);
}

void AddUninstallEntry(const InstallLog& log, const std::string& uninstaller) {
    RegKey key;
    const std::string path = std::string(kUninstallRoot) + log.UninstallKey;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr) !=
        ERROR_SUCCESS)
        throw Exception("Unable to create the registry key " + path);
    const DWORD one = 1;
    const bool ok = SetString(key.Get(), "DisplayName", log.Name + " (screensaver)") &&
                    SetString(key.Get(), "UninstallString", "\"" + uninstaller + "\"") &&
                    SetString(key.Get(), "QuietUninstallString", "\"" + uninstaller + "\" /S") &&
                    SetString(key.Get(), "InstallLocation", log.Directory) &&
                    SetString(key.Get(), "DisplayIcon", log.SaverPath) &&
                    RegSetValueExA(key.Get(), "NoModify", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                                   sizeof one) == ERROR_SUCCESS;
    if (!ok) throw Exception(FormatMessage1("Failed to set data for '%s'", "UninstallString"));
}

void RemoveUninstallEntry(const std::string& keyName) {
    if (keyName.empty()) return;
    RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kUninstallRoot) + keyName).c_str());
}

}  // namespace qb::setup::win
