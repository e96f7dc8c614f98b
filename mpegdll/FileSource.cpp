#include "mpegdll/ByteSource.h"
#include "mpegdll/Mp3Error.h"
#include "platform/File.h"

namespace qb::mp3 {
namespace {

class FileSource final : public ByteSource {
public:
    explicit FileSource(File file) : file_(std::move(file)) {}
    size_t Read(std::span<uint8_t> buffer) override { return file_.Read(buffer); }
    bool Rewind() override { return file_.Seek(0); }
    std::optional<uint64_t> Size() override { return file_.Size(); }

private:
    File file_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path) {
    File f = File::Open(path, File::Mode::Read);
    if (!f) throw Mp3Error(ErrorCode::Input, "cannot open the input file");
    return std::make_unique<FileSource>(std::move(f));
}

}  // namespace qb::mp3
