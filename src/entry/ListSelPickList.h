#pragma once

#include <QString>
#include <QVariant>
#include <functional>

#include "src/common/Ui.h"

namespace sp {

// What every searchable pick dialog shows: a caption, a search text that narrows the
// rows, a table of rows, a current row, and OK/Cancel. frmList and the host's lookup
// dialogs implement it, so one view serves them all and keeps no logic of its own.
// Rows and columns count from 0.
class ListSelPickList : public DialogModel {
  public:
    virtual QString Caption() const = 0;
    virtual int ColumnCount() const = 0;
    virtual QString ColumnTitle(int column) const = 0;
    virtual int RowCount() const = 0;
    virtual QVariant Cell(int row, int column) const = 0;

    virtual QString SearchText() const = 0;
    // Narrows the rows (a new query); rowsChanged fires afterwards.
    virtual void SetSearchText(const QString& text) = 0;

    // -1 when no row is current.
    virtual int CurrentRow() const = 0;
    virtual void SetCurrentRow(int row) = 0;

    // The user's OK and Cancel (window close included). The model decides whether the
    // dialog ends; it calls closeView when it does.
    virtual void Confirm() = 0;
    virtual void Cancel() = 0;

    // The view has been shown and activated (a model may close itself here).
    virtual void Activated() {}

    // Installed by the view.
    std::function<void()> rowsChanged;
    std::function<void()> closeView;

  protected:
    void NotifyRowsChanged() {
        if (rowsChanged)
            rowsChanged();
    }
    void RequestClose() {
        if (closeView)
            closeView();
    }
};

}  // namespace sp
