#include <gtest/gtest.h>

#include <cmath>

#include "common/Basic.h"

namespace sp {
namespace {

TEST(Basic, ValReadsLeadingNumbers) {
    struct Case {
        const char* text;
        double expected;
    } cases[] = {
        {"12ab", 12},   {"ab", 0},   {" -3.5x", -3.5}, {"  -3.5x", -3.5}, {"", 0},      {"+7", 7},
        {"1.2.3", 1.2}, {".5", 0.5}, {"-", 0},         {"12 34", 12},     {"0012", 12}, {"3e5", 3},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Basic::Val(QString::fromUtf8(c.text)), c.expected) << c.text;
    EXPECT_DOUBLE_EQ(Basic::Val(QVariant()), 0);
    EXPECT_DOUBLE_EQ(Basic::Val(QVariant(2.25)), 2.25);
    EXPECT_DOUBLE_EQ(Basic::Val(QVariant(QStringLiteral("4kg"))), 4);
}

TEST(Basic, NumberTextIsTheDefaultForm) {
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {120, "120"}, {37.5, "37.5"}, {0.001, "0.001"},   {1E+16, "1E+16"},
        {0, "0"},     {-2.5, "-2.5"}, {0.1 + 0.2, "0.3"}, {123456789012345.0, "123456789012345"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Basic::NumberText(c.value), QString::fromUtf8(c.expected)) << c.expected;
}

TEST(Basic, BlankNumberPutsABlankBeforeNonNegatives) {
    EXPECT_EQ(Basic::BlankNumber(3), QStringLiteral(" 3"));
    EXPECT_EQ(Basic::BlankNumber(0), QStringLiteral(" 0"));
    EXPECT_EQ(Basic::BlankNumber(-3), QStringLiteral("-3"));
    EXPECT_EQ(Basic::BlankNumber(1.5), QStringLiteral(" 1.5"));
}

TEST(Basic, DatesAsTextAndBack) {
    EXPECT_EQ(Basic::DateText(QDate(2026, 6, 12)), QStringLiteral("2026-06-12"));
    EXPECT_EQ(Basic::DateText(QDate()), QString());
    struct Case {
        QVariant value;
        QDate expected;
    } cases[] = {
        {QStringLiteral("12/06/2026"), QDate(2026, 12, 6)},  // the server's month/day/year
        {QStringLiteral("2026-06-12"), QDate(2026, 6, 12)},
        {QStringLiteral("2026-06-12 08:30:00"), QDate(2026, 6, 12)},
        {QStringLiteral("2026-06-12T08:30:00"), QDate(2026, 6, 12)},
        {QDate(2026, 1, 2), QDate(2026, 1, 2)},
        {QDateTime(QDate(2026, 1, 2), QTime(23, 59)), QDate(2026, 1, 2)},
        {QStringLiteral("13/45/2026"), QDate()},
        {QStringLiteral("soon"), QDate()},
        {QVariant(), QDate()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Basic::ToDate(c.value), c.expected) << c.value.toString().toStdString();
}

TEST(Basic, RoundWholeHalvesToEven) {
    struct Case {
        double value;
        qint32 expected;
    } cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {3.5, 4},          {-2.5, -2},
                 {-3.5, -4}, {2.4999, 2}, {2.5001, 3}, {1e12, 2147483647}};
    for (const auto& c : cases) EXPECT_EQ(Basic::RoundWhole(c.value), c.expected) << c.value;
}

TEST(Basic, ValueConversions) {
    EXPECT_EQ(Basic::Text(QVariant()), QString());
    EXPECT_EQ(Basic::Text(QVariant(37.5)), QStringLiteral("37.5"));
    EXPECT_EQ(Basic::Text(QVariant(QDate(2026, 3, 4))), QStringLiteral("2026-03-04"));
    EXPECT_EQ(Basic::Long(QVariant(QStringLiteral("2.5"))), 2);
    EXPECT_EQ(Basic::Long(QVariant()), 0);
    struct Case {
        QVariant value;
        bool expected;
    } bools[] = {
        {QVariant(), false},
        {QStringLiteral("True"), true},
        {QStringLiteral("false"), false},
        {QStringLiteral("-1"), true},
        {QStringLiteral("0"), false},
        {0, false},
        {2, true},
        {true, true},
    };
    for (const auto& c : bools)
        EXPECT_EQ(Basic::Bool(c.value), c.expected) << c.value.toString().toStdString();
}

TEST(Basic, SqlQuoteDoublesQuotes) {
    EXPECT_EQ(Basic::SqlQuote(QStringLiteral("O'Brien's")), QStringLiteral("O''Brien''s"));
    EXPECT_EQ(Basic::SqlUnquote(Basic::SqlQuote(QStringLiteral("a'b''c"))), QStringLiteral("a'b''c"));
}

}  // namespace
}  // namespace sp
