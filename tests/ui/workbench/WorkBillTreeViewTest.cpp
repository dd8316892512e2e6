#include <gtest/gtest.h>

#include <QTest>

#include "src/controls/TreeModel.h"
#include "tests/support/QtPrinters.h"
#include "ui/workbench/WorkBillTreeView.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

// The tree view over a root with three nodes, driven by real keys and mouse clicks:
// what the model is told, and which node the view shows afterwards.
TEST(WorkBillTreeView, TellsClicksAndKeyboardMovesApartAndShowsTheModelsChoice) {
    struct Case {
        const char* what;
        QString start;    // selected by the model first; empty: none, and the view's cursor on B
        QString clicked;  // empty: the key is pressed instead
        Qt::Key key;
        QString told;
        QString shown;
        bool refuse = false;  // the owner answers a click by selecting start again
    };
    const QString none;
    // clang-format off
    const Case cases[] = {
        {"a click is told once, never as a cursor move", u"A"_s, u"B"_s, Qt::Key_unknown, u"click B"_s, u"B"_s},
        {"Down moves the cursor", u"A"_s, none, Qt::Key_Down, u"cursor B"_s, u"B"_s},
        {"End moves the cursor", u"A"_s, none, Qt::Key_End, u"cursor C"_s, u"C"_s},
        {"Enter activates the current node", u"B"_s, none, Qt::Key_Return, u"click B"_s, u"B"_s},
        {"Space activates the current node", u"C"_s, none, Qt::Key_Space, u"click C"_s, u"C"_s},
        {"a refused click shows the listed node again", u"A"_s, u"C"_s, Qt::Key_unknown, u"click C"_s, u"A"_s, true},
        {"a refused Enter with nothing listed shows none", none, none, Qt::Key_Enter, u"click B"_s, none, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TreeModel model;
        model.AddNode(QString(), u"ROOT"_s, u"root"_s);
        for (const QString& key : {u"A"_s, u"B"_s, u"C"_s}) model.AddNode(u"ROOT"_s, key, key.toLower());
        model.SetExpanded(u"ROOT"_s, true);
        WorkBillTreeView view(&model, nullptr);
        view.resize(240, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        const auto at = [&view](const QString& key) {
            const QModelIndexList hits = view.model()->match(view.model()->index(0, 0), Qt::DisplayRole,
                                                             key.toLower(), 1, Qt::MatchRecursive);
            return hits.isEmpty() ? QModelIndex() : hits.first();
        };
        if (!c.start.isEmpty())
            model.Select(c.start);

        QStringList told;
        QObject::connect(&model, &TreeModel::nodeClicked, &view, [&](const QString& key) {
            told << u"click "_s + key;
            if (c.refuse)
                model.Select(c.start);
        });
        QObject::connect(&model, &TreeModel::cursorMoved, &view,
                         [&](const QString& key) { told << u"cursor "_s + key; });
        if (c.start.isEmpty())
            view.setCurrentIndex(at(u"B"_s));
        if (c.clicked.isEmpty())
            QTest::keyClick(&view, c.key);
        else
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(at(c.clicked)).center());

        EXPECT_EQ(std::tuple(told, model.SelectedKey(), view.currentIndex()),
                  std::tuple(QStringList{c.told}, c.shown, c.shown.isEmpty() ? QModelIndex() : at(c.shown)));
    }
}

}  // namespace
}  // namespace sp
