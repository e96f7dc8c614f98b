#include "player/MovieFiles.h"

#include "app/Errors.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <array>
#include <functional>

namespace qb {
namespace {

using test::Bytes;
using test::ByteWriter;
using test::MakeProjector;
using test::SoundInfo;
using test::SwfWriter;
using test::TagForm;
using test::TagList;
using test::TempDir;
namespace tag = test::tag;

Bytes SmallMovie() {
    SwfWriter swf;
    swf.SetBackgroundColor(0x336699).DefineShape(1, {0, 2000, 0, 2000}, 0xFF0000).ShowFrame().End();
    return swf.Movie();
}

constexpr std::array<uint8_t, 10> kStub{'M', 'Z', 0x90, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00};

// ---------------------------------------------------------------- projectors

struct ProjectorCase {
    const char* name;
    Bytes file;
    bool isProjector;
};

std::vector<ProjectorCase> ProjectorCases() {
    const Bytes movie = SmallMovie();
    const auto movieSize = static_cast<uint32_t>(movie.size());
    // A length of 0xFFFFFFFF makes L + 8 wrap to 7 in 32 bits; the "FWS" in
    // the unexamined bytes would then pass for a movie 4 GiB long.
    const Bytes wrapping = ByteWriter().Append(kStub).Append(movie).Append(Bytes{0, 'F', 'W', 'S'}).U32(0xFFFFFFFF).Take();
    return {
        {"stub and movie", MakeProjector(kStub, movie), true},
        {"movie and trailer alone", MakeProjector({}, movie), true},
        {"length one byte too large", MakeProjector({}, movie, movieSize + 1), false},
        {"length larger than the file", MakeProjector(kStub, movie, 1'000'000), false},
        {"length wrapping 32 bits", wrapping, false},
        {"compressed movie appended", MakeProjector(kStub, test::CompressMovie(movie)), false},
        {"stub without movie", MakeProjector(kStub, Bytes{'M', 'Z', 0, 0}), false},
        {"three bytes", Bytes{'F', 'W', 'S'}, false},
        {"seven bytes", Bytes{'F', 'W', 'S', 0, 0, 0, 0}, false},
    };
}

TEST(Projector, RecognisedOnlyWhenTheTrailerPointsAtAnUncompressedMovie) {
    TempDir dir;
    for (const auto& c : ProjectorCases()) {
        const std::string path = dir.Write("p.exe", c.file);
        EXPECT_EQ(IsFlashProjector(path), c.isProjector) << c.name;
    }
    EXPECT_FALSE(IsFlashProjector(dir.File("missing.exe")));
    EXPECT_FALSE(IsFlashProjector(dir.Path()));
}

TEST(Projector, ExtractWritesExactlyTheAppendedMovie) {
    TempDir dir;
    SwfWriter swf;  // larger than one copy piece
    for (int i = 0; i < 40; ++i) swf.SoundStreamBlock(Bytes(4000, static_cast<uint8_t>(i))).ShowFrame();
    swf.End();
    const Bytes movie = swf.Movie();
    const std::string exe = dir.Write("p.exe", MakeProjector(kStub, movie));
    // A longer file already there must be replaced, not overlaid.
    const std::string out = dir.Write("movie.swf", Bytes(movie.size() + 1000, 'x'));

    ExtractProjectorMovie(exe, out);
    EXPECT_EQ(test::ReadBytes(out), movie);
}

TEST(Projector, ExtractLeavesTheTargetAloneForAnythingElse) {
    TempDir dir;
    const Bytes previous{'o', 'l', 'd'};
    for (const auto& c : ProjectorCases()) {
        if (c.isProjector) continue;
        const std::string exe = dir.Write("p.exe", c.file);
        const std::string existing = dir.Write("existing.swf", previous);
        ExtractProjectorMovie(exe, existing);
        EXPECT_EQ(test::ReadBytes(existing), previous) << c.name;
        ExtractProjectorMovie(exe, dir.File("absent.swf"));
        EXPECT_FALSE(fs::FileExists(dir.File("absent.swf"))) << c.name;
    }
    ExtractProjectorMovie(dir.File("missing.exe"), dir.File("absent.swf"));
    EXPECT_FALSE(fs::FileExists(dir.File("absent.swf")));
}

TEST(Projector, ExtractReportsAnUnwritableTarget) {
    TempDir dir;
    const std::string exe = dir.Write("p.exe", MakeProjector(kStub, SmallMovie()));
    const std::string target = dir.File("no-such-dir") + (dir.Path().back() == '\\' ? "\\" : "/") + "movie.swf";
    try {
        ExtractProjectorMovie(exe, target);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + target);
    }
}

TEST(EmptyFile, IsNoMovieForAnyOperation) {
    TempDir dir;
    const std::string path = dir.File("empty.swf");
    ASSERT_TRUE(File::Open(path, File::Mode::Create).Close());

    EXPECT_FALSE(IsFlashProjector(path));
    ExtractProjectorMovie(path, dir.File("absent.swf"));
    EXPECT_FALSE(fs::FileExists(dir.File("absent.swf")));
    TMovieInfo info{-7, {-7, -7, -7, -7}};
    ReadMovieInfo(path, info);
    EXPECT_EQ(info.FrameCount, -7);
    MuteMovie(path);
    EXPECT_EQ(File::Open(path, File::Mode::Read).Size(), 0u);
}

// ---------------------------------------------------------------- movie info

TEST(MovieInfo, FrameRectIsInWholePixelsTruncatedTowardZero) {
    const struct {
        const char* name;
        test::MovieHeader header;
        TMovieInfo expected;
    } cases[] = {
        {"550 x 400", {}, {0, {0, 0, 550, 400}}},
        {"negative and odd twips", {.FrameRect = {-2019, 2019, -39, 41}}, {0, {-100, -1, 100, 2}}},
        {"less than a pixel below zero", {.FrameRect = {-19, 19, -1, 0}}, {0, {0, 0, 0, 0}}},
        {"31-bit fields", {.FrameRect = {-(1 << 30), (1 << 30) - 1, -(1 << 30), 0}},
         {0, {-53687091, -53687091, 53687091, 0}}},
        {"fields wider than needed", {.FrameRect = {20, 40, 60, 80}, .RectBits = 31}, {0, {1, 3, 2, 4}}},
        {"unsigned frame count", {.FrameCount = 65535}, {65535, {0, 0, 550, 400}}},
        {"frame count from the header, not the tags", {.FrameCount = 3}, {3, {0, 0, 550, 400}}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SwfWriter swf(c.header);
        swf.ShowFrame().ShowFrame().End();  // unused when the header gives a count
        const Bytes movie = swf.Movie();
        TMovieInfo expected = c.expected;
        if (!c.header.FrameCount) expected.FrameCount = 2;

        TMovieInfo info{-7, {-7, -7, -7, -7}};
        ReadMovieInfo(dir.Write("m.swf", movie), info);
        EXPECT_EQ(info.FrameCount, expected.FrameCount) << c.name;
        EXPECT_EQ(info.FrameRect, expected.FrameRect) << c.name;
    }
}

TEST(MovieInfo, ZeroWidthRectReadsAsEmpty) {
    // Field width 0: the RECT is a single byte and all four values are 0.
    const Bytes movie{'F', 'W', 'S', 6, 15, 0, 0, 0, 0x00, 0x00, 0x0C, 0x05, 0x00, 0x00, 0x00};
    TMovieInfo info{-7, {-7, -7, -7, -7}};
    ASSERT_TRUE(ParseMovieInfo(movie, info));
    EXPECT_EQ(info.FrameCount, 5);
    EXPECT_EQ(info.FrameRect, (TMovieInfo::Rect{0, 0, 0, 0}));
}

TEST(MovieInfo, AnythingButAWholeUncompressedHeaderLeavesTheRecordAlone) {
    SwfWriter wide({.RectBits = 31});
    wide.End();
    const Bytes wideMovie = wide.Movie();
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"compressed movie", test::CompressMovie(SmallMovie())},
        {"projector", MakeProjector(kStub, SmallMovie())},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}},
        {"signature only", Bytes{'F', 'W', 'S'}},
        {"cut inside the RECT", Bytes(wideMovie.begin(), wideMovie.begin() + 20)},
        {"cut inside the frame count", Bytes(wideMovie.begin(), wideMovie.begin() + wide.TagsOffset() - 1)},
    };
    const TMovieInfo sentinel{-7, {-7, -7, -7, -7}};
    TempDir dir;
    for (const auto& c : cases) {
        TMovieInfo info = sentinel;
        ReadMovieInfo(dir.Write("m.swf", c.file), info);
        EXPECT_EQ(info.FrameCount, sentinel.FrameCount) << c.name;
        EXPECT_EQ(info.FrameRect, sentinel.FrameRect) << c.name;
    }
    TMovieInfo info = sentinel;
    ReadMovieInfo(dir.File("missing.swf"), info);
    EXPECT_EQ(info.FrameCount, sentinel.FrameCount);

    // The header alone is enough: a movie cut right behind it is measured.
    info = sentinel;
    ReadMovieInfo(dir.Write("m.swf", Bytes(wideMovie.begin(), wideMovie.begin() + wide.TagsOffset())), info);
    EXPECT_EQ(info.FrameCount, 0);
}

