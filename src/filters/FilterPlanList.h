#pragma once

#include <QString>
#include <QVector>

namespace sp {

// The plan list lvwProject: items with key and text, the selected item and the view
// (0 large icons, 1 small icons, 2 list, 3 details). Positions count from 0.
class FilterPlanList {
  public:
    struct Item {
        QString key;
        QString text;
        int icon = 1;
    };

    void Clear();
    // False when the key is taken (a list key names one item).
    bool Add(const QString& key, const QString& text);
    int Count() const { return static_cast<int>(items_.size()); }
    const Item& At(int index) const { return items_.at(index); }
    int IndexOfKey(const QString& key) const;

    // -1: nothing selected.
    int SelectedIndex() const { return selected_; }
    void Select(int index);
    // nullptr when nothing is selected.
    const Item* SelectedItem() const;

    int View() const { return view_; }
    void SetView(int view);

  private:
    QVector<Item> items_;
    int selected_ = -1;
    int view_ = 0;
};

}  // namespace sp
