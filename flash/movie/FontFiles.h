#pragma once
#include "flash/movie/FontHost.h"

#include <memory>
#include <string>
#include <vector>

namespace qb::movie {

// Host fonts read from TrueType files where the system keeps them (the
// portable stand-in for a platform's font service): the movie's font name
// picks sans, serif or monospace, each with its bold and italic files, and
// a CJK font covers what those lack. No file found: no glyphs.
std::shared_ptr<const FontHost> FontFilesHost();

// The same over files under `dir` (for tests); names as the default's.
std::shared_ptr<const FontHost> FontFilesHost(const std::string& dir);

// The file names tried, first found first used, for a face.
std::vector<std::string> FontFileCandidates(const FontFace& face);

}  // namespace qb::movie