// ---------------------------------------------------------------- muting

// Writes sound tags either as authored or, with `silenced`, in the form
// muting must leave them in. A fixture built both ways gives the exact
// expected bytes: everything but the named bytes stays the same.
struct Sounds {
    bool silenced;

    void Start(TagList& tags, uint16_t soundId, const SoundInfo& info = {}, TagForm form = TagForm::Short) const {
        Bytes body = ByteWriter().U16(soundId).Append(info.Encode()).Take();
        if (silenced) body[2] = 0x20;  // SyncStop only; the optional fields stay
        tags.Tag(tag::StartSound, body, form);
    }
    void Start2(TagList& tags, const std::string& name, const SoundInfo& info = {}) const {
        Bytes body = ByteWriter().Text(name).Append(info.Encode()).Take();
        if (silenced) body[name.size() + 1] = 0x20;
        tags.Tag(tag::StartSound2, body);
    }
    void ButtonSound(TagList& tags, TagForm form = TagForm::Short) const {
        const Bytes body = ByteWriter().U16(7).U16(1).Append(SoundInfo{}.Encode()).U16(0).U16(0).U16(0).Take();
        tags.Tag(silenced ? 666 : tag::DefineButtonSound, body, form);
    }
    void StreamBlock(TagList& tags, size_t samples, TagForm form = TagForm::Short) const {
        tags.Tag(silenced ? 555 : tag::SoundStreamBlock, Bytes(samples, 0x80), form);
    }
};

