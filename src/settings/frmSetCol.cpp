#include "src/settings/frmSetCol.h"

#include <algorithm>
#include <utility>

#include "src/settings/Texts.h"

namespace sp {

QString frmSetCol::Caption() { return SettingsTexts::SetColCaption(); }

void frmSetCol::AddItem(const QString& text, int data, bool checked) {
    items_.append(Item{text, data, checked});
    SetCmdEnable();
}

void frmSetCol::SetCurrentIndex(int index) {
    if (!enabled_.list)
        return;
    current_ = index >= 0 && index < ItemCount() ? index : -1;
    SetCmdEnable();
}

void frmSetCol::SetItemChecked(int index, bool checked) {
    if (!enabled_.list || index < 0 || index >= ItemCount())
        return;
    items_[index].checked = checked;
    SetCmdEnable();
}

void frmSetCol::SetChkDefault(bool ticked) {
    chkDefault_ = ticked;
    SetCmdEnable();
}

void frmSetCol::cmdMoveUp_Click() {
    if (enabled_.moveUp)
        MoveCurrent(-1);
}

void frmSetCol::cmdMoveDown_Click() {
    if (enabled_.moveDown)
        MoveCurrent(1);
}

void frmSetCol::MoveCurrent(int step) {
    const int target = current_ + step;
    if (current_ < 0 || target < 0 || target >= ItemCount())
        return;
    std::swap(items_[current_], items_[target]);
    current_ = target;
    SetCmdEnable();
}

void frmSetCol::cmdAll_Click() {
    if (enabled_.all)
        CheckAll(true);
}

void frmSetCol::cmdNone_Click() {
    if (enabled_.none)
        CheckAll(false);
}

void frmSetCol::CheckAll(bool checked) {
    for (Item& item : items_) item.checked = checked;
    SetCmdEnable();
}

void frmSetCol::cmdOK_Click() {
    if (!enabled_.ok)
        return;
    selOK_ = true;
    closed_ = true;
}

void frmSetCol::cmdCancel_Click() {
    selOK_ = false;
    closed_ = true;
}

void frmSetCol::SetCmdEnable() {
    const bool editable = !chkDefault_;
    const bool anyTicked =
        std::any_of(items_.cbegin(), items_.cend(), [](const Item& i) { return i.checked; });
    enabled_.list = editable;
    enabled_.all = editable;
    enabled_.none = editable;
    enabled_.ok = chkDefault_ || anyTicked;
    enabled_.moveUp = editable && current_ > 0;
    enabled_.moveDown = editable && current_ >= 0 && current_ < ItemCount() - 1;
}

}  // namespace sp
