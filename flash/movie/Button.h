#pragma once
#include "flash/movie/MovieDef.h"

namespace qb::swf { class Reader; }

namespace qb::movie {

// Reads DefineButton (version 1) or DefineButton2 after its id. The parts
// read before any damage are kept; the buttons' scripts are skipped, since
// nothing here ever presses a button.
ButtonDef ReadButton(swf::Reader& r, int version);

// Reads a DefineButtonSound after its button id into the button's sounds;
// a cut-off tag keeps the entries read whole.
void ReadButtonSounds(swf::Reader& r, ButtonDef& button);

}  // namespace qb::movie
