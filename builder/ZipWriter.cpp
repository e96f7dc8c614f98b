#include "builder/ZipWriter.h"

#include "app/Errors.h"
#include "builder/EntryCompressor.h"
#include "builder/ZipDirectory.h"
#include "builder/ZipRecords.h"
#include "platform/File.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <set>

namespace qb {

namespace {

using zip::Entry;

std::string Folded(const std::string& name) {
    std::string f = name;
    for (char& c : f)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return f;
}

[[noreturn]] void NoRoom() { throw Exception("Not enough room to write archive"); }

// The archive being written: every write checked, the position tracked.
class Output {
public:
    explicit Output(const std::string& path) : path_(path), file_(File::Open(path, File::Mode::Create)) {
        if (!file_) throw Exception("Unable to create " + path);
    }
    void Write(std::span<const uint8_t> bytes) {
        if (!file_.Write(bytes)) NoRoom();
        position_ += bytes.size();
        if (position_ > std::numeric_limits<uint32_t>::max()) throw Exception("Archive too large");
    }
    // Rewrites bytes already written without moving the end.
    void Patch(uint64_t at, std::span<const uint8_t> bytes) {
        if (!file_.Flush() || !file_.Seek(at) || !file_.Write(bytes) || !file_.Flush() || !file_.Seek(position_))
            NoRoom();
    }
    uint32_t Position() const { return static_cast<uint32_t>(position_); }
    void Close() {
        if (!file_.Close()) NoRoom();
    }

private:
    std::string path_;
    File file_;
    uint64_t position_ = 0;
};

// Deletes the file in its destructor unless told it is finished.
class PartialFile {
public:
    explicit PartialFile(std::string path) : path_(std::move(path)) {}
    ~PartialFile() {
        if (!done_) fs::DeleteTree(path_);
    }
    void Keep() { done_ = true; }

private:
    std::string path_;
    bool done_ = false;
};

std::string UniqueTempName(const std::string& dir) {
    static std::atomic<unsigned> counter{0};
    for (unsigned i = 0; i < 10000; ++i) {
        std::string candidate = dir + "qbzip" + std::to_string(counter++) + ".tmp";
        if (!fs::FileExists(candidate)) return candidate;
    }
    throw Exception("No temporary file name left in " + dir);
}

std::string WithSeparator(const std::string& dir) {
    if (dir.empty() || dir.back() == '\\' || dir.back() == '/') return dir;
    return dir + (dir.find('\\') != std::string::npos ? "\\" : "/");
}

std::string TempDirFor(const std::string& tempPath) {
    if (!tempPath.empty() && fs::IsDirectory(tempPath)) return WithSeparator(tempPath);
    return WithSeparator(fs::TempDirectory());
}

}  // namespace

std::string ZipEntryName(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    std::replace(name.begin(), name.end(), '\\', '/');
    return fs::ToOemCharset(name);
}

int TZipWriter::Zip() {
    if (ZipName.find_first_not_of(" \t") == std::string::npos) return 0;
    CancelRequested = false;

    // Files that are not there now produce no entry at all.
    std::vector<std::string> files;
    for (const auto& f : FilesList)
        if (fs::StampOf(f)) files.push_back(f);

    const bool updating = fs::FileExists(ZipName);
    zip::Directory old;
    File oldArchive;
    std::vector<Entry> kept;
    if (updating) {
        oldArchive = File::Open(ZipName, File::Mode::Read);
        if (!oldArchive) throw Exception("Unable to open " + ZipName);
        old = zip::ReadDirectory(oldArchive);
        // Archive order: the entries as their data lies in the file.
        std::stable_sort(old.Entries.begin(), old.Entries.end(),
                         [](const Entry& a, const Entry& b) { return a.LocalOffset < b.LocalOffset; });
    }

    // Which old entries a listed file replaces, and which files stay out.
    std::vector<bool> replaced(old.Entries.size(), false);
    std::vector<std::string> toAdd;
    for (const auto& f : files) {
        const std::string name = Folded(ZipEntryName(f));
        auto match = std::find_if(old.Entries.begin(), old.Entries.end(),
                                  [&](const Entry& e) { return Folded(e.Name) == name; });
        if (match == old.Entries.end()) {
            if (ZipAction != TZipAction::zaFreshen) toAdd.push_back(f);
            continue;
        }
        const auto stamp = fs::StampOf(f);
        const uint32_t fileTime = static_cast<uint32_t>(stamp->DosDate) << 16 | stamp->DosTime;
        if (ZipAction == TZipAction::zaReplace || fileTime > match->DosStamp()) {
            replaced[static_cast<size_t>(match - old.Entries.begin())] = true;
            toAdd.push_back(f);
        }
    }

    const std::string target = updating ? UniqueTempName(TempDirFor(TempPath)) : ZipName;
    PartialFile partial(target);
    Output out(target);
    std::vector<Entry> written;
    std::set<std::string> names;

    // Kept entries travel byte for byte: header, name, extra, data and any
    // data descriptor, up to where the next entry (or the directory) starts.
    for (size_t i = 0; i < old.Entries.size(); ++i) {
        if (replaced[i]) continue;
        const Entry& e = old.Entries[i];
        const uint64_t end = i + 1 < old.Entries.size() ? old.Entries[i + 1].LocalOffset : old.DirectoryOffset;
        Entry copy = e;
        copy.LocalOffset = out.Position();
        if (!oldArchive.Seek(e.LocalOffset)) throw Exception("Unable to read " + ZipName);
        std::vector<uint8_t> buffer(8192);
        for (uint64_t left = end - e.LocalOffset; left > 0;) {
            buffer.resize(static_cast<size_t>(std::min<uint64_t>(left, 8192)));
            if (!oldArchive.ReadExact(buffer)) throw Exception("Unable to read " + ZipName);
            out.Write(buffer);
            left -= buffer.size();
        }
        names.insert(Folded(e.Name));
        written.push_back(std::move(copy));
    }

    int added = 0;
    for (const auto& path : toAdd) {
        const auto stamp = fs::StampOf(path);
        File in = File::Open(path, File::Mode::Read);
        if (!stamp || !in) continue;  // gone or locked since the list was made: skipped quietly
        if (stamp->Size > std::numeric_limits<uint32_t>::max()) throw Exception("File too large to zip: " + path);
        Entry e;
        e.Name = ZipEntryName(path);
        if (!names.insert(Folded(e.Name)).second) continue;  // the first of equally named files wins
        e.ExternalAttributes = stamp->Attributes;
        e.Time = stamp->DosTime;
        e.Date = stamp->DosDate;
        e.UncompressedSize = static_cast<uint32_t>(stamp->Size);
        e.LocalOffset = out.Position();
        e.InternalAttributes = 2;  // not known until the data has been seen
        out.Write(zip::EncodeLocalHeader(e));

        const auto pump = [this] {
            if (ProcessMessages) ProcessMessages();
            if (CancelRequested) throw Exception("User Aborted Operation");
        };
        const zip::CompressedData data =
            zip::CompressEntry(in, PackLevel, [&](std::span<const uint8_t> b) { out.Write(b); }, pump);
        if (data.UncompressedSize > std::numeric_limits<uint32_t>::max())
            throw Exception("File too large to zip: " + path);
        e.Method = data.Method;
        e.Flags = data.Flags;
        e.Crc = data.Crc;
        e.CompressedSize = static_cast<uint32_t>(data.CompressedSize);
        e.UncompressedSize = static_cast<uint32_t>(data.UncompressedSize);
        e.InternalAttributes = data.Text ? 1 : 0;
        out.Patch(e.LocalOffset, zip::EncodeLocalHeader(e));
        ++added;
        written.push_back(e);
        if (OnEndZip) OnEndZip(*this, path, e.UncompressedSize, e.CompressedSize, out.Position());
    }

    const uint32_t directoryOffset = out.Position();
    for (const Entry& e : written) out.Write(zip::EncodeCentralHeader(e));
    if (written.size() > 0xFFFF) throw Exception("Too many files for one archive");
    out.Write(zip::EncodeEndRecord(static_cast<uint16_t>(written.size()), out.Position() - directoryOffset,
                                   directoryOffset, old.Comment));
    out.Close();

    if (updating) {
        oldArchive = File();
        // The finished archive takes the old one's place; if it cannot, the
        // old archive stays and the new one is removed with the error.
        if (!fs::RenameOver(target, ZipName)) {
            if (!fs::CopyFileTo(target, ZipName))
                throw Exception("Could not copy from " + target + " -> " + ZipName);
            fs::DeleteTree(target);
        }
    }
    partial.Keep();
    return added;
}

}  // namespace qb
