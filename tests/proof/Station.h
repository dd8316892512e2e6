#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/component/DefaultWorkbenchParts.h"
#include "platform/Platform.h"
#include "src/common/ComError.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/Dictionary.h"
#include "src/entry/ComponentContext.h"
#include "src/entry/HostServices.h"
#include "src/reportgrid/ReportColumns.h"
#include "src/workbench/frmProc.h"

namespace sp::test {

// Types into a report cell as a clerk does: the editor opens, takes the text and closes;
// false when the column is not shown or its editor does not open.
inline bool TypeInto(frmProc& form, ReportCode code, int row, const QString& text) {
    const int col = form.Parts().ReportColumn(ReportCodeName(code));
    GridModel& grid = form.vlgProc();
    if (col == 0)
        return false;
    grid.SetCurrentCell(row, col);
    if (!grid.OpenEditor())
        return false;
    grid.SetEditorText(text);
    grid.CloseEditor(true);
    return true;
}

// Loads the workbench as erp-host does, the filter dialog confirmed as it stands.
inline std::unique_ptr<frmProc> LoadWorkbench(HostServices& host, qint32 userId) {
    auto form = MakeWorkbench(host);
    auto filter = NewDictionary();
    filter->Set(QStringLiteral("OK"), true);
    form->SetUserId(userId);
    form->SetDicFilter(filter);
    form->SetListStyle(0);
    form->Load();
    return form;
}

// One workbench as erp-host starts it, headless, over a registry and clerk of its own: the
// real parts, the platform's stand-ins and the middle tier.
template <class ClerkUi>
struct HeadlessStation {
    using C = ReportCode;
    QTemporaryDir folder;
    ClerkUi ui;
    ComponentRegistry registry;
    std::unique_ptr<HostServices> host;
    std::unique_ptr<frmProc> form;

    // wrap may replace the platform's registrations before the workbench asks for them.
    HeadlessStation(const std::shared_ptr<platform::Database>& db, qint32 userId, const QString& user,
                    const std::function<void(ComponentRegistry&)>& wrap = {}) {
        platform::RegisterPlatform(registry, {db, userId, user, QStringLiteral("chs"), folder.path(), &ui});
        if (wrap)
            wrap(registry);
        host = std::make_unique<HostServices>(ComponentContext{&registry, &ui, folder.path(),
                                                               QCoreApplication::applicationDirPath(),
                                                               QCoreApplication::applicationPid()});
        form = LoadWorkbench(*host, userId);
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
    // Types into the cell as the clerk does; false when its editor does not open.
    bool TypeText(int row, C code, const QString& text) { return TypeInto(*form, code, row, text); }
    // Edit mode on the work bill; false when its task is held elsewhere.
    bool Open(qint32 wbInterId) {
        form->OpenWorkBillForEdit(wbInterId);
        return state().editMode && state().historyTaskId != 0;
    }
};

}  // namespace sp::test
