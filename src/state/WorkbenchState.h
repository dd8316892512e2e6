#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "src/common/Dictionary.h"

namespace sp {

class HostServices;
class GridModel;
class ToolbarModel;
class Emps;
class Devs;
class Teams;
class TreeModel;

// The workbench's state, shared by the parts that act on it (list, tree, record grid,
// commands). frmProc owns it and the controls it points to.
struct WorkbenchState {
    HostServices* host = nullptr;
    GridModel* vlgProc = nullptr;  // record grid
    GridModel* vlgList = nullptr;  // work bill list
    ToolbarModel* barProc = nullptr;
    TreeModel* tvw = nullptr;  // work bill tree; may stay null

    // What the window shows beside the grids' contents: the list and the record grid
    // are hidden when they hold no data row, and lblProc then tells why.
    bool listVisible = true;
    bool procGridVisible = true;
    QString lblListText;
    QString lblProcText;
    // The clerk cancelled a list or history load: the command that started it ends
    // there. Cleared when a command starts.
    bool loadCancelled = false;
    // Milliseconds, for when a long load shows its progress; empty: a steady clock.
    std::function<qint64()> loadClock;

    qint32 userId = 0;
    DictionaryPtr dicFilter;

    bool editMode = false;  // false: new mode
    bool modified = false;
    bool listLoaded = false;
    QString currentWorkBillNo;
    double receiveMaximum = 0;
    double handOverMinimum = 0;
    qint32 defaultDeviceType = 0;

    // Grid column (2..37) of each report column code, indexed in the fixed code order;
    // 0 when the layout has no column for the code.
    std::array<int, 36> reportColumnPos{};
    // Function-conflict task held by each record grid row (index = grid row; entries
    // below 2 unused), and the task of the work bill loaded in edit mode.
    QVector<qint32> rowLocks;
    qint32 historyTaskId = 0;
    QString historyWorkBillNo;  // the work bill historyTaskId holds
    // The settings of a work bill as the editability rule read them under a task of
    // this workstation, by task id. While the task is held nobody else writes to the
    // work bill, and this workstation's report writes change none of them, so they stand
    // until it reloads (ReleaseAllRowLocks); a task taken again has a new id and reads anew.
    struct HeldWorkBill {
        QString number;
        qint32 team = 0, worker = 0, device = 0, isOut = 0, fare = 0;
        std::optional<bool> qualityInspected;  // read when first asked
    };
    QHash<qint32, HeldWorkBill> heldWorkBills;
    // Record grid rows (by grid row) that an earlier save of this grid stored: their work
    // bill cell no longer changes.
    QVector<bool> storedRows;
    // Received and handed-over quantities of each row as last stored (loaded with the
    // history or sent by a save), by grid row: an edit-mode save checks the limits against
    // what changed since.
    QVector<double> storedReceive, storedHandOver;

    // Work bill list: field shown in grid column i + 1, and the row last handed over.
    QStringList listFields;
    int currentListRow = 0;

    // Lookup caches, created on first use and released at unload.
    std::unique_ptr<Emps> emps;
    std::unique_ptr<Devs> devs;
    std::unique_ptr<Teams> teams;
    Emps& EmpsCache();
    Devs& DevsCache();
    Teams& TeamsCache();
    void ReleaseCaches();
    // Whether a grid row was stored by an earlier save of this grid.
    bool RowStored(int row) const { return row >= 0 && row < storedRows.size() && storedRows[row]; }

    // Hooks into the workbench's own rules, so the parts above can call each other
    // without knowing who answers. frmProc installs them.
    std::function<void()> updateCommandStates;
    std::function<void()> updateStatusText;
    std::function<void(int showFilter)> loadReportHistory;
    std::function<void()> paintReportGrid;
    // Asked before the current work bill changes (list row, tree node, list reload):
    // false keeps the grid and the list's current row. Unsaved edits are never
    // dropped without a question.
    std::function<bool()> confirmLeaveWorkBill;
    // Whether a work bill number names a reportable work bill; showMessage tells the
    // user when it does not.
    std::function<bool(const QString& workBillNo, bool showMessage)> isExistWB;
    // Selects a typed work bill in the tree and list when they hold it.
    std::function<void(const QString& workBillNo)> locateWorkBill;
    // The record grid takes the keyboard focus.
    std::function<void()> focusReportGrid;

    WorkbenchState();
    ~WorkbenchState();
    WorkbenchState(const WorkbenchState&) = delete;
    WorkbenchState& operator=(const WorkbenchState&) = delete;
};

}  // namespace sp
