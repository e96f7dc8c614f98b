// Arbitrary bytes as a setup file and as a bare archive: opening and reading
// every entry must end in data or in qb::Exception, never a crash, a hang or
// more bytes than an entry declares.
#include "app/Errors.h"
#include "installer/ArchiveReader.h"
#include "installer/SetupPackage.h"
#include "platform/File.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void ReadEverything(qb::setup::ArchiveReader& reader) {
    for (const auto& e : reader.Entries()) {
        uint64_t got = 0;
        try {
            reader.Extract(e, [&](std::span<const uint8_t> b) { got += b.size(); });
        } catch (const qb::Exception&) {
            continue;
        }
        if (got != e.UncompressedSize) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/qb-fuzz-setup-" + std::to_string(getpid()) + ".exe";
    if (!qb::WriteWholeFile(path, std::span<const uint8_t>(data, size))) return 0;
    try {
        qb::File f = qb::File::Open(path, qb::File::Mode::Read);
        qb::setup::ArchiveReader bare(f, 0, size);
        ReadEverything(bare);
    } catch (const qb::Exception&) {
    }
    try {
        qb::setup::SetupPackage package(path);
        ReadEverything(package.Archive());
        package.KindOf("a.swf");
        package.LanguageFile();
    } catch (const qb::Exception&) {
    }
    return 0;
}