// Every kind of sound tag, at the top level and in nested sprites, with
// short and long headers, next to sound tags that muting leaves alone.
Bytes SoundMovie(bool silenced) {
    const Sounds s{silenced};
    TagList inner;
    s.Start(inner, 1, {.LoopCount = 3}, TagForm::Long);
    s.Start2(inner, "tone", {.LoopCount = 2});
    s.StreamBlock(inner, 40);
    inner.ShowFrame().End();

    TagList outer;
    outer.SoundStreamHead();
    s.StreamBlock(outer, 40, TagForm::Long);
    s.Start(outer, 2, {.SyncNoMultiple = true});
    outer.DefineSprite(3, inner).ShowFrame().End();

    SwfWriter swf;
    swf.SetBackgroundColor(0xFFFFFF).DefineSound(1, Bytes(40, 0x80)).DefineSound(2, Bytes(300, 0x7F), TagForm::Long);
    swf.SoundStreamHead2();
    s.ButtonSound(swf);
    s.ButtonSound(swf, TagForm::Long);
    s.Start(swf, 1);
    s.Start(swf, 2, {.InPoint = 10, .OutPoint = 2000}, TagForm::Long);
    s.Start2(swf, "the second sound");
    swf.DefineSprite(4, outer, TagForm::Long);
    s.StreamBlock(swf, 300);  // long form by its size
    swf.ShowFrame().DoAction(std::array<uint8_t, 2>{0x07, 0x00}).ShowFrame().End();
    // Behind the End tag nothing is walked.
    swf.StartSound(1).SoundStreamBlock(Bytes(4, 0));
    return swf.Movie();
}

