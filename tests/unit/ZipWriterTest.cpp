// Archives are checked three ways: field by field against the record layout,
// by reading the data back, and (natively) by Debian's unzip and Python's zipfile.
#include "builder/ZipRecords.h"
#include "builder/ZipWriter.h"
#include "app/Errors.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace qb {
namespace {

using Bytes = std::vector<uint8_t>;
using test::TempDir;

struct Parsed {
    struct Item {
        zip::Entry central;
        uint16_t localFlags, localMethod;
        uint32_t localCrc, localCompressed;
        Bytes data;
    };
    std::vector<Item> items;
    uint16_t entriesHere = 0, entriesTotal = 0;
    std::string comment;
};

// Reads an archive the strict way: every offset must land on its signature.
Parsed ParseArchive(const Bytes& a) {
    Parsed p;
    size_t end = a.size() - zip::kEndRecordSize;
    while (zip::ReadU32(a, end) != zip::kEndSignature) --end;
    p.entriesHere = zip::ReadU16(a, end + zip::endrec::EntriesHere);
    p.entriesTotal = zip::ReadU16(a, end + zip::endrec::EntriesTotal);
    size_t at = zip::ReadU32(a, end + zip::endrec::DirectoryOffset);
    const size_t dirEnd = at + zip::ReadU32(a, end + zip::endrec::DirectorySize);
    EXPECT_EQ(dirEnd, end);
    p.comment.assign(a.begin() + static_cast<long>(end) + 22, a.end());
    while (at < dirEnd) {
        EXPECT_EQ(zip::ReadU32(a, at), zip::kCentralSignature);
        Parsed::Item it;
        auto& e = it.central;
        e.MadeBy = zip::ReadU16(a, at + zip::central::MadeBy);
        e.Needed = zip::ReadU16(a, at + zip::central::Needed);
        e.Flags = zip::ReadU16(a, at + zip::central::Flags);
        e.Method = zip::ReadU16(a, at + zip::central::Method);
        e.Crc = zip::ReadU32(a, at + zip::central::Crc);
        e.CompressedSize = zip::ReadU32(a, at + zip::central::Compressed);
        e.UncompressedSize = zip::ReadU32(a, at + zip::central::Uncompressed);
        e.InternalAttributes = zip::ReadU16(a, at + zip::central::InternalAttributes);
        e.ExternalAttributes = zip::ReadU32(a, at + zip::central::ExternalAttributes);
        e.LocalOffset = zip::ReadU32(a, at + zip::central::LocalOffset);
        const size_t n = zip::ReadU16(a, at + zip::central::NameLength);
        e.Name.assign(a.begin() + static_cast<long>(at) + 46, a.begin() + static_cast<long>(at + 46 + n));
        const size_t lo = e.LocalOffset;
        EXPECT_EQ(zip::ReadU32(a, lo), zip::kLocalSignature) << e.Name;
        it.localFlags = zip::ReadU16(a, lo + zip::local::Flags);
        it.localMethod = zip::ReadU16(a, lo + zip::local::Method);
        it.localCrc = zip::ReadU32(a, lo + zip::local::Crc);
        it.localCompressed = zip::ReadU32(a, lo + zip::local::Compressed);
        EXPECT_EQ(zip::ReadU16(a, lo + zip::local::ExtraLength), 0);
        const size_t data = lo + 30 + zip::ReadU16(a, lo + zip::local::NameLength);
        it.data.assign(a.begin() + static_cast<long>(data), a.begin() + static_cast<long>(data + e.CompressedSize));
        p.items.push_back(std::move(it));
        at += 46 + n + zip::ReadU16(a, at + zip::central::ExtraLength) + zip::ReadU16(a, at + zip::central::CommentLength);
    }
    return p;
}

Bytes Inflate(const Parsed::Item& it) {
    if (it.central.Method == 0) return it.data;
    Bytes out(it.central.UncompressedSize);
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(it.data.data());
    z.avail_in = static_cast<uInt>(it.data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    inflateEnd(&z);
    return out;
}

uint32_t Crc(const Bytes& b) { return static_cast<uint32_t>(crc32(0, b.data(), static_cast<uInt>(b.size()))); }

Bytes RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

std::string Text(size_t n) {
    std::string s;
    while (s.size() < n) s += "The screensaver plays one movie after another.\r\n";
    s.resize(n);
    return s;
}

#ifndef _WIN32
// Debian's unzip and Python's zipfile must both accept the archive and find
// each file's bytes.
void CheckWithRealReaders(const std::string& archive) {
    EXPECT_EQ(std::system(("unzip -tqq '" + archive + "' >/dev/null").c_str()), 0) << archive;
    std::string cmd = "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                      "sys.exit(0 if z.testzip() is None else 1)\" '" + archive + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << archive;
}
#else
void CheckWithRealReaders(const std::string&) {}
#endif

void SetTime(const std::string& path, int secondsFromNow) {
    namespace sfs = std::filesystem;
    sfs::last_write_time(path, sfs::file_time_type::clock::now() + std::chrono::seconds(secondsFromNow));
}

TEST(ZipWriter, NewArchiveFollowsTheRecordLayout) {
    TempDir dir;
    const Bytes random = RandomBytes(200, 1);
    const std::string text = Text(5000);
    const Bytes big = [] {  // several blocks: both compressible and not
        Bytes b = RandomBytes(150000, 2);
        for (size_t i = 0; i < b.size(); i += 3) b[i] = 'a';
        return b;
    }();
    std::vector<std::string> files = {dir.Write("random.bin", random), dir.Write("notes.txt", text),
                                      dir.Write("empty.dat", std::string()), dir.Write("big.swf", big),
                                      dir.File("missing.swf")};
    TZipWriter z;
    z.ZipName = dir.File("out.zip");
    z.FilesList = files;
    z.PackLevel = 8;
    std::vector<std::pair<std::string, uint32_t>> events;
    z.OnEndZip = [&](TZipWriter&, const std::string& f, uint32_t, uint32_t, uint32_t size) {
        events.emplace_back(f, size);
    };
    EXPECT_EQ(z.Zip(), 4);

    ASSERT_EQ(events.size(), 4u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(events[i].first, files[i]);
    for (size_t i = 1; i < 4; ++i) EXPECT_GT(events[i].second, events[i - 1].second);

    const Bytes archive = test::ReadBytes(z.ZipName);
    const Parsed p = ParseArchive(archive);
    EXPECT_EQ(p.entriesHere, 4);
    EXPECT_EQ(p.entriesTotal, 4);
    ASSERT_EQ(p.items.size(), 4u);

    struct Expect {
        const char* name;
        uint16_t method;
        uint16_t internal;
        Bytes content;
    };
    const Expect expect[] = {{"random.bin", 0, 0, random},
                             {"notes.txt", 8, 1, Bytes(text.begin(), text.end())},
                             {"empty.dat", 0, 1, {}},
                             {"big.swf", 8, 0, big}};
    for (size_t i = 0; i < 4; ++i) {
        const auto& it = p.items[i];
        SCOPED_TRACE(expect[i].name);
        EXPECT_EQ(it.central.Name, expect[i].name);
        EXPECT_EQ(it.central.MadeBy, 20);
        EXPECT_EQ(it.central.Needed, 20);
        EXPECT_EQ(it.central.Flags, 2);  // level 8, even where the data ended up stored
        EXPECT_EQ(it.central.Method, expect[i].method);
        EXPECT_EQ(it.central.InternalAttributes, expect[i].internal);
        EXPECT_EQ(it.central.Crc, Crc(expect[i].content));
        EXPECT_EQ(it.central.UncompressedSize, expect[i].content.size());
        EXPECT_EQ(it.localFlags, it.central.Flags);
        EXPECT_EQ(it.localMethod, it.central.Method);
        EXPECT_EQ(it.localCrc, it.central.Crc);
        EXPECT_EQ(it.localCompressed, it.central.CompressedSize);
        EXPECT_EQ(it.central.ExternalAttributes & 0x20, 0x20u);
        EXPECT_EQ(Inflate(it), expect[i].content);
    }
    EXPECT_LT(p.items[3].central.CompressedSize, big.size());
    CheckWithRealReaders(z.ZipName);
}

TEST(ZipWriter, FlagsFollowThePackLevel) {
    TempDir dir;
    const std::string file = dir.Write("a.txt", Text(3000));
    const std::pair<int, uint16_t> cases[] = {{0, 0}, {1, 4}, {2, 4}, {3, 0}, {6, 0}, {8, 2}, {9, 2}};
    for (auto [level, flags] : cases) {
        TZipWriter z;
        z.ZipName = dir.File("l" + std::to_string(level) + ".zip");
        z.FilesList = {file};
        z.PackLevel = level;
        ASSERT_EQ(z.Zip(), 1);
        const Parsed p = ParseArchive(test::ReadBytes(z.ZipName));
        EXPECT_EQ(p.items[0].central.Flags, flags) << level;
        EXPECT_EQ(p.items[0].central.Method, level == 0 ? 0 : 8) << level;
        EXPECT_EQ(p.items[0].central.InternalAttributes, level == 0 ? 0 : 1) << level;
    }
}

TEST(ZipWriter, NamesAreFileNamesAndTheFirstOfEqualNamesWins) {
    TempDir dir;
    ASSERT_TRUE(fs::MakeDirectory(dir.File("one")));
    ASSERT_TRUE(fs::MakeDirectory(dir.File("two")));
    const std::string sep = dir.Path().substr(dir.Path().size() - 1);
    const std::string first = dir.Write("one" + sep + "Movie.swf", std::string("first"));
    const std::string second = dir.Write("two" + sep + "MOVIE.SWF", std::string("second"));
    TZipWriter z;
    z.ZipName = dir.File("n.zip");
    z.FilesList = {first, second};
    z.PackLevel = 8;
    EXPECT_EQ(z.Zip(), 1);
    const Parsed p = ParseArchive(test::ReadBytes(z.ZipName));
    ASSERT_EQ(p.items.size(), 1u);
    EXPECT_EQ(p.items[0].central.Name, "Movie.swf");
    EXPECT_EQ(Inflate(p.items[0]), Bytes({'f', 'i', 'r', 's', 't'}));

    EXPECT_EQ(ZipEntryName("C:\\Movies\\cat.swf"), "cat.swf");
    EXPECT_EQ(ZipEntryName("C:cat.swf"), "cat.swf");
    EXPECT_EQ(ZipEntryName("/home/me/cat.swf"), "cat.swf");  // forward slashes separate too
}

TEST(ZipWriter, UpdateReplacesOnlyNewerFilesAndKeepsTheRest) {
    TempDir dir;
    const std::string a = dir.Write("a.txt", Text(4000));
    const std::string b = dir.Write("b.bin", RandomBytes(3000, 3));
    const std::string c = dir.Write("c.txt", Text(100));
    SetTime(a, -3600);
    SetTime(b, -3600);
    SetTime(c, -3600);
    TZipWriter z;
    z.ZipName = dir.File("u.zip");
    z.FilesList = {a, b, c};
    z.PackLevel = 8;
    ASSERT_EQ(z.Zip(), 3);
    // A comment written by another tool must survive the update.
    {
        Bytes archive = test::ReadBytes(z.ZipName);
        const std::string comment = "kept";
        archive[archive.size() - 2] = static_cast<uint8_t>(comment.size());
        archive.insert(archive.end(), comment.begin(), comment.end());
        dir.Write("u.zip", archive);
    }
    const Parsed before = ParseArchive(test::ReadBytes(z.ZipName));

    dir.Write("a.txt", Text(9000));  // newer: replaces its entry
    SetTime(a, 60);
    dir.Write("c.txt", Text(7));     // but older than its entry: kept as it was
    SetTime(c, -7200);
    const std::string d = dir.Write("d.txt", Text(50));
    z.FilesList = {a, c, d};
    EXPECT_EQ(z.Zip(), 2);

    const Parsed after = ParseArchive(test::ReadBytes(z.ZipName));
    EXPECT_EQ(after.comment, "kept");
    ASSERT_EQ(after.items.size(), 4u);
    EXPECT_EQ(after.items[0].central.Name, "b.bin");  // kept entries first, byte for byte
    EXPECT_EQ(after.items[0].data, before.items[1].data);
    EXPECT_EQ(after.items[1].central.Name, "c.txt");
    EXPECT_EQ(after.items[1].data, before.items[2].data);
    EXPECT_EQ(after.items[2].central.Name, "a.txt");
    EXPECT_EQ(Inflate(after.items[2]).size(), 9000u);
    EXPECT_EQ(after.items[3].central.Name, "d.txt");

    z.ZipAction = TZipAction::zaReplace;  // replaces whatever the times say
    z.FilesList = {c};
    EXPECT_EQ(z.Zip(), 1);
    const Parsed replaced = ParseArchive(test::ReadBytes(z.ZipName));
    EXPECT_EQ(replaced.items.back().central.Name, "c.txt");
    EXPECT_EQ(replaced.items.back().central.UncompressedSize, 7u);
    CheckWithRealReaders(z.ZipName);
}

TEST(ZipWriter, FailuresLeaveNoPartialArchive) {
    TempDir dir;
    const std::string file = dir.Write("f.txt", Text(100));
    TZipWriter z;
    z.FilesList = {file};
    z.ZipName = "   ";
    EXPECT_EQ(z.Zip(), 0);

    // Not an archive: the update stops and the file stays as it was.
    const std::string bogus = dir.Write("bogus.zip", std::string("this is not a zip archive at all"));
    z.ZipName = bogus;
    EXPECT_THROW(z.Zip(), Exception);
    EXPECT_EQ(test::ReadText(bogus), "this is not a zip archive at all");

    const std::string sep = dir.Path().substr(dir.Path().size() - 1);
    z.ZipName = dir.File("no-such-folder") + sep + "x.zip";
    EXPECT_THROW(z.Zip(), Exception);
}

#ifndef _WIN32
TEST(ZipWriter, ShortWriteReportsNoRoomAndDeletesTheArchive) {
    TempDir dir;
    const std::string file = dir.Write("big.bin", RandomBytes(200000, 4));
    TZipWriter z;
    z.ZipName = dir.File("full.zip");
    z.FilesList = {file};
    z.PackLevel = 8;
    // A file-size limit makes the disk look full to this process.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 50000;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
        z.Zip();
    } catch (const Exception& e) {
        message = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "Not enough room to write archive");
    EXPECT_FALSE(fs::FileExists(z.ZipName));
}
#endif

}  // namespace
}  // namespace qb
