#include <gtest/gtest.h>

#include <QStringList>

#include "src/settings/frmSetCol.h"
#include "tests/support/QtPrinters.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

// What the clerk does, one letter a step: 0 1 2 make that item current, - none; u and d
// move the current item up and down; a and n tick all and none; x unticks item 0 and t
// ticks item 1; R and r tick and untick the restore box; O and C press OK and Cancel.
void Do(frmSetCol& d, const char* steps) {
    for (const char* s = steps; *s; ++s) {
        switch (*s) {
            case '-':
                d.SetCurrentIndex(-1);
                break;
            case 'u':
                d.cmdMoveUp_Click();
                break;
            case 'd':
                d.cmdMoveDown_Click();
                break;
            case 'a':
                d.cmdAll_Click();
                break;
            case 'n':
                d.cmdNone_Click();
                break;
            case 'x':
                d.SetItemChecked(0, false);
                break;
            case 't':
                d.SetItemChecked(1, true);
                break;
            case 'R':
                d.SetChkDefault(true);
                break;
            case 'r':
                d.SetChkDefault(false);
                break;
            case 'O':
                d.cmdOK_Click();
                break;
            case 'C':
                d.cmdCancel_Click();
                break;
            default:
                d.SetCurrentIndex(*s - '0');
                break;
        }
    }
}

QString EnabledStates(const frmSetCol& d) {
    QStringList on;
    const std::pair<bool, const char*> states[] = {{d.ListEnabled(), "list"}, {d.OkEnabled(), "ok"},
                                                   {d.MoveUpEnabled(), "up"}, {d.MoveDownEnabled(), "down"},
                                                   {d.AllEnabled(), "all"},   {d.NoneEnabled(), "none"}};
    for (const auto& [enabled, name] : states)
        if (enabled)
            on << QLatin1String(name);
    return on.join(u' ');
}

// "A* [B] C": the items in order, * ticked, the current one in brackets.
QString Layout(const frmSetCol& d) {
    QStringList shown;
    for (int i = 0; i < d.ItemCount(); ++i) {
        const frmSetCol::Item& item = d.ItemAt(i);
        // Whatever moved, an item keeps the grid column it stands for.
        EXPECT_EQ(item.data, (item.text.at(0).unicode() - u'A' + 1) * 10) << item.text.toStdString();
        const QString text = item.text + (item.checked ? u"*"_s : QString());
        shown << (i == d.CurrentIndex() ? u"[%1]"_s.arg(text) : text);
    }
    return shown.join(u' ');
}

// Columns A, B, C standing for grid columns 10, 20, 30; only A ticked; nothing current.
// The buttons follow the ticks, the current item and the restore box, which stops the
// list and its buttons; OK needs a tick or the restore box, Cancel always closes.
TEST(frmSetCol, ButtonsFollowTheListAndTheRestoreBox) {
    struct Case {
        const char* steps;
        const char* enabled;
        const char* layout;
        bool selOK, closed;
    };
    // clang-format off
    const Case cases[] = {
        {"",        "list ok all none",         "A* B C",     false, false},
        {"x",       "list all none",            "A B C",      false, false},
        {"0",       "list ok down all none",    "[A*] B C",   false, false},
        {"1",       "list ok up down all none", "A* [B] C",   false, false},
        {"2",       "list ok up all none",      "A* B [C]",   false, false},
        {"1nR",     "ok",                       "A [B] C",    false, false},
        {"1nRr",    "list up down all none",    "A [B] C",    false, false},
        {"0d",      "list ok up down all none", "B [A*] C",   false, false},
        {"0ddd",    "list ok up all none",      "B C [A*]",   false, false},
        {"0u",      "list ok down all none",    "[A*] B C",   false, false},
        {"0du",     "list ok down all none",    "[A*] B C",   false, false},
        {"0-d",     "list ok all none",         "A* B C",     false, false},
        {"01a",     "list ok up down all none", "A* [B*] C*", false, false},
        {"02n",     "list up all none",         "A B [C]",    false, false},
        {"0R2tdna", "ok",                       "[A*] B C",   false, false},
        {"O",       "list ok all none",         "A* B C",     true,  true},
        {"nO",      "list all none",            "A B C",      false, false},
        {"nRO",     "ok",                       "A B C",      true,  true},
        {"C",       "list ok all none",         "A* B C",     false, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        frmSetCol dialog;
        dialog.AddItem(u"A"_s, 10, true);
        dialog.AddItem(u"B"_s, 20, false);
        dialog.AddItem(u"C"_s, 30, false);
        Do(dialog, c.steps);
        EXPECT_EQ(EnabledStates(dialog), QString::fromLatin1(c.enabled));
        EXPECT_EQ(Layout(dialog), QString::fromLatin1(c.layout));
        EXPECT_EQ(std::pair(dialog.SelOK(), dialog.Closed()), std::pair(c.selOK, c.closed));
    }
    frmSetCol empty;
    empty.SetCmdEnable();
    EXPECT_EQ(empty.CurrentIndex(), -1);
    EXPECT_EQ(EnabledStates(empty), u"list all none"_s);
}

}  // namespace
}  // namespace sp::test
