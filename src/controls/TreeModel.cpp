#include "src/controls/TreeModel.h"

#include "src/common/ComError.h"

namespace sp {

namespace {
QString Source() { return QStringLiteral("TreeModel"); }
}  // namespace

TreeModel::TreeModel(QObject* parent) : QObject(parent) {}

void TreeModel::Clear() {
    nodes_.clear();
    roots_.clear();
    selected_.clear();
    emit reset();
}

void TreeModel::AddNode(const QString& parentKey, const QString& key, const QString& caption) {
    if (nodes_.contains(key))
        throw ComError(35602, Source(), QStringLiteral("Key is not unique in collection: %1").arg(key));
    if (!parentKey.isEmpty() && !nodes_.contains(parentKey))
        throw ComError(35601, Source(), QStringLiteral("Element not found: %1").arg(parentKey));
    Node node;
    node.caption = caption;
    node.parent = parentKey;
    nodes_.insert(key, node);
    if (parentKey.isEmpty())
        roots_.append(key);
    else
        nodes_[parentKey].children.append(key);
    emit nodeAdded(key);
}

const TreeModel::Node& TreeModel::At(const QString& key) const {
    const auto it = nodes_.constFind(key);
    if (it == nodes_.cend())
        throw ComError(35601, Source(), QStringLiteral("Element not found: %1").arg(key));
    return *it;
}

QString TreeModel::Caption(const QString& key) const { return At(key).caption; }
QString TreeModel::Parent(const QString& key) const { return At(key).parent; }
QStringList TreeModel::Children(const QString& key) const { return At(key).children; }
bool TreeModel::Expanded(const QString& key) const { return At(key).expanded; }

void TreeModel::SetExpanded(const QString& key, bool expanded) {
    At(key);
    Node& node = nodes_[key];
    if (node.expanded == expanded)
        return;
    node.expanded = expanded;
    emit expandedChanged(key, expanded);
}

bool TreeModel::IsVisible(const QString& key) const {
    for (QString p = At(key).parent; !p.isEmpty(); p = At(p).parent)
        if (!At(p).expanded)
            return false;
    return true;
}

void TreeModel::EnsureVisible(const QString& key) {
    for (QString p = At(key).parent; !p.isEmpty(); p = At(p).parent) SetExpanded(p, true);
    emit scrollToRequested(key);
}

void TreeModel::Select(const QString& key) {
    if (!key.isEmpty())
        At(key);
    if (selected_ == key)
        return;
    selected_ = key;
    emit selectionChanged(key);
}

void TreeModel::Click(const QString& key) {
    Select(key);
    emit nodeClicked(key);
}

void TreeModel::MoveCursor(const QString& key) {
    Select(key);
    emit cursorMoved(key);
}

}  // namespace sp
