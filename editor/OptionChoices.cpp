#include "editor/OptionChoices.h"

namespace qb {

int ChoiceIndex(int stored, int count, int fallback) { return stored >= 0 && stored < count ? stored : fallback; }

}  // namespace qb
