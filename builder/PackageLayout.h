#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The layout of a setup file: five pieces back to back, then a 40-byte
// trailer that says where pieces 2 to 5 start and how long they are.
namespace qb::package {

inline constexpr char kTrailerMagic[8] = {'Q', 'B', 'K', 'S', 'E', 'T', 'U', 'P'};
inline constexpr size_t kTrailerSize = 40;

enum Piece { kStub = 0, kInstallPak = 1, kInstallIni = 2, kArchive = 3, kLanguage = 4 };

struct Trailer {
    struct Span {
        uint32_t Offset = 0;
        uint32_t Length = 0;
    };
    // Pieces 2 to 5 (kInstallPak .. kLanguage); piece 1 is everything before piece 2.
    std::array<Span, 4> Pieces{};

    Span Of(Piece p) const { return p == kStub ? Span{0, Pieces[0].Offset} : Pieces[p - 1]; }
};

std::array<uint8_t, kTrailerSize> EncodeTrailer(const Trailer& t);
// The trailer at the end of a setup file of `fileSize` bytes, if its magic is
// there and every piece lies inside the file, in order, without gaps.
std::optional<Trailer> DecodeTrailer(std::span<const uint8_t, kTrailerSize> bytes, uint64_t fileSize);

// Kind codes of install.ini's [Files] section.
inline constexpr char kKindSupport = '0';
inline constexpr char kKindMovie = '1';
inline constexpr char kKindSound = '2';
inline constexpr char kKindSaver = '3';  // the .scr file and the language file
inline constexpr char kKindPlayerControl = '4';

inline constexpr char kIniSettings[] = "Settings";
inline constexpr char kIniSaverName[] = "SaverName";
inline constexpr char kIniFiles[] = "Files";

}  // namespace qb::package
