#include <gtest/gtest.h>

#include "src/settings/SaveColumnWidth.h"
#include "tests/support/FakeHost.h"

namespace sp::test {
namespace {

TEST(SaveColumnWidth, WritesTheGridsLayoutRowOrNothing) {
    // A width that is no number writes nothing.
    const std::tuple<QString, QString, double, QString> cases[] = {
        {u"List"_s, u"FWorkBillNO"_s, 1500,
         u"Update SHRptDef Set Fwidth=1500 Where Ftype='WorkBill' And FuserID=7 And Ffield='FWorkBillNO'"_s},
        {u"lIST"_s, u"F"_s, 12.5,
         u"Update SHRptDef Set Fwidth=12.5 Where Ftype='WorkBill' And FuserID=7 And Ffield='F'"_s},
        {QString(), u"a'b"_s, 0,
         u"Update SHRptDef Set Fwidth=0 Where Ftype='ProcRpt' And FuserID=7 And Ffield='a''b'"_s},
        {u"List"_s, u"F"_s, qQNaN(), QString()},
    };
    HostHarness h;
    for (const auto& [grid, field, width, sql] : cases) {
        h.fake->statements.clear();
        SaveColumnWidth(*h.host, 7, grid, field, width);
        EXPECT_EQ(h.fake->statements, sql.isEmpty() ? QStringList() : QStringList{sql});
    }
    // A refused statement ends quietly.
    h.fake->failing = {u"Execute"_s};
    EXPECT_NO_THROW(SaveColumnWidth(*h.host, 7, u"List"_s, u"F"_s, 100));
    EXPECT_TRUE(h.ui.messages.isEmpty());
}

}  // namespace
}  // namespace sp::test
