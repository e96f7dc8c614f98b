#include "installer/Uninstaller.h"

#include "app/Errors.h"
#include "installer/EntryName.h"
#include "installer/Installer.h"
#include "installer/LocalFiles.h"

#include <algorithm>

namespace qb::setup {

namespace {

std::string Normalized(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return Folded(path);
}

}  // namespace

bool IsInside(const std::string& path, const std::string& directory) {
    const std::string p = Normalized(path);
    const std::string d = Normalized(WithTrailingSeparator(directory));
    if (d.size() < 2 || p.size() <= d.size() || p.compare(0, d.size(), d) != 0) return false;
    size_t at = d.size();
    while (at <= p.size()) {
        const size_t next = std::min(p.find('\\', at), p.size());
        if (!IsPlainFileName(std::string_view(p).substr(at, next - at))) return false;
        at = next + 1;
    }
    return true;
}

std::vector<std::string> RemoveInstalledFiles(const InstallLog& log, const std::string& logPath) {
    std::vector<std::string> left;
    for (auto f = log.Files.rbegin(); f != log.Files.rend(); ++f) {
        if (!IsInside(*f, log.Directory)) continue;
        if (!DeleteOneFile(*f)) left.push_back(*f);
    }
    if (left.empty()) {
        if (!DeleteOneFile(logPath)) left.push_back(logPath);
    } else {
        // What stays (a screensaver still running, say) stays on record, so
        // that running the uninstaller again can finish the job.
        InstallLog rest = log;
        rest.Files.assign(left.rbegin(), left.rend());
        try {
            WriteInstallLog(logPath, rest);
        } catch (const Exception&) {
        }
    }
    const std::string home = Normalized(WithTrailingSeparator(log.Directory));
    // Deepest first, whatever order installations over each other left behind.
    std::vector<std::string> directories = log.Directories;
    std::stable_sort(directories.begin(), directories.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const auto& d : directories) {
        // The installation folder, folders in it, and the parents setup made for it.
        const std::string n = Normalized(WithTrailingSeparator(d));
        if (IsInside(d, log.Directory) || home.compare(0, n.size(), n) == 0) RemoveEmptyDirectory(d);
    }
    return left;
}

}  // namespace qb::setup
