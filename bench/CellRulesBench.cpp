// The record grid's editability rule on the demo shop: the real workbench over the
// real stand-ins on a SQLite file, 200 new report rows typed in like a clerk, then the
// cursor walked over every visible cell of them. Every cell the cursor enters asks
// CanEditReportCell (access check, work bill information, reportable work bill and,
// for three columns, the quality inspection), each through a new object.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/component/DefaultWorkbenchParts.h"
#include "bench/DefaultAnswers.h"
#include "platform/Platform.h"
#include "platform/db/Database.h"
#include "platform/db/DemoData.h"
#include "platform/db/Users.h"
#include "src/common/Basic.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/Dictionary.h"
#include "src/common/Recordset.h"
#include "src/common/Ui.h"
#include "src/entry/HostServices.h"
#include "src/entry/Rights.h"
#include "src/workbench/frmProc.h"

using namespace sp;

namespace {

constexpr int kReportRows = 200;

struct Shop {
    QTemporaryDir folder;
    std::shared_ptr<platform::Database> db;
    DefaultAnswers ui{true};
    ComponentRegistry registry;
    std::unique_ptr<HostServices> host;
    std::unique_ptr<frmProc> form;
    std::vector<int> cols;  // the visible report columns, left to right
    int firstRow = 2;
    int lastRow = 1;
    int setupMessages = 0;

    GridModel& grid() { return form->vlgProc(); }
    int cells() const { return (lastRow - firstRow + 1) * static_cast<int>(cols.size()); }
};

// Types a work bill number into a row's work bill cell as a clerk does.
void TypeWorkBill(GridModel& grid, int row, int col, const QString& number) {
    grid.SetCurrentCell(row, col);
    if (!grid.OpenEditor())
        qFatal("the work bill cell of row %d does not open", row);
    grid.SetEditorText(number);
    grid.CloseEditor(true);
}

Shop* shop = nullptr;

Shop& S() {
    if (!shop)
        shop = [] {
            auto* s = new Shop;
            if (!s->folder.isValid())
                qFatal("no temporary folder");
            s->db = platform::Database::Open(platform::DatabaseUrl::Parse(
                QStringLiteral("sqlite:") + s->folder.filePath(QStringLiteral("shop.db"))));
            platform::SeedDemo(*s->db);
            platform::AddUser(*s->db, QStringLiteral("bench"), Rights::All);
            const qint32 user = Basic::Long(s->db->Scalar(
                QStringLiteral("SELECT FUserID FROM t_User WHERE FName = ?"), {QStringLiteral("bench")}));

            platform::PlatformSession session;
            session.db = s->db;
            session.userId = user;
            session.userName = QStringLiteral("bench");
            session.language = QStringLiteral("chs");
            session.programFolder = s->folder.path();
            session.ui = &s->ui;
            platform::RegisterPlatform(s->registry, session);
            s->host = std::make_unique<HostServices>(ComponentContext{&s->registry, &s->ui, s->folder.path(),
                                                                      QCoreApplication::applicationDirPath(),
                                                                      QCoreApplication::applicationPid()});
            s->form = MakeWorkbench(*s->host);
            auto filter = NewDictionary();
            filter->Set(QStringLiteral("OK"), true);
            s->form->SetUserId(user);
            s->form->SetDicFilter(filter);
            s->form->SetListStyle(0);

            // The demo's reportable work bills, in number order.
            QStringList reportable;
            RecordsetPtr numbers =
                s->db->Query(QStringLiteral("SELECT FWorkBillNO FROM SHWorkBillEntry ORDER BY FWorkBillNO"));
            for (; !numbers->Eof(); numbers->MoveNext()) {
                const QString number = numbers->Field(0).toString();
                if (s->form->IsExistWB(number, false))
                    reportable << number;
            }
            if (reportable.isEmpty())
                qFatal("the demo shop has no reportable work bill");

            GridModel& grid = s->grid();
            const int gph = s->form->Parts().ReportColumn(QStringLiteral("GPH"));
            s->firstRow = grid.FixedRows() + 1;
            for (int i = 0; i < kReportRows; ++i) {
                const int row = s->firstRow + i;
                if (row > grid.Rows())
                    grid.AddRow();  // only if typing the row above did not add it
                TypeWorkBill(grid, row, gph, reportable.at(i % reportable.size()));
            }
            s->lastRow = s->firstRow + kReportRows - 1;
            for (int i = 0; i < kReportRows; ++i)
                if (grid.CellText(s->firstRow + i, gph) != reportable.at(i % reportable.size()))
                    qFatal("row %d did not keep its work bill", s->firstRow + i);
            for (int c = 2; c <= grid.Cols(); ++c)
                if (grid.ColumnVisible(c))
                    s->cols.push_back(c);
            s->setupMessages = s->ui.messages;
            std::fprintf(stderr,
                         "demo shop: %lld reportable work bills; %d report rows over them, %zu visible "
                         "columns, %d cells; %d messages while typing\n",
                         static_cast<long long>(reportable.size()), kReportRows, s->cols.size(), s->cells(),
                         s->setupMessages);
            return s;
        }();
    return *shop;
}

// One iteration is one row's visible cells; the rows follow each other, so a run of
// 200 iterations is one walk over every cell. Each cell is also timed alone: the
// median of those is the figure the target speaks of.
template <class Visit>
void PerCell(benchmark::State& state, Visit visit) {
    Shop& s = S();
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(state.max_iterations) * s.cols.size() + s.cols.size());
    int row = s.firstRow;
    int editable = 0;
    const int messagesBefore = s.ui.messages;
    for (auto _ : state) {
        for (int col : s.cols) {
            const auto start = std::chrono::steady_clock::now();
            editable += visit(s, row, col) ? 1 : 0;
            micros.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        }
        row = row == s.lastRow ? s.firstRow : row + 1;
    }
    const auto cells = static_cast<int64_t>(micros.size());
    state.SetItemsProcessed(cells);
    std::nth_element(micros.begin(), micros.begin() + cells / 2, micros.end());
    state.counters["median_cell_us"] = micros[static_cast<size_t>(cells / 2)];
    std::nth_element(micros.begin(), micros.begin() + cells * 9 / 10, micros.end());
    state.counters["p90_cell_us"] = micros[static_cast<size_t>(cells * 9 / 10)];
    state.counters["per_cell"] = benchmark::Counter(
        static_cast<double>(cells), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["editable"] = static_cast<double>(editable) / static_cast<double>(cells);
    state.counters["messages"] = s.ui.messages - messagesBefore;
}

// The cursor enters each cell in turn: the grid's current-cell-change handling with
// the old cell's commit and resolution, the new cell's lock, status and command states.
void BM_CursorWalk(benchmark::State& state) {
    PerCell(state, [](Shop& s, int row, int col) {
        s.grid().SetCurrentCell(row, col);
        return !s.grid().CellLocked(row, col);
    });
}
BENCHMARK(BM_CursorWalk)->Iterations(kReportRows)->Unit(benchmark::kMillisecond);

// The rule alone, as Enter asks it for every cell it passes.
void BM_CanEditReportCell(benchmark::State& state) {
    PerCell(state, [](Shop& s, int row, int col) { return s.form->Parts().CanEditReportCell(row, col); });
}
BENCHMARK(BM_CanEditReportCell)->Iterations(kReportRows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Text widths are measured in the toolbar's font; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    S();  // seed and type the rows before timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The rows' tasks are released, then the temporary folder goes with the shop.
    S().form->Unload();
    delete shop;
    return 0;
}
