#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qb {

// Frame count and frame rectangle of a movie, the rectangle in whole pixels.
struct TMovieInfo {
    struct Rect {
        int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
        bool operator==(const Rect&) const = default;
    };
    int32_t FrameCount = 0;
    Rect FrameRect;
};

// True when the file ends in "movie, 4 bytes, movie length" and that movie is
// an uncompressed one. Missing or unreadable files answer false.
bool IsFlashProjector(const std::string& path);

// Copies the movie appended to a projector into moviePath. Does nothing when
// the file holds no uncompressed movie; read or write failures throw qb::Exception.
void ExtractProjectorMovie(const std::string& projectorPath, const std::string& moviePath);

// Fills info from the movie's header; leaves it untouched for anything that is
// not an uncompressed movie or cannot be opened.
void ReadMovieInfo(const std::string& path, TMovieInfo& info);

// Silences a movie in place: StartSound flags become "stop", button sounds and
// stream blocks get tag codes no player defines. The file length never changes.
// Files that cannot be opened for writing or hold no uncompressed movie are left alone.
void MuteMovie(const std::string& path);

// Exchanges the red and blue bytes: 0x00RRGGBB <-> 0x00BBGGRR.
uint32_t SwapRedBlue(uint32_t color);

// The first bytes of a movie (enough for its whole header): of the file
// itself, or of the movie appended to a projector. Empty when unreadable.
std::vector<uint8_t> ReadMovieHeader(const std::string& path);
std::vector<uint8_t> ReadProjectorMovieHeader(const std::string& path);

// The in-memory forms the file operations above are built on.
bool ParseMovieInfo(std::span<const uint8_t> movie, TMovieInfo& info);
// Returns false when the bytes are not an uncompressed movie (nothing changed).
bool MuteMovieBytes(std::span<uint8_t> movie);

}  // namespace qb
