#include <gtest/gtest.h>

#include "src/common/Collection.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/Dictionary.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/LoadProgress.h"
#include "src/common/Recordset.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedUi.h"

namespace sp {
namespace {

using namespace Qt::StringLiterals;

// The number of the ComError the call raises; 0 when it raises none.
int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ComError& e) {
        return e.Number();
    }
    return 0;
}

TEST(Dictionary, KeepsInsertionOrderAndReplacesInPlace) {
    Dictionary d;
    d.Set(u"OK"_s, false);
    d.Set(u"BDept"_s, u"01"_s);
    d.Set(u"EDept"_s, u"09"_s);
    d.Set(u"OK"_s, true);
    EXPECT_EQ(d.Keys(), (QStringList{u"OK"_s, u"BDept"_s, u"EDept"_s}));
    EXPECT_TRUE(d.Item(u"OK"_s).toBool());
    EXPECT_FALSE(d.Item(u"ok"_s).isValid()) << "keys are exact";
    d.Remove(u"BDept"_s);
    EXPECT_EQ(d.Keys(), (QStringList{u"OK"_s, u"EDept"_s}));
}

TEST(Collection, KeysIgnoreCaseAndPositionsCountFromOne) {
    Collection<QString> c;
    c.Add(u"first"_s, u"E01"_s);
    c.Add(u"unkeyed"_s);
    c.Add(u"third"_s, u"e03"_s);
    EXPECT_EQ(std::tuple(c.Item(1), c.Item(u"e01"_s), c.Item(u"E03"_s)),
              std::tuple(u"first"_s, u"first"_s, u"third"_s));
    EXPECT_EQ(ErrorOf([&] { c.Add(u"again"_s, u"E01"_s); }), 457) << "duplicate key";
    EXPECT_EQ(ErrorOf([&] { c.Add(u"again"_s, u"E03"_s); }), 457) << "duplicate key in another case";
    EXPECT_EQ(ErrorOf([&] { c.Item(0); }), 9) << "position 0";
    EXPECT_EQ(ErrorOf([&] { c.Item(4); }), 9) << "position past the end";
    EXPECT_EQ(ErrorOf([&] { c.Item(u"E99"_s); }), 5) << "missing key";
    EXPECT_EQ(ErrorOf([&] { c.Remove(u"E99"_s); }), 5) << "removing a missing key";
    EXPECT_EQ(c.Count(), 3) << "a refused Add adds nothing";
    c.Remove(1);
    c.Remove(u"e03"_s);
    for (const QString& s : c) EXPECT_EQ(s, u"unkeyed"_s);
}

Recordset Plans() {
    // clang-format off
    return Recordset({u"FKey"_s, u"FValue"_s, u"FNo"_s},
                     {{u"BDept"_s, u"01"_s, 1}, {u"EDept"_s, u"09"_s, 2}, {u"BDept"_s, u"O'Neil"_s, 3},
                      {u"BWC"_s, QVariant(), 4}});
    // clang-format on
}

TEST(Recordset, CursorAndFields) {
    Recordset rs = Plans();
    EXPECT_EQ(rs.Field(u"fkey"_s).toString(), u"BDept"_s);
    EXPECT_THROW(rs.Field(u"FMissing"_s), ComError);
    EXPECT_THROW(rs.Field(3), ComError);
    int rows = 0;
    for (; !rs.Eof(); rs.MoveNext()) ++rows;
    EXPECT_EQ(rows, 4);
    EXPECT_THROW(rs.Field(0), ComError) << "reading past the end";
    rs.Close();
    EXPECT_TRUE(rs.Eof()) << "a closed recordset has no rows";
    EXPECT_TRUE(Recordset().Eof());
}

TEST(Recordset, FilterSelectsRows) {
    // A plan's entry is found by its key, compared exactly; an empty filter shows every row.
    const std::pair<const char*, QList<int>> cases[] = {
        {"FKey='BDept'", {1, 3}}, {"FKey='bdept'", {}}, {"FValue=''", {}}, {"", {1, 2, 3, 4}}};
    for (const auto& [filter, numbers] : cases) {
        Recordset rs = Plans();
        rs.SetFilter(QString::fromUtf8(filter));
        QList<int> seen;
        for (; !rs.Eof(); rs.MoveNext()) seen << rs.Field(u"FNo"_s).toInt();
        EXPECT_EQ(seen, numbers) << filter;
        EXPECT_EQ(rs.RecordCount(), numbers.size()) << filter;
    }
    Recordset rs = Plans();
    EXPECT_THROW(rs.SetFilter(u"FMissing='x'"_s), ComError);
    EXPECT_THROW(rs.SetFilter(u"FKey LIKE 'B%'"_s), ComError);
}

