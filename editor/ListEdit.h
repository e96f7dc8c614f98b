#pragma once
#include <string>
#include <vector>

namespace qb {

// Two entries of a list that trade places; none when the move would leave the list.
struct Exchange {
    int from = -1, to = -1;
    bool Done() const { return from >= 0; }
};

// The focused entry one place up or down; nothing at either end or without a focus.
Exchange MoveUpExchange(int focused, int count);
Exchange MoveDownExchange(int focused, int count);
void ApplyExchange(std::vector<std::string>& items, const Exchange& e);

// The selected indices from the last to the first, the order in which they
// are deleted so that every index still names the entry it was taken for.
std::vector<int> DeletionOrder(const std::vector<bool>& selected);

// Where the focus goes after deleting: the entry that took the place of the
// first deleted one, or the new last entry; -1 for an empty list.
int FocusAfterDeletion(int firstDeleted, int newCount);

}  // namespace qb
