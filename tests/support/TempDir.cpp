#include "tests/support/TempDir.h"

#include "platform/File.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <chrono>
#include <stdexcept>

#ifdef _WIN32
#include <process.h>
#define QB_GETPID _getpid
#else
#include <unistd.h>
#define QB_GETPID getpid
#endif

namespace qb::test {

namespace {
std::string Separator(const std::string& dir) {
    return dir.find('\\') != std::string::npos ? "\\" : "/";
}
}  // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::string base = fs::TempDirectory();
    if (base.empty()) throw std::runtime_error("no temporary directory");
    const std::string sep = Separator(base);
    if (base.back() != '\\' && base.back() != '/') base += sep;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = base + "qbtest-" + std::to_string(QB_GETPID()) + "-" +
                                std::to_string(stamp % 1000000) + "-" + std::to_string(counter++);
        if (fs::MakeDirectory(candidate)) {
            path_ = candidate + sep;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory in " + base);
}

TempDir::~TempDir() {
    if (!path_.empty()) fs::DeleteTree(path_.substr(0, path_.size() - 1));
}

std::string TempDir::Write(const std::string& name, std::span<const uint8_t> bytes) const {
    std::string p = File(name);
    if (!WriteWholeFile(p, bytes)) throw std::runtime_error("cannot write " + p);
    return p;
}

std::string TempDir::Write(const std::string& name, const std::string& text) const {
    return Write(name, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    auto data = ReadWholeFile(path);
    if (!data) throw std::runtime_error("cannot read " + path);
    return *data;
}

std::string ReadText(const std::string& path) {
    auto data = ReadBytes(path);
    return std::string(data.begin(), data.end());
}

}  // namespace qb::test
