#pragma once
#include "flash/movie/EditText.h"
#include "flash/movie/Text.h"
#include "flash/render/Image.h"
#include "flash/sound/SoundDef.h"
#include "flash/sound/SoundInfo.h"
#include "flash/swf/MovieFile.h"
#include "flash/swf/Shape.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace qb::movie {

// The tags of a timeline cut into frames: what happens on each frame, in
// file order (placements, removals, scripts, labels).
struct Timeline {
    std::vector<std::vector<swf::Tag>> Frames;
    std::vector<std::pair<std::string, int>> Labels;  // lower-cased label, frame number from 1
    std::optional<sound::StreamHead> Stream;            // the sound its SoundStreamBlocks carry

    int FrameCount() const { return std::max<int>(1, static_cast<int>(Frames.size())); }
    // Frame number from 1 of a label (case-insensitive), 0 when absent.
    int FindLabel(const std::string& label) const;
};

struct SpriteDef {
    movie::Timeline Timeline;
};

// A shape that changes between two outlines as its ratio goes from 0 to 65535.
struct MorphDef {
    swf::ShapeDef Start, End;
    // The outline at a ratio; edges and styles the two ends do not share
    // are taken from the start.
    swf::ShapeDef At(uint16_t ratio) const;
};

// A button as it looks when the mouse is away: its "up" state's parts.
struct ButtonDef {
    struct Part {
        uint16_t CharacterId = 0;
        int Depth = 0;
        swf::Matrix Matrix;
        swf::ColorTransform Cx;
    };
    // A sound for a change of state (0 for none).
    struct Sound {
        uint16_t SoundId = 0;
        sound::SoundInfo Info;
    };
    std::vector<Part> Up;
    // Leaving the pointer, the pointer arriving, pressing, releasing. Kept
    // but never heard: buttons here never get the pointer (the players pass
    // input on to the screen saver's host, the editor's preview drops it),
    // so no button ever changes state.
    std::array<Sound, 4> Sounds;
    movie::Timeline Timeline;  // none of its own: one still frame
};

struct Character {
    // Text: static text in a device font, drawn from the host's fonts
    // (static text in embedded fonts is a Shape).
    enum class Kind : uint8_t { Shape, Sprite, Morph, Bitmap, Button, Text, EditText };
    Character::Kind Kind = Kind::Shape;
    std::shared_ptr<const swf::ShapeDef> Shape;
    std::shared_ptr<const SpriteDef> Sprite;
    std::shared_ptr<const MorphDef> Morph;
    std::shared_ptr<const render::Image> Bitmap;
    std::shared_ptr<const ButtonDef> Button;
    std::shared_ptr<const StaticTextDef> Text;
    // Static text in embedded fonts as its glyphs too (Shape is its outline).
    std::shared_ptr<const TextShape> StaticGlyphs;
    std::shared_ptr<const EditTextDef> EditText;
};

// Everything a movie file defines, read once; shared by its players.
class MovieDef {
public:
    // Null when the bytes are not a movie we can play (error says why).
    static std::shared_ptr<const MovieDef> Load(std::vector<uint8_t> file, swf::LoadError& error);

    const swf::MovieFile& File() const { return file_; }
    const Timeline& Root() const { return root_; }
    const Character* Find(uint16_t id) const;
    const render::Image* FindBitmap(uint16_t id) const;
    swf::Rgba Background() const { return background_; }
    const sound::SoundDef* FindSound(uint16_t id) const;
    // The character exported (or bound to a class) under `name`, 0 when none.
    uint16_t FindExport(const std::string& name) const;
    // Whether a text field shows a variable (setting variables then changes
    // the picture).
    bool HasBoundText() const { return boundText_; }

    // Ceilings that keep hostile movies bounded.
    static constexpr int kMaxSpriteNesting = 32;
    static constexpr size_t kMaxBitmapPixels = size_t{16} << 20;

private:
    void ReadTimeline(std::span<const uint8_t> tags, Timeline& out, int nesting);
    void Define(const swf::Tag& tag, int nesting);

    swf::MovieFile file_;
    Timeline root_;
    std::unordered_map<uint16_t, Character> dictionary_;
    std::vector<uint8_t> jpegTables_;
    FontTable fonts_;  // for the texts defined after them
    // Sounds apart from the other characters: a movie that reuses a sound's
    // id for a shape keeps both.
    std::unordered_map<uint16_t, sound::SoundDef> sounds_;
    std::unordered_map<std::string, uint16_t> exports_;
    swf::Rgba background_{255, 255, 255, 255};
    bool backgroundSet_ = false;
    bool boundText_ = false;
    size_t bitmapPixels_ = 0;
};

}  // namespace qb::movie
