#pragma once

namespace qb {

// The entry a choice list shows for a stored number: the number itself when
// the list has such an entry, otherwise the editor's default, so that a
// hand-edited file never leaves a list with nothing chosen.
int ChoiceIndex(int stored, int count, int fallback);

}  // namespace qb
