#pragma once

#include <QStringList>
#include <memory>

#include "app/component/DefaultWorkbenchParts.h"
#include "src/common/ComError.h"
#include "src/common/Dictionary.h"
#include "src/reportgrid/ReportColumns.h"
#include "src/workbench/WorkbenchToolbar.h"
#include "src/workbench/frmProc.h"
#include "tests/support/SignedIn.h"

namespace sp::test {

using namespace Qt::StringLiterals;

// One workbench as erp-host starts it, headless, over a registry and clerk of its own: the
// real parts, the platform's stand-ins and the middle tier.
template <class ClerkUi>
struct HeadlessStation : SignedIn<ClerkUi> {
    using C = ReportCode;
    std::unique_ptr<frmProc> form;

    // wrap may replace the platform's registrations before the workbench asks for them.
    HeadlessStation(const std::shared_ptr<platform::Database>& db, qint32 userId, const QString& user,
                    const std::function<void(ComponentRegistry&)>& wrap = {}) {
        this->SignIn(db, userId, user, u"chs"_s, wrap);
        // As ShopProc::ShowForm hands it over, the filter dialog confirmed as it stands:
        // the list style loads the window once and fills its list.
        form = MakeWorkbench(*this->host);
        auto filter = NewDictionary();
        filter->Set(u"OK"_s, true);
        form->SetUserId(userId);
        form->SetDicFilter(filter);
        form->SetListStyle(0);
    }
    ~HeadlessStation() {
        try {
            form->Unload();
        } catch (const ComError&) {
        }
    }

    WorkbenchState& state() { return form->State(); }
    GridModel& grid() { return form->vlgProc(); }
    int First() { return grid().FixedRows() + 1; }
    int Col(C code) { return form->Parts().ReportColumn(ReportCodeName(code)); }
    QString Cell(int row, C code) { return grid().CellText(row, Col(code)).trimmed(); }
    // Types into the cell as the clerk does: the editor opens, takes the text and closes;
    // false when the column is not shown or its editor does not open.
    bool TypeText(int row, C code, const QString& text) {
        if (Col(code) == 0)
            return false;
        grid().SetCurrentCell(row, Col(code));
        if (!grid().OpenEditor())
            return false;
        grid().SetEditorText(text);
        grid().CloseEditor(true);
        return true;
    }
    // A new report of the work bill in the row, each quantity qty; false when a cell does
    // not open or the work bill is not taken (its task is held elsewhere).
    bool NewRow(int row, const QString& bill, const QString& memo = {}, const QString& qty = u"1"_s) {
        if (!TypeText(row, C::GPH, bill) || Cell(row, C::GPH) != bill)
            return false;
        for (C code : {C::JSS, C::SZS, C::HGS, C::YJS})
            if (!TypeText(row, code, qty))
                return false;
        return memo.isEmpty() || TypeText(row, C::MEMO, memo);
    }
    // Saves the grid; true when the workbench says it stored the rows.
    bool Save() {
        form->Dispatch(Tool::FileSave());
        return !state().modified;
    }
    // Edit mode on the work bill; false when its task is held elsewhere.
    bool Open(qint32 wbInterId) {
        form->OpenWorkBillForEdit(wbInterId);
        return state().editMode && state().historyTaskId != 0;
    }
    int RowOf(const QString& serial) {
        for (int r = First(); r <= grid().Rows(); ++r)
            if (Cell(r, C::HBXH) == serial)
                return r;
        return 0;
    }
    // Selects the rows from the first serial's to the last's, as a clerk drags over them.
    void Select(const QStringList& serials) {
        const int from = RowOf(serials.first()), to = RowOf(serials.last());
        if (from == to)
            grid().SetCurrentCell(from, Col(C::HBXH));
        else
            grid().SelectRows(from, to, Col(C::HBXH));
    }
    // The work bill numbers the list shows (its column 5).
    QStringList Listed() {
        QStringList numbers;
        for (int r = 2; state().listVisible && r <= form->vlgList().Rows(); ++r)
            numbers << form->vlgList().CellText(r, 5);
        return numbers;
    }
};

}  // namespace sp::test
