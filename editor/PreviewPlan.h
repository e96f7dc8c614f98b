#pragma once
#include <string>

namespace qb {

// What the editor's small preview shows for the focused movie.
enum class PreviewSource {
    Blank,             // the empty movie
    Keep,              // the movie already running goes on undisturbed
    Original,          // the listed file itself
    MutedCopy,         // a copy in the temporary folder, silenced
    ProjectorMovie,    // the movie taken out of a projector into the temporary folder
};

struct PreviewPlan {
    PreviewSource Source = PreviewSource::Blank;
    bool Mute = false;            // silence the working copy before showing it
    bool DropWorkingCopy = false; // delete the old working copy first
    bool Remember = false;        // the focused path becomes the last previewed one
};

struct PreviewRequest {
    std::string Focused;        // empty: no focused entry
    std::string LastPreviewed;
    bool Force = false;         // reload even when the entry is already shown
    bool Exists = false;        // the focused file is there
    bool MovieSound = true;     // the movies' own sound is wanted
};

PreviewPlan PlanPreview(const PreviewRequest& r);

}  // namespace qb
