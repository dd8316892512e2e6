#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"
#include "ui/controls/GridEditorValidator.h"

namespace sp {
namespace {

TEST(GridEditorValidatorTest, KeystrokesThatCanStillBecomeAValidCellPass) {
    GridModel grid;
    grid.SetCols(4);
    grid.SetRows(2);
    grid.SetColumnKind(1, CellKind::Number);
    grid.SetColumnRange(1, 0, 1e28);  // a quantity
    grid.SetColumnKind(2, CellKind::Number);
    grid.SetColumnRange(2, -50, 100);
    grid.SetColumnKind(3, CellKind::Date);
    grid.SetColumnKind(4, CellKind::Number);  // no range

    using S = QValidator::State;
    struct Case {
        int col;
        const char* text;
        S state;
    };
    const Case cases[] = {
        {1, "", S::Acceptable},         {1, "1.", S::Acceptable},
        {1, "1e5", S::Acceptable},      {1, "1e", S::Intermediate},
        {1, "-", S::Invalid},           {1, "abc", S::Invalid},
        {2, "-", S::Intermediate},      {2, "-49", S::Acceptable},
        {2, "100", S::Acceptable},      {2, "-51", S::Invalid},
        {2, "101", S::Invalid},         {3, "2001-09-21", S::Acceptable},
        {3, "2001-0", S::Intermediate}, {3, "2001-13-40", S::Intermediate},
        {3, "21/9", S::Invalid},        {4, "-1e30", S::Acceptable},
        {4, "1,5", S::Invalid},
    };
    GridEditorValidator validator;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << " '" << c.text << "'");
        validator.SetColumn(&grid, c.col);
        QString text = QString::fromUtf8(c.text);
        int pos = static_cast<int>(text.size());
        EXPECT_EQ(validator.validate(text, pos), c.state);
    }
}

}  // namespace
}  // namespace sp
