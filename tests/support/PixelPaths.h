#pragma once
// The widths of pixel loops this processor has, narrowest first: tests go
// through each, so that the loops other processors would take are checked
// here too.
#include "flash/render/Blend.h"

#include <vector>

namespace qb::test {

inline std::vector<render::blend::Path> PixelPaths() {
    using render::blend::Path;
    std::vector<Path> paths;
    for (const Path path : {Path::Narrow, Path::Avx2, Path::Avx512})
        if (path <= render::blend::FastestPath()) paths.push_back(path);
    return paths;
}

}  // namespace qb::test
