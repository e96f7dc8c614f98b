#pragma once
#include "flash/movie/MovieDef.h"
#include "flash/swf/Types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qb::movie {

class Clip;

// One PlaceObject tag (any of the three forms), fields present or not.
struct PlaceRecord {
    int Depth = 0;
    bool Move = false;  // modifies what is at the depth rather than adding
    std::optional<uint16_t> CharacterId;
    std::optional<swf::Matrix> Matrix;
    std::optional<swf::ColorTransform> Cx;
    std::optional<uint16_t> Ratio;
    std::optional<std::string> Name;
    std::optional<int> ClipDepth;
};

// Reads a PlaceObject, PlaceObject2 or PlaceObject3 tag.
PlaceRecord ReadPlaceRecord(const swf::Tag& tag);
// The depth a RemoveObject or RemoveObject2 tag clears.
int ReadRemoveDepth(const swf::Tag& tag);

// Something on the stage: a shape, a morph, a clip. Depth orders siblings;
// ClipDepth > 0 makes it a mask over the siblings up to that depth.
class DisplayObject : public std::enable_shared_from_this<DisplayObject> {
public:
    DisplayObject(const Character* character, uint16_t id) : Char(character), CharacterId(id) {}
    virtual ~DisplayObject() = default;

    virtual Clip* AsClip() { return nullptr; }
    // "_level0.a.b": how scripts name this object.
    std::string Path() const;

    const Character* Char;
    uint16_t CharacterId;
    int Depth = 0;
    swf::Matrix Matrix;
    swf::ColorTransform Cx;
    uint16_t Ratio = 0;
    std::string Name;
    int ClipDepth = 0;
    bool Visible = true;
    bool Scripted = false;  // moved by a script: the timeline no longer moves it
    uint64_t BornTick = 0;
    std::shared_ptr<const int> LiveToken;  // its count of holders is the movie's object count
    Clip* Parent = nullptr;
};

}  // namespace qb::movie
