#include "src/reportgrid/ReportQuantityChecks.h"
#include "tests/reportgrid/ReportGridFixture.h"

namespace sp::test {
namespace {

using C = ReportCode;

// Rows: worked, passed, lost, scrapped by work and by material, start and end day, the
// received and handed-over quantities, and the audit mark.
struct Row {
    double worked, passed, lost, scrapWork, scrapItem;
    int start, end;
    double received, handedOver;
    bool audited = false;
};

class QuantityChecks : public RowRulesFixture {
  protected:
    void Fill(const QVector<Row>& rows, const QString& format) {
        const ReportCells cells(state);
        for (int i = 0; i < rows.size(); ++i) {
            const int r = i + 2;
            const Row& x = rows[i];
            for (auto [code, text] : {std::pair{C::GPH, u"WB1"_s}, {C::GPZH, u"1001"_s}, {C::GXH, u"7"_s}})
                cells.SetText(r, code, text);
            cells.SetFormat(r, C::SZS, format);
            // clang-format off
            for (auto [code, v] : {std::pair{C::SZS, x.worked}, {C::HGS, x.passed}, {C::DSS, x.lost}, {C::YGBFS, x.scrapWork},
                                   {C::YLBFS, x.scrapItem}, {C::JSS, x.received}, {C::YJS, x.handedOver}})
                cells.SetValue(r, code, v);
            // clang-format on
            cells.SetValue(r, C::SJKGRQ, QDate(2026, 3, x.start));
            cells.SetValue(r, C::SJWGRQ, QDate(2026, 3, x.end));
            cells.SetText(r, C::SHBZ, x.audited ? u"√"_s : QString());
        }
    }
    ReportQuantityChecks checks{state};
};

TEST_F(QuantityChecks, RowsAndOperationLimitsGiveTheirCodes) {
    struct Case {
        const char* name;
        QVector<Row> rows;
        const char* format;
        QVariant control;  // the profile switch; Null means on
        int code, row;     // the row named by codes 1 and 2
    };
    // clang-format off
    const Case cases[] = {
        {"parts within the tolerance", {{10, 8, 1, 1, 0, 1, 1, 10, 0}}, "0.00", 0, 0, 0},
        {"parts above it",             {{10, 8.01, 1, 1, 0, 1, 1, 10, 0}}, "0.00", 0, 1, 2},
        {"0 decimals: 10.05 passes",   {{10, 10.05, 0, 0, 0, 1, 1, 10, 0}}, "0", 0, 0, 0},
        {"0 decimals: 10.2 fails",     {{10, 10.2, 0, 0, 0, 1, 1, 10, 0}}, "0", 0, 1, 2},
        {"equal dates pass",           {{1, 0, 0, 0, 0, 5, 5, 1, 0}}, "0", 0, 0, 0},
        {"start after end",            {{1, 0, 0, 0, 0, 1, 1, 1, 0}, {1, 0, 0, 0, 0, 6, 5, 1, 0}}, "0", 0, 2, 3},
        {"summed rows over 100",       {{1, 0, 0, 0, 0, 1, 1, 60, 0}, {1, 0, 0, 0, 0, 1, 1, 50, 0}}, "0", QVariant(), 3, 0},
        {"audited rows do not count",  {{1, 0, 0, 0, 0, 1, 1, 60, 5}, {1, 0, 0, 0, 0, 1, 1, 50, 0, true}}, "0", QVariant(), 0, 0},
        {"handed over below 5",        {{1, 0, 0, 0, 0, 1, 1, 60, 4}}, "0", QVariant(), 4, 0},
        {"control off",                {{1, 0, 0, 0, 0, 1, 1, 60, 0}, {1, 0, 0, 0, 0, 1, 1, 50, 0}}, "0", 0, 0, 0},
    };
    // clang-format on
    fake.receiveLimit = [](qint32, qint32) { return 100.0; };
    fake.handOverLimit = [](qint32, qint32) { return 5.0; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid.SetRows(1);
        grid.SetRows(6);
        Fill(c.rows, QString::fromLatin1(c.format));
        fake.profile = c.control;
        fake.calls.clear();
        int row = 0;
        EXPECT_EQ(checks.CheckRowQuantities(row), c.code);
        EXPECT_EQ(fake.Count(u"GetControlReceiveQty"_s) > 0, c.control.isNull())
            << "read under the control only";
        // Past the last row when all pass; unchanged for the operation limits.
        EXPECT_EQ(row, c.code == 0 ? 7 : c.code >= 3 ? 0 : c.row);
    }
    // Mode 1 (the quantity goes away): -30 against a maximum of 20 fails, of 40 passes.
    for (const auto& [maximum, fails] : {std::pair{20.0, true}, {40.0, false}}) {
        fake.receiveLimit = [m = maximum](qint32, qint32) { return m; };
        EXPECT_EQ(std::pair(checks.CheckReceiveLimit(-30, 1001, 7, 1), state.receiveMaximum),
                  std::pair(fails, maximum));
    }
}

}  // namespace
}  // namespace sp::test
