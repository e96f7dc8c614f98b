#include "editor/ListEdit.h"

#include <algorithm>
#include <utility>

namespace qb {

Exchange MoveUpExchange(int focused, int count) {
    if (focused <= 0 || focused >= count) return {};
    return {focused, focused - 1};
}

Exchange MoveDownExchange(int focused, int count) {
    if (focused < 0 || focused > count - 2) return {};
    return {focused, focused + 1};
}

void ApplyExchange(std::vector<std::string>& items, const Exchange& e) {
    if (!e.Done()) return;
    std::swap(items.at(e.from), items.at(e.to));
}

std::vector<int> DeletionOrder(const std::vector<bool>& selected) {
    std::vector<int> order;
    for (int i = static_cast<int>(selected.size()) - 1; i >= 0; --i)
        if (selected[i]) order.push_back(i);
    return order;
}

int FocusAfterDeletion(int firstDeleted, int newCount) {
    if (newCount <= 0) return -1;
    return std::clamp(firstDeleted, 0, newCount - 1);
}

}  // namespace qb
