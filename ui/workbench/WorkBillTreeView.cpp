#include "ui/workbench/WorkBillTreeView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStandardItemModel>

#include "src/controls/TreeModel.h"
#include "ui/controls/CatchBoundary.h"

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
    QScopedValueRollback<bool> syncing(syncing_, true);
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
        QScopedValueRollback<bool> syncing(syncing_, true);
        setExpanded(item->index(), expanded);
    }
}

void WorkBillTreeView::ShowSelected(const QString& key) {
    QScopedValueRollback<bool> syncing(syncing_, true);
    if (QStandardItem* item = byKey_.value(key))
        setCurrentIndex(item->index());
    else
        selectionModel()->clear();
}

void WorkBillTreeView::ScrollTo(const QString& key) {
    if (QStandardItem* item = byKey_.value(key))
        scrollTo(item->index());
}

void WorkBillTreeView::OnClicked(const QModelIndex& index) {
    const QString key = KeyOf(index);
    CatchBoundary(QStringLiteral("tvw.NodeClick"), [&] { model_->Click(key); });
}

QString WorkBillTreeView::KeyOf(const QModelIndex& index) { return index.data(KeyRole).toString(); }

void WorkBillTreeView::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool activates =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    if (plain && activates && currentIndex().isValid()) {
        const QString key = KeyOf(currentIndex());
        CatchBoundary(QStringLiteral("tvw.KeyDown"), [&] { model_->Click(key); });
        event->accept();
        return;
    }
    QScopedValueRollback<bool> keying(keying_, true);
    QTreeView::keyPressEvent(event);
}

void WorkBillTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    // A press released off its node moved Qt's current index without a click.
    if (KeyOf(currentIndex()) != model_->SelectedKey())
        ShowSelected(model_->SelectedKey());
}

void WorkBillTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (!keying_ || syncing_ || !current.isValid())
        return;
    const QString key = KeyOf(current);
    CatchBoundary(QStringLiteral("tvw.NodeCursor"), [&] { model_->MoveCursor(key); });
}

}  // namespace sp
