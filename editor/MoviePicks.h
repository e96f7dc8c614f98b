#pragma once
#include <functional>
#include <string>
#include <vector>

namespace qb {

// A file chosen in the movie dialog and whether it may join the list.
struct PickedMovie {
    std::string Path;
    bool Accepted = true;
};

// Executables join only when they carry a movie (isProjector); every other
// file joins unchecked. The dialog's order is kept, refusals included, so
// the user is told about each refused file where it stood.
std::vector<PickedMovie> ScreenPickedMovies(const std::vector<std::string>& chosen,
                                            const std::function<bool(const std::string&)>& isProjector);

}  // namespace qb
