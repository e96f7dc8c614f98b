#include "editor/MoviePicks.h"

#include "editor/FileNames.h"

namespace qb {

std::vector<PickedMovie> ScreenPickedMovies(const std::vector<std::string>& chosen,
                                            const std::function<bool(const std::string&)>& isProjector) {
    std::vector<PickedMovie> out;
    out.reserve(chosen.size());
    for (const std::string& path : chosen)
        out.push_back({path, !HasExtension(path, ".exe") || isProjector(path)});
    return out;
}

}  // namespace qb
