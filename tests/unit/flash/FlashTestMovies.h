#pragma once
#include "flash/movie/Movie.h"
#include "tests/support/MovieBuilder.h"

#include <memory>
#include <stdexcept>

// Small helpers shared by the engine tests.
namespace qb::test {

inline std::shared_ptr<const movie::MovieDef> LoadMovie(const Bytes& bytes) {
    swf::LoadError error;
    auto def = movie::MovieDef::Load(bytes, error);
    if (!def) throw std::runtime_error("test movie did not load");
    return def;
}

inline std::shared_ptr<const movie::MovieDef> LoadMovie(const SwfWriter& w) { return LoadMovie(w.Movie()); }

// A 40 x 40 twips square of one colour, for display list tests.
inline void Square(TagList& tags, uint16_t id, uint32_t rgba = 0xFF0000FF) {
    ShapeBuilder s;
    s.Rect(0, 0, 40, 40, s.Solid(rgba));
    Shape(tags, id, s);
}

// The character ids on a clip's stage, in depth order.
inline std::vector<uint16_t> Stage(const movie::Clip& clip) {
    std::vector<uint16_t> ids;
    for (const auto& [depth, obj] : clip.Children()) ids.push_back(obj->CharacterId);
    return ids;
}

}  // namespace qb::test
