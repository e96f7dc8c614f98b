#include "editor/PreviewPlan.h"

#include "editor/FileNames.h"

namespace qb {

PreviewPlan PlanPreview(const PreviewRequest& r) {
    PreviewPlan plan;
    if (r.Focused.empty()) return plan;
    if (r.Focused == r.LastPreviewed && !r.Force) {
        plan.Source = PreviewSource::Keep;
        return plan;
    }
    plan.DropWorkingCopy = true;
    // A listed movie that has gone shows the empty movie; the last previewed
    // path stays, so the entry is tried again when it is clicked.
    if (!r.Exists) return plan;
    plan.Remember = true;
    if (HasExtension(r.Focused, ".exe")) {
        plan.Source = PreviewSource::ProjectorMovie;
        plan.Mute = !r.MovieSound;
    } else if (!r.MovieSound) {
        plan.Source = PreviewSource::MutedCopy;
        plan.Mute = true;
    } else {
        plan.Source = PreviewSource::Original;
    }
    return plan;
}

}  // namespace qb
