#include "ui/workbench/WorkBillTreeView.h"

#include <QHeaderView>
#include <QStandardItemModel>

#include "ui/controls/CatchBoundary.h"
#include "src/controls/TreeModel.h"

namespace sp {

namespace {
constexpr int KeyRole = Qt::UserRole + 1;
}

WorkBillTreeView::WorkBillTreeView(TreeModel* model, QWidget* parent)
    : QTreeView(parent), model_(model), items_(new QStandardItemModel(this)) {
    setModel(items_);
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    connect(model_, &TreeModel::reset, this, &WorkBillTreeView::Rebuild);
    connect(model_, &TreeModel::nodeAdded, this, &WorkBillTreeView::AddNode);
    connect(model_, &TreeModel::expandedChanged, this, &WorkBillTreeView::ShowExpanded);
    connect(model_, &TreeModel::selectionChanged, this, &WorkBillTreeView::ShowSelected);
    connect(model_, &TreeModel::scrollToRequested, this, &WorkBillTreeView::ScrollTo);
    connect(this, &QTreeView::clicked, this, &WorkBillTreeView::OnClicked);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (!syncing_)
            CatchBoundary(QStringLiteral("tvw.Expand"),
                          [&] { model_->SetExpanded(index.data(KeyRole).toString(), true); });
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (!syncing_)
            CatchBoundary(QStringLiteral("tvw.Collapse"),
                          [&] { model_->SetExpanded(index.data(KeyRole).toString(), false); });
    });
    Rebuild();
}

void WorkBillTreeView::Rebuild() {
    items_->clear();
    byKey_.clear();
    // Parents come before their children; walk the model's own order.
    std::function<void(const QStringList&)> add = [&](const QStringList& keys) {
        for (const QString& key : keys) {
            AddNode(key);
            add(model_->Children(key));
        }
    };
    add(model_->Roots());
    if (!model_->SelectedKey().isEmpty())
        ShowSelected(model_->SelectedKey());
}

void WorkBillTreeView::AddNode(const QString& key) {
    if (byKey_.contains(key))
        return;
    auto* item = new QStandardItem(model_->Caption(key));
    item->setData(key, KeyRole);
    QStandardItem* parent = byKey_.value(model_->Parent(key));
    if (parent)
        parent->appendRow(item);
    else
        items_->appendRow(item);
    byKey_.insert(key, item);
    if (model_->Expanded(key))
        ShowExpanded(key, true);
}

void WorkBillTreeView::ShowExpanded(const QString& key, bool expanded) {
    if (QStandardItem* item = byKey_.value(key)) {
        syncing_ = true;
        setExpanded(item->index(), expanded);
        syncing_ = false;
    }
}

void WorkBillTreeView::ShowSelected(const QString& key) {
    if (QStandardItem* item = byKey_.value(key))
        setCurrentIndex(item->index());
    else
        clearSelection();
}

void WorkBillTreeView::ScrollTo(const QString& key) {
    if (QStandardItem* item = byKey_.value(key))
        scrollTo(item->index());
}

void WorkBillTreeView::OnClicked(const QModelIndex& index) {
    const QString key = index.data(KeyRole).toString();
    CatchBoundary(QStringLiteral("tvw.NodeClick"), [&] { model_->Click(key); });
}

}  // namespace sp
