#include "platform/File.h"

namespace qb {

File File::Open(const std::string& path, Mode mode) {
    const char* how = mode == Mode::Read ? "rb" : mode == Mode::ReadWrite ? "r+b" : "wb";
    File f;
    f.stream_.reset(std::fopen(path.c_str(), how));
    return f;
}

std::optional<uint64_t> File::Size() {
    auto here = Position();
    if (!here || std::fseek(stream_.get(), 0, SEEK_END) != 0) return std::nullopt;
    auto end = Position();
    if (!Seek(*here)) return std::nullopt;
    return end;
}

bool File::Seek(uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(stream_.get(), static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(stream_.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::optional<uint64_t> File::Position() {
#ifdef _WIN32
    __int64 p = _ftelli64(stream_.get());
#else
    off_t p = ftello(stream_.get());
#endif
    if (p < 0) return std::nullopt;
    return static_cast<uint64_t>(p);
}

size_t File::Read(std::span<uint8_t> buffer) {
    if (buffer.empty()) return 0;
    return std::fread(buffer.data(), 1, buffer.size(), stream_.get());
}

bool File::Write(std::span<const uint8_t> data) {
    if (data.empty()) return true;
    return std::fwrite(data.data(), 1, data.size(), stream_.get()) == data.size();
}

bool File::Flush() { return std::fflush(stream_.get()) == 0; }

bool File::Close() {
    if (!stream_) return false;
    bool ok = std::fflush(stream_.get()) == 0 && !std::ferror(stream_.get());
    ok = std::fclose(stream_.release()) == 0 && ok;
    return ok;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
    File f = File::Open(path, File::Mode::Read);
    if (!f) return std::nullopt;
    auto size = f.Size();
    if (!size) return std::nullopt;
    std::vector<uint8_t> data(static_cast<size_t>(*size));
    if (!f.ReadExact(data)) return std::nullopt;
    return data;
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> data) {
    File f = File::Open(path, File::Mode::Create);
    return f && f.Write(data) && f.Close();
}

}  // namespace qb
