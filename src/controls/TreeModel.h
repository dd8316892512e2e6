#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

namespace sp {

// The tree pane, headless: nodes by unique key with caption, parent and children in
// insertion order, an expanded state, and one selected node. A view mirrors it
// through the signals and reports the user's clicks with Click() and the keyboard's
// moves with MoveCursor(); the model's owner decides what either lists.
class TreeModel : public QObject {
    Q_OBJECT
  public:
    explicit TreeModel(QObject* parent = nullptr);

    void Clear();
    // Adds a node under parentKey (empty: a root). A key that exists or a parent that
    // does not raises ComError.
    void AddNode(const QString& parentKey, const QString& key, const QString& caption);

    int Count() const { return static_cast<int>(nodes_.size()); }
    bool Exists(const QString& key) const { return nodes_.contains(key); }
    QString Caption(const QString& key) const;
    QString Parent(const QString& key) const;
    QStringList Children(const QString& key) const;
    const QStringList& Roots() const { return roots_; }

    bool Expanded(const QString& key) const;
    void SetExpanded(const QString& key, bool expanded);
    // Shown when every ancestor is expanded.
    bool IsVisible(const QString& key) const;
    // Expands every ancestor and asks the view to scroll to the node.
    void EnsureVisible(const QString& key);

    QString SelectedKey() const { return selected_; }
    // An empty key selects no node.
    void Select(const QString& key);

    // The user clicked a node, or pressed Enter or Space on it: it becomes selected and
    // nodeClicked is raised.
    void Click(const QString& key);
    // The keyboard moved the current node (arrows, Home, End, pages, typing its
    // caption): it becomes selected and cursorMoved is raised.
    void MoveCursor(const QString& key);

  signals:
    void reset();
    void nodeAdded(const QString& key);
    void expandedChanged(const QString& key, bool expanded);
    void selectionChanged(const QString& key);
    void scrollToRequested(const QString& key);
    void nodeClicked(const QString& key);
    void cursorMoved(const QString& key);

  private:
    struct Node {
        QString caption;
        QString parent;
        QStringList children;
        bool expanded = false;
    };
    const Node& At(const QString& key) const;

    QHash<QString, Node> nodes_;
    QStringList roots_;
    QString selected_;
};

}  // namespace sp
