#include <gtest/gtest.h>

#include "src/navigation/ListCondition.h"
#include "tests/support/QtPrinters.h"

using namespace Qt::StringLiterals;

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
        {"all empty or absent", {{u"BDept"_s, QString()}, {u"EItem"_s, QVariant()}}, QString()},
        {"one upper bound", {{u"EDept"_s, u"03"_s}}, u" AND Dept.FShortNumber <='03'"_s},
        {"range lower first",
         {{u"EWC"_s, u"A09"_s}, {u"BWC"_s, u"A01"_s}},
         u" AND wc.FShortNumber >='A01' AND wc.FShortNumber <='A09'"_s},
        {"task before work bill",
         {{u"EWB"_s, u"WB9"_s}, {u"BICMO"_s, u"MO1"_s}},
         u" AND mo.FBillNo >='MO1' AND wbe.FWorkBillNo <='WB9'"_s},
        {"blanks are a value", {{u"BTeam"_s, u"  "_s}}, u" AND team.FID >='  '"_s},
        {"teams workers processes",
         {{u"BItem"_s, u"P1"_s}, {u"EWorker"_s, u"E9"_s}, {u"ETeam"_s, u"T2"_s}},
         u" AND team.FID <='T2' AND emp.FShortNumber <='E9' AND SMR.FID >='P1'"_s},
        {"placeholder inside a value",
         {{u"BICMO"_s, u"x.f##NUMBER"_s}},
         u" AND mo.FBillNo >='x.FShortNumber'"_s},
        {"quote doubled", {{u"BWB"_s, u"a' OR '1'='1"_s}}, u" AND wbe.FWorkBillNo >='a'' OR ''1''=''1'"_s},
        {"numbers as text", {{u"BDept"_s, 7}}, u" AND Dept.FShortNumber >='7'"_s},
        {"other keys ignored", {{u"OK"_s, true}, {u"bdept"_s, u"x"_s}}, QString()},
    };
    for (const ConditionCase& c : cases) {
        auto dic = NewDictionary();
        for (const auto& [k, v] : c.entries) dic->Set(k, v);
        EXPECT_EQ(BuildListCondition(dic), c.expected) << c.name;
    }
    EXPECT_TRUE(BuildListCondition(nullptr).isEmpty());
}

}  // namespace
}  // namespace sp
