#include <gtest/gtest.h>

#include <QStringList>
#include <functional>

#include "src/settings/frmSetCol.h"
#include "tests/support/QtPrinters.h"

namespace sp::test {
namespace {

using namespace Qt::StringLiterals;

// Columns A, B, C standing for grid columns 10, 20, 30; only A ticked; nothing current.
void Fill(frmSetCol& dialog) {
    dialog.AddItem(u"A"_s, 10, true);
    dialog.AddItem(u"B"_s, 20, false);
    dialog.AddItem(u"C"_s, 30, false);
    dialog.SetCmdEnable();
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

using Steps = std::function<void(frmSetCol&)>;

TEST(frmSetCol, EnabledStatesFollowTicksCurrentItemAndRestoreBox) {
    const struct {
        const char* what;
        Steps steps;
        QString enabled;
    } cases[] = {
        {"freshly filled", [](frmSetCol&) {}, u"list ok all none"_s},
        {"the only tick removed", [](frmSetCol& d) { d.SetItemChecked(0, false); }, u"list all none"_s},
        {"first item current", [](frmSetCol& d) { d.SetCurrentIndex(0); }, u"list ok down all none"_s},
        {"middle item current", [](frmSetCol& d) { d.SetCurrentIndex(1); }, u"list ok up down all none"_s},
        {"last item current", [](frmSetCol& d) { d.SetCurrentIndex(2); }, u"list ok up all none"_s},
        {"restore ticked with nothing ticked",
         [](frmSetCol& d) {
             d.SetCurrentIndex(1);
             d.cmdNone_Click();
             d.SetChkDefault(true);
         },
         u"ok"_s},
        {"restore unticked again",
         [](frmSetCol& d) {
             d.SetCurrentIndex(1);
             d.cmdNone_Click();
             d.SetChkDefault(true);
             d.SetChkDefault(false);
         },
         u"list up down all none"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmSetCol dialog;
        Fill(dialog);
        c.steps(dialog);
        EXPECT_EQ(EnabledStates(dialog), c.enabled);
    }
    frmSetCol empty;
    empty.SetCmdEnable();
    EXPECT_EQ(empty.CurrentIndex(), -1);
    EXPECT_EQ(EnabledStates(empty), u"list all none"_s);
}

TEST(frmSetCol, ListCommandsMoveAndTickAroundTheCurrentItem) {
    const struct {
        const char* what;
        Steps steps;
        QString layout;
    } cases[] = {
        {"down", [](frmSetCol& d) { d.cmdMoveDown_Click(); }, u"B [A*] C"_s},
        {"down past the end",
         [](frmSetCol& d) {
             for (int i = 0; i < 3; ++i) d.cmdMoveDown_Click();
         },
         u"B C [A*]"_s},
        {"up at the top", [](frmSetCol& d) { d.cmdMoveUp_Click(); }, u"[A*] B C"_s},
        {"down then up",
         [](frmSetCol& d) {
             d.cmdMoveDown_Click();
             d.cmdMoveUp_Click();
         },
         u"[A*] B C"_s},
        {"nothing current",
         [](frmSetCol& d) {
             d.SetCurrentIndex(-1);
             d.cmdMoveDown_Click();
         },
         u"A* B C"_s},
        {"all",
         [](frmSetCol& d) {
             d.SetCurrentIndex(1);
             d.cmdAll_Click();
         },
         u"A* [B*] C*"_s},
        {"none",
         [](frmSetCol& d) {
             d.SetCurrentIndex(2);
             d.cmdNone_Click();
         },
         u"A B [C]"_s},
        {"restore ticked: the list and its buttons do nothing",
         [](frmSetCol& d) {
             d.SetChkDefault(true);
             d.SetCurrentIndex(2);
             d.SetItemChecked(1, true);
             d.cmdMoveDown_Click();
             d.cmdNone_Click();
             d.cmdAll_Click();
         },
         u"[A*] B C"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmSetCol dialog;
        Fill(dialog);
        dialog.SetCurrentIndex(0);
        c.steps(dialog);
        EXPECT_EQ(Layout(dialog), c.layout);
    }
}

TEST(frmSetCol, OkConfirmsWhenEnabledCancelNeverDoes) {
    const struct {
        const char* what;
        Steps steps;
        bool selOK;
        bool closed;
    } cases[] = {
        {"OK with a column ticked", [](frmSetCol& d) { d.cmdOK_Click(); }, true, true},
        {"OK with nothing ticked",
         [](frmSetCol& d) {
             d.cmdNone_Click();
             d.cmdOK_Click();
         },
         false, false},
        {"OK restoring the defaults",
         [](frmSetCol& d) {
             d.cmdNone_Click();
             d.SetChkDefault(true);
             d.cmdOK_Click();
         },
         true, true},
        {"Cancel", [](frmSetCol& d) { d.cmdCancel_Click(); }, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmSetCol dialog;
        Fill(dialog);
        c.steps(dialog);
        EXPECT_EQ(dialog.SelOK(), c.selOK);
        EXPECT_EQ(dialog.Closed(), c.closed);
    }
}

}  // namespace
}  // namespace sp::test
