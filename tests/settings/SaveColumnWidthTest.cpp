#include <gtest/gtest.h>

#include "src/common/ComError.h"
#include "src/settings/ColumnLayout.h"
#include "src/settings/SaveColumnWidth.h"
#include "tests/support/FakeHost.h"

namespace sp::test {
namespace {

// The list's width goes to its layout rows, any other grid's to the record grid's; a
// width that is no number writes nothing, and a refused statement ends quietly.
TEST(SaveColumnWidth, WritesTheGridsLayoutRowOrNothing) {
    const QString row = u"Update SHRptDef Set Fwidth=%1 Where Ftype='%2' And FuserID=7 And Ffield='%3'"_s;
    // clang-format off
    const std::tuple<QString, QString, double, QString> cases[] = {
        {u"List"_s, u"FWorkBillNO"_s, 1500,    row.arg(u"1500"_s, u"WorkBill"_s, u"FWorkBillNO"_s)},
        {u"lIST"_s, u"F"_s,           12.5,    row.arg(u"12.5"_s, u"WorkBill"_s, u"F"_s)},
        {QString(), u"a'b"_s,         0,       row.arg(u"0"_s, u"ProcRpt"_s, u"a''b"_s)},
        {u"List"_s, u"F"_s,           qQNaN(), QString()},
    };
    // clang-format on
    HostHarness h;
    for (const auto& [grid, field, width, sql] : cases) {
        h.fake->statements.clear();
        SaveColumnWidth(*h.host, 7, grid, field, width);
        EXPECT_EQ(h.fake->statements, sql.isEmpty() ? QStringList() : QStringList{sql});
    }
    h.fake->failing = {u"Execute"_s};
    EXPECT_NO_THROW(SaveColumnWidth(*h.host, 7, u"List"_s, u"F"_s, 100));
    EXPECT_TRUE(h.ui.messages.isEmpty());
}

TEST(ColumnLayout, StoredValuesAreTakenWithSense) {
    const std::tuple<QVariant, double> widths[] = {{1500, 1500},   {u"1500"_s, 1500}, {-1, 0},
                                                   {30000, 30000}, {30001, 0},        {QVariant(), 0},
                                                   {u"x"_s, 0},    {qQNaN(), 0}};
    for (const auto& [stored, width] : widths)
        EXPECT_EQ(ColumnLayout::StoredWidth(stored), width) << stored.toString().toStdString();
    const std::tuple<QVariant, bool> shown[] = {{1, true}, {0, false}, {QVariant(), true}, {u"0"_s, false}};
    for (const auto& [stored, flag] : shown) EXPECT_EQ(ColumnLayout::StoredShown(stored), flag);
}

// An order is stored in one transaction, wholly or not at all (the clerk is told why);
// a quote stays inside its field. Restoring deletes the user's rows.
TEST(ColumnLayout, AnOrderIsStoredWhollyOrNotAtAllAndAQuoteStaysInItsField) {
    HostHarness h;
    const QVector<ColumnLayout::Position> columns = {{u"A"_s, 1, true}, {u"it's"_s, 2, false}};
    const QString row =
        u"Update SHRptDef Set Forder=%1 Where Ftype='ProcRpt' And FuserID=7 And Ffield='%2'"_s;
    EXPECT_TRUE(ColumnLayout::StoreOrder(*h.host, u"ProcRpt"_s, 7, columns));
    EXPECT_EQ(h.fake->statements,
              (QStringList{row.arg(u"1,Fshow=1"_s, u"A"_s), row.arg(u"2,Fshow=0"_s, u"it''s"_s)}));
    EXPECT_EQ(h.fake->calls.filter(u"Trans"_s), (QStringList{u"BeginTrans"_s, u"CommitTrans"_s}));

    h.fake->calls.clear();
    h.fake->execute = [](const QString& sql) -> RecordsetPtr {
        if (sql.contains(u"it''s"_s))
            throw ComError(ErrorNumber::Refused, u"db"_s, u"locked"_s);
        return std::make_shared<Recordset>();
    };
    EXPECT_FALSE(ColumnLayout::StoreOrder(*h.host, u"WorkBill"_s, 7, columns));
    EXPECT_EQ(h.fake->calls.filter(u"Trans"_s), (QStringList{u"BeginTrans"_s, u"RollbackTrans"_s}));
    EXPECT_EQ(h.ui.MessageTexts(), QStringList{u"列设置未能保存，仍按原来的设置显示——locked"_s});

    h.ui.messages.clear();
    h.fake->statements.clear();
    EXPECT_TRUE(ColumnLayout::Restore(*h.host, u"WorkBill"_s, 7));
    EXPECT_EQ(h.fake->statements,
              QStringList{u"Delete From SHRptDef Where Ftype='WorkBill' And FuserID=7"_s});
    EXPECT_TRUE(h.ui.messages.isEmpty());
}

}  // namespace
}  // namespace sp::test
