#include <gtest/gtest.h>

#include "tests/lookups/FakeHost.h"
#include "src/settings/SaveColumnWidth.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

TEST(SaveColumnWidthTest, WritesTheGridsLayoutRowOrNothing) {
    struct Case {
        QString grid, field;
        double width;
        QString sql;
    };
    const QVector<Case> cases{
        {u"List"_s, u"FWorkBillNO"_s, 1500,
         u"Update SHRptDef Set Fwidth=1500 Where Ftype='WorkBill' And FuserID=7 And Ffield='FWorkBillNO'"_s},
        {u"lIST"_s, u"F"_s, 12.5,
         u"Update SHRptDef Set Fwidth=12.5 Where Ftype='WorkBill' And FuserID=7 And Ffield='F'"_s},
        {QString(), u"a'b"_s, 0,
         u"Update SHRptDef Set Fwidth=0 Where Ftype='ProcRpt' And FuserID=7 And Ffield='a''b'"_s},
    };
    test::FakeHost fake;
    for (const Case& c : cases) {
        fake.statements.clear();
        SaveColumnWidth(*fake.host, 7, c.grid, c.field, c.width);
        EXPECT_EQ(fake.statements, QStringList{c.sql});
    }

    // A refused statement ends quietly; a width that is no number writes nothing.
    fake.statements.clear();
    fake.connectionFails = true;
    EXPECT_NO_THROW(SaveColumnWidth(*fake.host, 7, u"List"_s, u"F"_s, 100));
    EXPECT_TRUE(fake.ui.messages.isEmpty());
    fake.connectionFails = false;
    SaveColumnWidth(*fake.host, 7, u"List"_s, u"F"_s, qQNaN());
    EXPECT_TRUE(fake.statements.isEmpty());
}

}  // namespace
}  // namespace sp
