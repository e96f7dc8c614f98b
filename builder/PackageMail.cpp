#include "builder/PackageMail.h"

#include "app/SaverUtils.h"
#include "builder/ZipWriter.h"
#include "platform/FileSystem.h"

namespace qb {

std::string MailArchivePath(const std::string& setupPath) {
    const std::string name = ExtractFileName(setupPath);
    const size_t dot = name.rfind('.');
    const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    return setupPath.substr(0, setupPath.size() - name.size()) + base + ".zip";
}

std::string ZipForMail(const std::string& setupPath) {
    if (!fs::FileExists(setupPath) || fs::IsDirectory(setupPath)) return {};
    TZipWriter zip;
    zip.ZipName = MailArchivePath(setupPath);
    zip.FilesList = {setupPath};
    zip.PackLevel = 8;
    zip.Zip();
    return zip.ZipName;
}

}  // namespace qb
