#include "src/filters/FilterPlanList.h"

namespace sp {

void FilterPlanList::Clear() {
    items_.clear();
    selected_ = -1;
}

bool FilterPlanList::Add(const QString& key, const QString& text) {
    if (IndexOfKey(key) >= 0)
        return false;
    items_.append({key, text, 1});
    return true;
}

int FilterPlanList::IndexOfKey(const QString& key) const {
    for (int i = 0; i < items_.size(); ++i)
        if (items_[i].key == key)
            return i;
    return -1;
}

void FilterPlanList::Select(int index) { selected_ = index >= 0 && index < items_.size() ? index : -1; }

const FilterPlanList::Item* FilterPlanList::SelectedItem() const {
    return selected_ >= 0 ? &items_[selected_] : nullptr;
}

void FilterPlanList::SetView(int view) {
    if (view >= 0 && view <= 3)
        view_ = view;
}

}  // namespace sp