// Marks a file read-only for the life of the object; the attribute is taken
// off again so that the temporary directory can be deleted on Windows.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(std::string path) : path_(std::move(path)) { SetWritable(false); }
    ~ReadOnlyFile() { SetWritable(true); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

private:
    void SetWritable(bool writable) const {
#ifdef _WIN32
        _chmod(path_.c_str(), writable ? _S_IREAD | _S_IWRITE : _S_IREAD);
#else
        chmod(path_.c_str(), writable ? 0644 : 0444);
#endif
    }
    std::string path_;
};

TEST(MuteMovie, SilencesEverySoundTagAndChangesNothingElse) {
    const Bytes loud = SoundMovie(false);
    const Bytes silent = SoundMovie(true);
    ASSERT_NE(loud, silent);

    TempDir dir;
    const std::string path = dir.Write("m.swf", loud);
    MuteMovie(path);
    EXPECT_EQ(test::ReadBytes(path), silent);

    MuteMovie(path);  // muted movies stay as they are
    EXPECT_EQ(test::ReadBytes(path), silent);

    Bytes inMemory = loud;
    EXPECT_TRUE(MuteMovieBytes(inMemory));
    EXPECT_EQ(inMemory, silent);
}

TEST(MuteMovie, LeavesNonMoviesAlone) {
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"compressed movie", test::CompressMovie(SoundMovie(false))},
        {"projector", MakeProjector(kStub, SoundMovie(false))},
        {"text", Bytes{'F', 'W', 'X', 'S'}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.Write("m.swf", c.file);
        MuteMovie(path);
        EXPECT_EQ(test::ReadBytes(path), c.file) << c.name;
        Bytes copy = c.file;
        EXPECT_FALSE(MuteMovieBytes(copy)) << c.name;
    }
    MuteMovie(dir.File("missing.swf"));
    EXPECT_FALSE(fs::FileExists(dir.File("missing.swf")));
}

TEST(MuteMovie, LeavesReadOnlyFilesAlone) {
    TempDir dir;
    const Bytes loud = SoundMovie(false);
    const std::string path = dir.Write("readonly.swf", loud);
    ReadOnlyFile readOnly(path);
    if (File::Open(path, File::Mode::ReadWrite)) GTEST_SKIP() << "read-only files are writable for this user";
    MuteMovie(path);
    EXPECT_EQ(test::ReadBytes(path), loud);
}

// A movie cut anywhere is muted up to the cut: every byte is either as it was
// or as in the fully muted movie, and all complete sound tags are silenced.
// Only a long tag header cut inside its length field (within the last five
// bytes) may be left as it was.
TEST(MuteMovie, TruncatedMovieIsMutedAsFarAsItGoes) {
    const Bytes loud = SoundMovie(false);
    const Bytes silent = SoundMovie(true);
    for (size_t cut = 0; cut <= loud.size(); ++cut) {
        Bytes part(loud.begin(), loud.begin() + cut);
        MuteMovieBytes(part);
        ASSERT_EQ(part.size(), cut);
        for (size_t i = 0; i < cut; ++i) {
            if (i + 5 < cut) {
                ASSERT_EQ(part[i], silent[i]) << "cut at " << cut << ", byte " << i;
            } else {
                ASSERT_TRUE(part[i] == silent[i] || part[i] == loud[i]) << "cut at " << cut << ", byte " << i;
            }
        }
        const Bytes once = part;
        MuteMovieBytes(part);
        ASSERT_EQ(part, once) << "cut at " << cut;
    }
}

// Tags whose lengths disagree with the bytes around them. Each fixture is
// written loud and silenced; muting the loud one must give the silenced one.
struct HostileCase {
    const char* name;
    std::function<void(TagList&, const Sounds&)> tags;
};

