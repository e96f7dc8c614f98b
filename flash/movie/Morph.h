#pragma once
#include "flash/movie/MovieDef.h"

namespace qb::swf { class Reader; }

namespace qb::movie {

// Reads DefineMorphShape (version 1) or DefineMorphShape2 after its id.
MorphDef ReadMorph(swf::Reader& r, int version);

}  // namespace qb::movie
