#pragma once
#include "flash/movie/FontHost.h"

#include <memory>

namespace qb {

// The engine's device fonts on Windows: the system's TrueType outlines of
// the face a movie names, through GDI ("_sans", "_serif" and "_typewriter"
// are the usual system faces; a face the system lacks falls back to a
// common one, and a character it lacks to a CJK face).
std::shared_ptr<const movie::FontHost> SystemFonts();

}  // namespace qb
