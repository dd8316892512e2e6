#include <gtest/gtest.h>

#include "src/common/ComError.h"
#include "src/controls/TreeModel.h"
#include "tests/support/QtPrinters.h"

using namespace Qt::StringLiterals;

namespace sp {
namespace {

TEST(TreeModel, KeysAreUniqueAndVisibilityFollowsTheAncestors) {
    TreeModel tree;
    int scrolls = 0;
    QObject::connect(&tree, &TreeModel::scrollToRequested, [&](const QString&) { ++scrolls; });
    tree.AddNode(QString(), u"R"_s, u"root"_s);
    tree.AddNode(u"R"_s, u"A"_s, u"a"_s);
    tree.AddNode(u"A"_s, u"B"_s, u"b"_s);
    EXPECT_THROW(tree.AddNode(QString(), u"A"_s, QString()), ComError);
    EXPECT_THROW(tree.AddNode(u"none"_s, u"C"_s, QString()), ComError);
    EXPECT_THROW(tree.Select(u"none"_s), ComError);
    EXPECT_EQ(tree.Children(u"R"_s), QStringList{u"A"_s});
    EXPECT_FALSE(tree.IsVisible(u"B"_s));
    tree.EnsureVisible(u"B"_s);
    EXPECT_EQ(std::tuple(tree.IsVisible(u"B"_s), tree.Expanded(u"B"_s), scrolls), std::tuple(true, false, 1));
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
}

}  // namespace
}  // namespace sp
