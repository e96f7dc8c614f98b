// Archives written by our own writer, read back in place and then damaged
// byte by byte: every damage must stop the reader with a message, never
// yield wrong bytes.
#include "app/Errors.h"
#include "builder/ZipRecords.h"
#include "builder/ZipWriter.h"
#include "installer/ArchiveReader.h"
#include "installer/EntryName.h"
#include "platform/File.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace qb::setup {
namespace {

using Bytes = std::vector<uint8_t>;
using test::TempDir;

Bytes RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

Bytes TextBytes(size_t n) {
    const std::string line = "One movie after another, all night long.\r\n";
    Bytes b;
    while (b.size() < n) b.insert(b.end(), line.begin(), line.end());
    b.resize(n);
    return b;
}

struct Fixture {
    std::vector<std::pair<std::string, Bytes>> files = {
        {"empty.dat", {}},
        {"notes.txt", TextBytes(3000)},           // deflated, one block
        {"noise.bin", RandomBytes(5000, 7)},      // stored: does not shrink
        {"movie.swf", TextBytes(300000)},         // deflated over many reader blocks
    };
    Bytes archive;

    explicit Fixture(const TempDir& dir) {
        TZipWriter z;
        z.ZipName = dir.File("in.zip");
        z.PackLevel = 8;
        for (const auto& [name, bytes] : files) z.FilesList.push_back(dir.Write(name, bytes));
        z.Zip();
        archive = test::ReadBytes(z.ZipName);
    }
};

std::map<std::string, Bytes> ReadAll(const std::string& path, uint64_t base, uint64_t length) {
    File f = File::Open(path, File::Mode::Read);
    ArchiveReader reader(f, base, length);
    std::map<std::string, Bytes> out;
    for (const auto& e : reader.Entries()) {
        Bytes& b = out[e.Name];
        reader.Extract(e, [&](std::span<const uint8_t> s) { b.insert(b.end(), s.begin(), s.end()); });
    }
    return out;
}

TEST(ArchiveReader, ReadsOurArchivesInPlaceInsideALargerFile) {
    TempDir dir;
    const Fixture fx(dir);
    // Stub bytes before and a trailer after, as in a setup file.
    Bytes whole = RandomBytes(1234, 3);
    const uint64_t base = whole.size();
    whole.insert(whole.end(), fx.archive.begin(), fx.archive.end());
    const Bytes after = RandomBytes(40, 4);
    whole.insert(whole.end(), after.begin(), after.end());
    const std::string path = dir.Write("setup.bin", whole);

    const auto got = ReadAll(path, base, fx.archive.size());
    ASSERT_EQ(got.size(), fx.files.size());
    for (const auto& [name, bytes] : fx.files) EXPECT_EQ(got.at(name), bytes) << name;
}

// Replaces every occurrence of `from` (in local and central headers alike) by `to`.
Bytes Renamed(Bytes a, const std::string& from, const std::string& to) {
    EXPECT_EQ(from.size(), to.size());
    for (auto it = a.begin(); (it = std::search(it, a.end(), from.begin(), from.end())) != a.end(); it += 1)
        std::copy(to.begin(), to.end(), it);
    return a;
}

size_t CentralHeaderOf(const Bytes& a, const std::string& name) {
    const Bytes sig = {'P', 'K', 1, 2};
    for (auto it = a.begin(); (it = std::search(it, a.end(), sig.begin(), sig.end())) != a.end(); ++it) {
        const size_t at = static_cast<size_t>(it - a.begin());
        const size_t n = zip::ReadU16(a, at + zip::central::NameLength);
        if (std::string(a.begin() + static_cast<long>(at + 46), a.begin() + static_cast<long>(at + 46 + n)) == name)
            return at;
    }
    ADD_FAILURE() << "no central header for " << name;
    return 0;
}

size_t DataOf(const Bytes& a, const std::string& name) {
    const size_t local = zip::ReadU32(a, CentralHeaderOf(a, name) + zip::central::LocalOffset);
    return local + 30 + zip::ReadU16(a, local + zip::local::NameLength);
}

TEST(ArchiveReader, RefusesDamagedAndHostileArchives) {
    TempDir dir;
    const Fixture fx(dir);
    const Bytes& a = fx.archive;
    const auto put32 = [](Bytes b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    const auto flip = [](Bytes b, size_t at) {
        b[at] ^= 0x55;
        return b;
    };
    const size_t movie = CentralHeaderOf(a, "movie.swf");
    const size_t noise = CentralHeaderOf(a, "noise.bin");
    const uint32_t movieSize = zip::ReadU32(a, movie + zip::central::Uncompressed);
    Bytes localOnly = a;  // the local header names another file than the directory
    localOnly[zip::ReadU32(a, movie + zip::central::LocalOffset) + 30] = 'n';

    const std::pair<const char*, Bytes> cases[] = {
        {"path in name", Renamed(a, "movie.swf", "../ie.swf")},
        {"backslash path", Renamed(a, "notes.txt", "a\\tes.txt")},
        {"drive", Renamed(a, "notes.txt", "C:tes.txt")},
        {"device", Renamed(a, "notes.txt", "nul.s.txt")},
        {"absolute", Renamed(a, "notes.txt", "/otes.txt")},
        {"duplicate", Renamed(a, "notes.txt", "NOISE.bin")},
        {"deflated data flipped", flip(a, DataOf(a, "movie.swf") + 500)},
        {"stored data flipped", flip(a, DataOf(a, "noise.bin") + 10)},
        {"crc wrong", put32(a, noise + zip::central::Crc, 0x12345678)},
        {"says shorter", put32(a, movie + zip::central::Uncompressed, movieSize - 1)},
        {"says longer", put32(a, movie + zip::central::Uncompressed, movieSize + 1)},
        {"method unknown", put32(a, movie + zip::central::Method, 99)},
        {"local offset outside", put32(a, movie + zip::central::LocalOffset, 0x7FFFFFF0)},
        {"local header differs", localOnly},
        {"cut short", Bytes(a.begin(), a.end() - 7)},
        {"no directory", Bytes(a.begin(), a.begin() + static_cast<long>(a.size() / 2))},
        {"empty", {}},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const std::string path = dir.Write("bad.zip", bytes);
        try {
            ReadAll(path, 0, bytes.size());
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << e.what();
        }
    }
}

TEST(EntryName, OnlyPlainFileNamesPass) {
    const std::pair<const char*, bool> cases[] = {
        {"movie.swf", true},   {"My Movie (2).swf", true}, {"a..b.swf", true},  {".hidden", true},
        {"", false},           {".", false},               {"..", false},       {"a/b.swf", false},
        {"a\\b.swf", false},   {"C:b.swf", false},         {"/etc", false},     {"\\\\srv\\x", false},
        {"CON", false},        {"nul.swf", false},         {"com1.txt", false}, {"LPT9", false},
        {"console.swf", true}, {"name.", false},           {" lead", false},    {"trail ", false},
        {"a\tb", false},       {"a*b", false},             {"a?b", false},      {"a|b", false},
    };
    for (const auto& [name, ok] : cases) EXPECT_EQ(IsPlainFileName(name), ok) << '"' << name << '"';

    // In a double-byte code page a character's second byte may be "\\" or "|".
    const auto gbk = [](unsigned char c) { return c >= 0x81 && c <= 0xFE; };
    const std::pair<const char*, bool> doubleByte[] = {
        {"\xB1\x5C.swf", true}, {"\xC7\x7C\xD4\x5C", true}, {"a\x5C\xB1\x41", false}, {"name\xB1", false}};
    for (const auto& [name, ok] : doubleByte) EXPECT_EQ(IsPlainFileName(name, +gbk), ok) << name;
}

}  // namespace
}  // namespace qb::setup
