#include <gtest/gtest.h>

#include "common/Collection.h"
#include "common/ComponentRegistry.h"
#include "common/Dictionary.h"
#include "common/IgnoreErrors.h"
#include "common/Recordset.h"

namespace sp {
namespace {

TEST(Dictionary, KeepsInsertionOrderAndReplacesInPlace) {
    Dictionary d;
    d.Set(QStringLiteral("OK"), false);
    d.Set(QStringLiteral("BDept"), QStringLiteral("01"));
    d.Set(QStringLiteral("EDept"), QStringLiteral("09"));
    d.Set(QStringLiteral("OK"), true);
    EXPECT_EQ(d.Keys(),
              (QStringList{QStringLiteral("OK"), QStringLiteral("BDept"), QStringLiteral("EDept")}));
    EXPECT_TRUE(d.Item(QStringLiteral("OK")).toBool());
    EXPECT_FALSE(d.Item(QStringLiteral("ok")).isValid()) << "keys are exact";
    EXPECT_FALSE(d.Exists(QStringLiteral("BWC")));
    d.Remove(QStringLiteral("BDept"));
    EXPECT_EQ(d.Keys(), (QStringList{QStringLiteral("OK"), QStringLiteral("EDept")}));
    EXPECT_EQ(d.Item(QStringLiteral("EDept")).toString(), QStringLiteral("09"));
    d.RemoveAll();
    EXPECT_EQ(d.Count(), 0);
}

TEST(Collection, KeysIgnoreCaseAndPositionsCountFromOne) {
    Collection<QString> c;
    c.Add(QStringLiteral("first"), QStringLiteral("E01"));
    c.Add(QStringLiteral("unkeyed"));
    c.Add(QStringLiteral("third"), QStringLiteral("e03"));
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(1), QStringLiteral("first"));
    EXPECT_EQ(c.Item(QStringLiteral("e01")), QStringLiteral("first"));
    EXPECT_EQ(c.Item(QStringLiteral("E03")), QStringLiteral("third"));
    EXPECT_TRUE(c.Contains(QStringLiteral("E03")));

    const struct {
        std::function<void()> call;
        int number;
        const char* what;
    } failures[] = {
        {[&] { c.Add(QStringLiteral("again"), QStringLiteral("E01")); }, 457, "duplicate key"},
        {[&] { c.Add(QStringLiteral("again"), QStringLiteral("E03")); }, 457,
         "duplicate key in another case"},
        {[&] { c.Item(0); }, 9, "position 0"},
        {[&] { c.Item(4); }, 9, "position past the end"},
        {[&] { c.Item(QStringLiteral("E99")); }, 5, "missing key"},
        {[&] { c.Remove(QStringLiteral("E99")); }, 5, "removing a missing key"},
    };
    for (const auto& f : failures) {
        try {
            f.call();
            ADD_FAILURE() << "no error: " << f.what;
        } catch (const ComError& e) {
            EXPECT_EQ(e.Number(), f.number) << f.what;
        }
    }
    EXPECT_EQ(c.Count(), 3) << "a refused Add adds nothing";

    c.Remove(1);
    EXPECT_EQ(c.Item(1), QStringLiteral("unkeyed"));
    c.Remove(QStringLiteral("e03"));
    QStringList seen;
    for (const QString& s : c) seen << s;
    EXPECT_EQ(seen, QStringList{QStringLiteral("unkeyed")});
}

Recordset Plans() {
    return Recordset({QStringLiteral("FKey"), QStringLiteral("FValue"), QStringLiteral("FNo")},
                     {{QStringLiteral("BDept"), QStringLiteral("01"), 1},
                      {QStringLiteral("EDept"), QStringLiteral("09"), 2},
                      {QStringLiteral("BDept"), QStringLiteral("O'Neil"), 3},
                      {QStringLiteral("BWC"), QVariant(), 4}});
}

TEST(Recordset, CursorAndFields) {
    Recordset rs = Plans();
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Field(QStringLiteral("fkey")).toString(), QStringLiteral("BDept"));
    EXPECT_EQ(rs.Field(QStringLiteral("FVALUE")).toString(), QStringLiteral("01"));
    EXPECT_EQ(rs.Field(0).toString(), QStringLiteral("BDept"));
    EXPECT_THROW(rs.Field(QStringLiteral("FMissing")), ComError);
    EXPECT_THROW(rs.Field(3), ComError);
    int rows = 0;
    for (; !rs.Eof(); rs.MoveNext()) ++rows;
    EXPECT_EQ(rows, 4);
    EXPECT_THROW(rs.Field(0), ComError) << "reading past the end";
    rs.MoveFirst();
    rs.Close();
    EXPECT_TRUE(rs.Eof()) << "a closed recordset has no rows";
    EXPECT_THROW(rs.Field(0), ComError);
    EXPECT_TRUE(Recordset().Eof());
}

