#include <gtest/gtest.h>

#include "navigation/ListCondition.h"

namespace sp {
namespace {

struct ConditionCase {
    const char* name;
    QVector<std::pair<QString, QVariant>> entries;
    QString expected;
};

TEST(ListConditionTest, BuildsTheFragmentsInTheirFixedOrder) {
    const QVector<ConditionCase> cases{
        {"empty", {}, QString()},
        {"all empty or absent", {{QStringLiteral("BDept"), QString()}, {QStringLiteral("EItem"), QVariant()}}, QString()},
        {"one upper bound", {{QStringLiteral("EDept"), QStringLiteral("03")}},
         QStringLiteral(" AND Dept.FShortNumber <='03'")},
        {"range lower first",
         {{QStringLiteral("EWC"), QStringLiteral("A09")}, {QStringLiteral("BWC"), QStringLiteral("A01")}},
         QStringLiteral(" AND wc.FShortNumber >='A01' AND wc.FShortNumber <='A09'")},
        {"task before work bill",
         {{QStringLiteral("EWB"), QStringLiteral("WB9")}, {QStringLiteral("BICMO"), QStringLiteral("MO1")}},
         QStringLiteral(" AND mo.FBillNo >='MO1' AND wbe.FWorkBillNo <='WB9'")},
        {"blanks are a value", {{QStringLiteral("BTeam"), QStringLiteral("  ")}}, QStringLiteral(" AND team.FID >='  '")},
        {"teams workers processes",
         {{QStringLiteral("BItem"), QStringLiteral("P1")},
          {QStringLiteral("EWorker"), QStringLiteral("E9")},
          {QStringLiteral("ETeam"), QStringLiteral("T2")}},
         QStringLiteral(" AND team.FID <='T2' AND emp.FShortNumber <='E9' AND SMR.FID >='P1'")},
        {"placeholder inside a value", {{QStringLiteral("BICMO"), QStringLiteral("x.f##NUMBER")}},
         QStringLiteral(" AND mo.FBillNo >='x.FShortNumber'")},
        {"quote doubled", {{QStringLiteral("BWB"), QStringLiteral("a' OR '1'='1")}},
         QStringLiteral(" AND wbe.FWorkBillNo >='a'' OR ''1''=''1'")},
        {"numbers as text", {{QStringLiteral("BDept"), 7}}, QStringLiteral(" AND Dept.FShortNumber >='7'")},
        {"other keys ignored", {{QStringLiteral("OK"), true}, {QStringLiteral("bdept"), QStringLiteral("x")}}, QString()},
    };
    for (const ConditionCase& c : cases) {
        auto dic = NewDictionary();
        for (const auto& [k, v] : c.entries)
            dic->Set(k, v);
        EXPECT_EQ(BuildListCondition(dic), c.expected) << c.name;
    }
    EXPECT_TRUE(BuildListCondition(nullptr).isEmpty());
}

TEST(ListConditionTest, QuotedBoundNeverEndsItsLiteral) {
    auto dic = NewDictionary();
    dic->Set(QStringLiteral("EWB"), QStringLiteral("x'; DROP TABLE SHProcRpt; --"));
    const QString c = BuildListCondition(dic);
    // Inside the literal every quote is paired, so the literal closes only at the end.
    const QString literal = c.mid(c.indexOf(u'\'') + 1);
    EXPECT_TRUE(literal.endsWith(u'\''));
    EXPECT_EQ(literal.chopped(1).count(QStringLiteral("''")) * 2, literal.chopped(1).count(u'\''));
}

}  // namespace
}  // namespace sp
