#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "src/common/Basic.h"
#include "tests/support/QtPrinters.h"

namespace sp {
namespace {

using namespace Qt::StringLiterals;

TEST(Basic, ValReadsLeadingNumbers) {
    const std::pair<const char*, double> cases[] = {
        {"12ab", 12},   {"ab", 0},   {" -3.5x", -3.5}, {"  -3.5x", -3.5}, {"", 0},      {"+7", 7},
        {"1.2.3", 1.2}, {".5", 0.5}, {"-", 0},         {"12 34", 12},     {"0012", 12}, {"3e5", 3}};
    for (const auto& [text, expected] : cases)
        EXPECT_DOUBLE_EQ(Basic::Val(QString::fromUtf8(text)), expected) << text;
    EXPECT_DOUBLE_EQ(Basic::Val(QVariant()), 0);
    EXPECT_DOUBLE_EQ(Basic::Val(QVariant(2.25)), 2.25);
    EXPECT_DOUBLE_EQ(Basic::Val(QVariant(u"4kg"_s)), 4);
}

TEST(Basic, NumberTextsAndBlankNumbers) {
    // clang-format off
    const std::pair<double, const char*> cases[] = {
        {120, "120"}, {37.5, "37.5"}, {0.001, "0.001"}, {1E+16, "1E+16"}, {0, "0"}, {-2.5, "-2.5"},
        {0.1 + 0.2, "0.3"}, {123456789012345.0, "123456789012345"}, {1e15, "1E+15"}, {-42, "-42"},
        {1.5e-7, "1.5E-7"}, {0.00001, "1E-5"}, {2.0 / 3, "0.666666666666667"}, {-1234.5678, "-1234.5678"},
        {1e300, "1E+300"}};
    // clang-format on
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(Basic::NumberText(value), QString::fromUtf8(expected)) << expected;
        // Non-negatives get a leading blank where the sign would be.
        EXPECT_EQ(Basic::BlankNumber(value), (value < 0 ? u""_s : u" "_s) + QString::fromUtf8(expected))
            << expected;
    }
    // Any magnitude prints the digits of %.15g.
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 2000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.15g", value);
        QString text = QString::fromLatin1(expected).toUpper();
        text.replace(u"E+0"_s, u"E+"_s).replace(u"E-0"_s, u"E-"_s);
        ASSERT_EQ(Basic::NumberText(value), text) << expected;
    }
}

TEST(Basic, DatesAsTextAndBack) {
    EXPECT_EQ(Basic::DateText(QDate(2026, 6, 12)), u"2026-06-12"_s);
    EXPECT_EQ(Basic::DateText(QDate()), QString());
    // clang-format off
    const std::pair<QVariant, QDate> cases[] = {
        {u"12/06/2026"_s, QDate(2026, 12, 6)},  // the server's month/day/year
        {u"2026-06-12"_s, QDate(2026, 6, 12)}, {u"2026-06-12 08:30:00"_s, QDate(2026, 6, 12)},
        {u"2026-06-12T08:30:00"_s, QDate(2026, 6, 12)}, {QDate(2026, 1, 2), QDate(2026, 1, 2)},
        {QDateTime(QDate(2026, 1, 2), QTime(23, 59)), QDate(2026, 1, 2)}, {u"13/45/2026"_s, QDate()},
        {u"2024-02-30"_s, QDate()},  // no such day
        {u"2024-02-29x"_s, QDate()}, {u"2O24-02-29"_s, QDate()}, {u" 2024-02-29 "_s, QDate(2024, 2, 29)},
        {u"soon"_s, QDate()}, {QVariant(), QDate()}};
    // clang-format on
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(Basic::ToDate(value), expected) << value.toString().toStdString();
}

TEST(Basic, RoundWholeHalvesToEven) {
    const std::pair<double, qint32> cases[] = {{0.5, 0},    {1.5, 2},    {2.5, 2},
                                               {3.5, 4},    {-2.5, -2},  {-3.5, -4},
                                               {2.4999, 2}, {2.5001, 3}, {1e12, 2147483647}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(Basic::RoundWhole(value), expected) << value;
}

TEST(Basic, ValueConversionsAndQuoting) {
    EXPECT_EQ(std::tuple(Basic::Text(QVariant()), Basic::Text(QVariant(37.5)),
                         Basic::Text(QVariant(QDate(2026, 3, 4))), Basic::Long(QVariant(u"2.5"_s)),
                         Basic::Long(QVariant())),
              std::tuple(QString(), u"37.5"_s, u"2026-03-04"_s, 2, 0));
    const std::pair<QVariant, bool> bools[] = {{QVariant(), false}, {u"True"_s, true}, {u"false"_s, false},
                                               {u"-1"_s, true},     {u"0"_s, false},   {0, false},
                                               {2, true},           {true, true}};
    for (const auto& [value, expected] : bools)
        EXPECT_EQ(Basic::Bool(value), expected) << value.toString().toStdString();
    EXPECT_EQ(Basic::SqlQuote(u"O'Brien's"_s), u"O''Brien''s"_s);
    EXPECT_EQ(Basic::SqlUnquote(Basic::SqlQuote(u"a'b''c"_s)), u"a'b''c"_s);
}

}  // namespace
}  // namespace sp