TEST(Recordset, FilterSelectsRows) {
    struct Case {
        const char* filter;
        QList<int> numbers;
    } cases[] = {
        {"FKey='BDept'", {1, 3}},
        {"FKey = 'BDept' AND FValue='01'", {1}},
        {"FKey='BDept' and FNo=3", {3}},
        {"FValue='O''Neil'", {3}},
        {"FKey='bdept'", {}},  // values compare exactly
        {"FKey='BWC'", {4}},
        {"FValue=''", {}},  // Null is not an empty text
        {"", {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        Recordset rs = Plans();
        rs.SetFilter(QString::fromUtf8(c.filter));
        QList<int> seen;
        for (; !rs.Eof(); rs.MoveNext()) seen << rs.Field(QStringLiteral("FNo")).toInt();
        EXPECT_EQ(seen, c.numbers) << c.filter;
        EXPECT_EQ(rs.RecordCount(), c.numbers.size()) << c.filter;
    }
    Recordset rs = Plans();
    EXPECT_THROW(rs.SetFilter(QStringLiteral("FMissing='x'")), ComError);
    EXPECT_THROW(rs.SetFilter(QStringLiteral("FKey LIKE 'B%'")), ComError);
}

struct IThing {
    virtual ~IThing() = default;
    virtual int Value() = 0;
};
struct IOther {
    virtual ~IOther() = default;
};
struct Thing : IThing {
    explicit Thing(int v) : v(v) {}
    int v;
    int Value() override { return v; }
};

TEST(ComponentRegistry, CreatesANewTypedObjectPerCall) {
    ComponentRegistry registry;
    int made = 0;
    registry.Register<IThing>(QStringLiteral("Host.Thing"), [&] { return std::make_shared<Thing>(++made); });
    auto a = registry.Create<IThing>(QStringLiteral("host.THING"));
    auto b = registry.Create<IThing>(QStringLiteral("Host.Thing"));
    EXPECT_EQ(a->Value(), 1);
    EXPECT_EQ(b->Value(), 2);
    EXPECT_NE(a, b);

    const struct {
        std::function<void()> call;
        const char* what;
    } failures[] = {
        {[&] { registry.Create<IThing>(QStringLiteral("Host.Missing")); }, "unknown ProgID"},
        {[&] { registry.Create<IOther>(QStringLiteral("Host.Thing")); }, "another interface"},
    };
    for (const auto& f : failures) {
        try {
            f.call();
            ADD_FAILURE() << f.what;
        } catch (const ComError& e) {
            EXPECT_EQ(e.Number(), 429) << f.what;
        }
    }
    registry.Register<IThing>(QStringLiteral("Host.Null"), [] { return std::shared_ptr<IThing>(); });
    EXPECT_THROW(registry.Create<IThing>(QStringLiteral("Host.Null")), ComError);
    registry.Unregister(QStringLiteral("HOST.thing"));
    EXPECT_FALSE(registry.IsRegistered(QStringLiteral("Host.Thing")));
}

TEST(IgnoreErrors, AFailedStepLeavesItsTargetEmptyAndTheNextRuns) {
    QString text = QStringLiteral("stale");
    int ran = 0;
    const auto fail = []() -> QString {
        throw ComError(5, QStringLiteral("test"), QStringLiteral("broken"));
    };
    text = ValueOrEmpty<QString>(fail);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(ValueOrEmpty<int>([]() -> int { throw std::runtime_error("x"); }), 0);
    EXPECT_EQ(ValueOrEmpty<int>([] { return 5; }), 5);
    EXPECT_FALSE(IgnoreErrors([] { throw 42; }));
    EXPECT_TRUE(IgnoreErrors([&] { ++ran; }));
    EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace sp