struct Thing {
    int v;
};
struct Other {};

TEST(ComponentRegistry, CreatesANewTypedObjectPerCall) {
    ComponentRegistry registry;
    int made = 0;
    registry.Register<Thing>(u"Host.Thing"_s, [&] { return std::make_shared<Thing>(++made); });
    EXPECT_EQ(registry.Create<Thing>(u"host.THING"_s)->v, 1);
    EXPECT_EQ(registry.Create<Thing>(u"Host.Thing"_s)->v, 2);
    registry.Register<Thing>(u"Host.Null"_s, [] { return std::shared_ptr<Thing>(); });
    EXPECT_EQ(ErrorOf([&] { registry.Create<Thing>(u"Host.Missing"_s); }), 429) << "unknown ProgID";
    EXPECT_EQ(ErrorOf([&] { registry.Create<Other>(u"Host.Thing"_s); }), 429) << "another interface";
    EXPECT_EQ(ErrorOf([&] { registry.Create<Thing>(u"Host.Null"_s); }), 429) << "a factory giving nothing";
    registry.Unregister(u"HOST.thing"_s);
    EXPECT_FALSE(registry.IsRegistered(u"Host.Thing"_s));
}

TEST(IgnoreErrors, AFailedStepLeavesItsTargetEmptyAndTheNextRuns) {
    EXPECT_TRUE(
        ValueOrEmpty<QString>([]() -> QString { throw ComError(5, u"test"_s, u"broken"_s); }).isEmpty());
    EXPECT_EQ(ValueOrEmpty<int>([]() -> int { throw std::runtime_error("x"); }), 0);
    EXPECT_EQ(ValueOrEmpty<int>([] { return 5; }), 5);
    EXPECT_FALSE(IgnoreErrors([] { throw 42; }));
    int ran = 0;
    EXPECT_TRUE(IgnoreErrors([&] { ++ran; }));
    EXPECT_EQ(ran, 1);
}

// A load shows its count once it has run half a second, then again every 50 ms at most;
// a quicker load never reaches the screen. A cancel holds for the rest of the load, and
// a progress shown leaves the screen once.
TEST(LoadProgress, ShowsAfterHalfASecondThenEvery50MsAndACancelHolds) {
    // msPerRow: the clock moves on this much at every reading; cancelAfter: rows read when
    // the clerk presses 取消 (-1 never); refusedFrom: the first row Step answers false.
    // clang-format off
    const struct { const char* name; qint64 msPerRow; int rows, cancelAfter; QList<int> shownAt;
                   int refusedFrom; } cases[] = {
        {"quick", 12, 40, -1, {}, 0}, {"long", 100, 8, -1, {5, 6, 7, 8}, 0},
        {"every 50 ms", 20, 34, -1, {25, 28, 31, 34}, 0}, {"cancelled", 100, 8, 6, {5, 6}, 6}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUi ui;
        ui.cancelLoadAfterRows = c.cancelAfter;
        qint64 now = 0;
        QList<int> refused;
        {
            LoadProgress progress(ui, LoadPane::List, [&] { return now += c.msPerRow; });
            progress.SetTotal(c.rows);
            for (int row = 1; row <= c.rows; ++row)
                if (!progress.Step(row))
                    refused << row;
        }
        QStringList shown;
        for (int row : c.shownAt) shown << u"List %1/%2"_s.arg(row).arg(c.rows);
        EXPECT_EQ(std::tuple(ui.loadProgress, ui.loadProgressEnded, refused.value(0), refused.size()),
                  std::tuple(shown, shown.isEmpty() ? QStringList() : QStringList{u"List"_s}, c.refusedFrom,
                             c.refusedFrom ? c.rows - c.refusedFrom + 1 : 0));
    }
}

}  // namespace
}  // namespace sp
