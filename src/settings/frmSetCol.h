#pragma once

#include <QString>
#include <QVector>

#include "src/common/Ui.h"

namespace sp {

// The column settings dialog of one grid: the user ticks the columns to show, puts
// them in order, or asks for the default layout instead. The caller fills the list
// (AddItem), shows the dialog through the Ui port, and reads Items(), chkDefault()
// and SelOK() once Closed().
//
// The enabled states are the model's: the view only shows them. While the restore box
// is ticked, the list and the move, all and none buttons are disabled and do nothing
// when called, and OK is enabled even with no column ticked.
class frmSetCol : public DialogModel {
  public:
    struct Item {
        QString text;
        int data = 0;  // the grid column the item stands for
        bool checked = false;
    };

    QString DialogName() const override { return QStringLiteral("frmSetCol"); }
    static QString Caption();

    // Appends an item; the current item stays as it is.
    void AddItem(const QString& text, int data, bool checked);
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const Item& ItemAt(int index) const { return items_.at(index); }
    const QVector<Item>& Items() const { return items_; }

    // -1 when no item is current.
    int CurrentIndex() const { return current_; }
    // A click on an item (or a key that moves to it); an index outside the list leaves
    // no item current.
    void SetCurrentIndex(int index);
    // The user ticks or unticks an item; an index outside the list is ignored.
    void SetItemChecked(int index, bool checked);

    bool chkDefault() const { return chkDefault_; }
    void SetChkDefault(bool ticked);

    // The current item moves one place up / down and stays current; at the ends nothing
    // happens.
    void cmdMoveUp_Click();
    void cmdMoveDown_Click();
    // Every item ticked / unticked; the current item stays.
    void cmdAll_Click();
    void cmdNone_Click();
    // Confirms; does nothing while OK is disabled (no column ticked, restore box not
    // ticked), so the grid never ends up without a column.
    void cmdOK_Click();
    // Cancels; closing the window is the same.
    void cmdCancel_Click();
    bool SelOK() const { return selOK_; }
    bool Closed() const { return closed_; }

    // Recomputes the enabled states from the items, the current item and the restore
    // box. Every change made here runs it.
    void SetCmdEnable();

    bool ListEnabled() const { return enabled_.list; }
    bool OkEnabled() const { return enabled_.ok; }
    bool MoveUpEnabled() const { return enabled_.moveUp; }
    bool MoveDownEnabled() const { return enabled_.moveDown; }
    bool AllEnabled() const { return enabled_.all; }
    bool NoneEnabled() const { return enabled_.none; }

  private:
    struct Enabled {
        bool list = true;
        bool ok = false;
        bool moveUp = false;
        bool moveDown = false;
        bool all = true;
        bool none = true;
    };

    void MoveCurrent(int step);
    void CheckAll(bool checked);

    QVector<Item> items_;
    int current_ = -1;
    bool chkDefault_ = false;
    bool selOK_ = false;
    bool closed_ = false;
    Enabled enabled_;
};

}  // namespace sp