// Nested sprites that each claim more bytes than the file holds.
void DeepSprites(TagList& t, const Sounds& s) {
    for (int i = 0; i < 100'000; ++i) t.HeaderOnly(tag::DefineSprite, 0xFFFFFFFF, TagForm::Long).Raw(Bytes{1, 0, 1, 0});
    s.Start(t, 1);
    s.StreamBlock(t, 3);
}

std::vector<HostileCase> HostileCases() {
    return {
        {"tag longer than the file", [](TagList& t, const Sounds& s) {
             s.Start(t, 1);
             t.HeaderOnly(tag::DefineShape, 0xFFFFFFFF, TagForm::Long).StartSound(1).SoundStreamBlock(Bytes(4, 0));
         }},
        {"length wrapping a 32-bit position", [](TagList& t, const Sounds& s) {
             t.HeaderOnly(tag::DefineShape, 0xFFFFFFFA, TagForm::Long).StartSound(1).ShowFrame().StartSound(1);
         }},
        {"sound tags without End", [](TagList& t, const Sounds& s) {
             s.ButtonSound(t);
             s.Start(t, 1);
             s.StreamBlock(t, 10, TagForm::Long);
         }},
        {"StartSound too short for its flags", [](TagList& t, const Sounds& s) {
             // The byte behind the sound id belongs to the next tag's header.
             t.Tag(tag::StartSound, Bytes{1, 0});
             s.StreamBlock(t, 2);
             t.Tag(tag::StartSound, Bytes{1, 0}, TagForm::Long);
             s.ButtonSound(t);
             t.End();
         }},
        {"StartSound cut by the end of the file", [](TagList& t, const Sounds& s) {
             s.Start(t, 1);
             t.HeaderOnly(tag::StartSound, 3).Raw(Bytes{1, 0});
         }},
        {"sprite longer than the file", [](TagList& t, const Sounds& s) {
             t.HeaderOnly(tag::DefineSprite, 5000, TagForm::Long).Raw(Bytes{1, 0, 1, 0});
             s.Start(t, 1);
             s.StreamBlock(t, 3, TagForm::Long);
         }},
        {"sprite longer than its parent", [](TagList& t, const Sounds& s) {
             // Outer sprite: 4 + inner header 6 + 4 + StartSound 5 = 19 bytes; the
             // inner claims 100. Its walk stops at the outer's end, and the tags
             // behind the outer sprite are walked as the movie's own.
             t.HeaderOnly(tag::DefineSprite, 19).Raw(Bytes{1, 0, 1, 0});
             t.HeaderOnly(tag::DefineSprite, 100, TagForm::Long).Raw(Bytes{2, 0, 1, 0});
             s.Start(t, 1);
             s.StreamBlock(t, 2);
             s.Start(t, 2);
             t.End();
         }},
        {"sprite shorter than its tags", [](TagList& t, const Sounds& s) {
             // The sprite ends behind the StartSound header, so the flags byte is
             // outside it and stays. The movie's walk resumes at the sprite's end,
             // where sound id 129 (0x0081) reads as a tag with a 1-byte body.
             t.HeaderOnly(tag::DefineSprite, 6).Raw(Bytes{1, 0, 1, 0}).StartSound(129);
             s.Start(t, 2);
             t.End();
         }},
        {"sprite too short for id and frame count", [](TagList& t, const Sounds& s) {
             t.HeaderOnly(tag::DefineSprite, 2).Raw(Bytes{1, 0});
             s.ButtonSound(t);
             t.End();
         }},
        {"nested sprites deeper than a call stack", DeepSprites},
    };
}

TEST(MuteMovie, HostileLengthsStayInsideTheFile) {
    TempDir dir;
    for (const auto& c : HostileCases()) {
        SwfWriter loud, silent;
        c.tags(loud, Sounds{false});
        c.tags(silent, Sounds{true});
        const Bytes loudMovie = loud.Movie();

        Bytes inMemory = loudMovie;
        EXPECT_TRUE(MuteMovieBytes(inMemory)) << c.name;
        EXPECT_EQ(inMemory, silent.Movie()) << c.name;

        const std::string path = dir.Write("m.swf", loudMovie);
        MuteMovie(path);
        EXPECT_EQ(test::ReadBytes(path), silent.Movie()) << c.name;
    }
}

// ---------------------------------------------------------------- colours

TEST(SwapRedBlue, ExchangesTheLowestAndThirdByte) {
    const struct { uint32_t in, out; } cases[] = {
        {0x00FF0000, 0x000000FF},
        {0x000000FF, 0x00FF0000},
        {0x0000FF00, 0x0000FF00},
        {0x00123456, 0x00563412},
        {0xAABBCCDD, 0xAADDCCBB},  // the top byte is kept
        {0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SwapRedBlue(c.in), c.out) << std::hex << c.in;
        EXPECT_EQ(SwapRedBlue(SwapRedBlue(c.in)), c.in) << std::hex << c.in;
    }
}

}  // namespace
}  // namespace qb
