#include <gtest/gtest.h>

#include "lookups/FakeHost.h"
#include "settings/SaveColumnWidth.h"

namespace sp {
namespace {

TEST(SaveColumnWidthTest, WritesTheGridsLayoutRow) {
    struct Case {
        QString grid, field;
        double width;
        QString sql;
    };
    const QVector<Case> cases{
        {QStringLiteral("List"), QStringLiteral("FWorkBillNO"), 1500,
         QStringLiteral("Update SHRptDef Set Fwidth=1500 Where Ftype='WorkBill' And FuserID=7 And Ffield='FWorkBillNO'")},
        {QStringLiteral("lIST"), QStringLiteral("F"), 12.5,
         QStringLiteral("Update SHRptDef Set Fwidth=12.5 Where Ftype='WorkBill' And FuserID=7 And Ffield='F'")},
        {QStringLiteral("Proc"), QStringLiteral("JSS"), 900,
         QStringLiteral("Update SHRptDef Set Fwidth=900 Where Ftype='ProcRpt' And FuserID=7 And Ffield='JSS'")},
        {QString(), QStringLiteral("a'b"), 0,
         QStringLiteral("Update SHRptDef Set Fwidth=0 Where Ftype='ProcRpt' And FuserID=7 And Ffield='a''b'")},
    };
    testing::FakeHost fake;
    for (const Case& c : cases) {
        fake.statements.clear();
        SaveColumnWidth(*fake.host, 7, c.grid, c.field, c.width);
        ASSERT_EQ(fake.statements.size(), 1);
        EXPECT_EQ(fake.statements[0], c.sql);
    }
}

TEST(SaveColumnWidthTest, FailureEndsQuietly) {
    testing::FakeHost fake;
    fake.connectionFails = true;
    EXPECT_NO_THROW(SaveColumnWidth(*fake.host, 7, QStringLiteral("List"), QStringLiteral("F"), 100));
    EXPECT_TRUE(fake.ui.messages.isEmpty());
    fake.connectionFails = false;
    SaveColumnWidth(*fake.host, 7, QStringLiteral("List"), QStringLiteral("F"), qQNaN());
    EXPECT_TRUE(fake.statements.isEmpty());
}

}  // namespace
}  // namespace sp
