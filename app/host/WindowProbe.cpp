#include "app/host/WindowProbe.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

namespace sp::host {
namespace {

// The role under which the grids' header gives a column's key.
constexpr int KeyRole = Qt::UserRole + 1;
// Visible cells are listed only so far down a view: a test never needs more.
constexpr int MaxRows = 60;

QString Clean(QString text) {
    text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    return text;
}

QString Join(const QStringList& fields) {
    QStringList cleaned;
    for (const QString& f : fields) cleaned << Clean(f);
    return cleaned.join(u'\t') + u'\n';
}

QStringList Rect(const QRect& r) {
    return {QString::number(r.x()), QString::number(r.y()), QString::number(r.width()),
            QString::number(r.height())};
}

QString NameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

QString TextOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->text();
    if (auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->currentText();
    if (w->isWindow())
        return w->windowTitle();
    return {};
}

QRect Global(const QWidget* w, const QRect& local) { return {w->mapToGlobal(local.topLeft()), local.size()}; }

void Cells(QString& out, const QString& name, QAbstractItemView* view, bool grid) {
    QAbstractItemModel* model = view->model();
    if (!model)
        return;
    QWidget* port = view->viewport();
    const QRect shown = port->rect();
    auto* table = qobject_cast<QTableView*>(view);
    if (grid && table) {
        for (int c = 0; c < model->columnCount(); ++c) {
            if (table->isColumnHidden(c) || table->columnWidth(c) <= 0)
                continue;
            QHeaderView* header = table->horizontalHeader();
            const QRect section(header->sectionViewportPosition(c), 0, header->sectionSize(c),
                                header->height());
            if (!section.intersects(header->viewport()->rect()))
                continue;
            out += Join(QStringList{QStringLiteral("column"), name, QString::number(c + 1),
                                    model->headerData(c, Qt::Horizontal, KeyRole).toString()} +
                        Rect(Global(header->viewport(), section)) +
                        QStringList{model->headerData(c, Qt::Horizontal).toString()});
        }
    }
    int listed = 0;
    for (int r = 0; r < model->rowCount() && listed < MaxRows; ++r) {
        bool any = false;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (table && (table->isColumnHidden(c) || table->columnWidth(c) <= 0))
                continue;
            const QModelIndex index = model->index(r, c);
            const QRect rect = view->visualRect(index);
            if (!rect.isValid() || !rect.intersects(shown))
                continue;
            any = true;
            const QString row = grid ? model->headerData(r, Qt::Vertical).toString() : QString::number(r);
            out += Join(QStringList{grid ? QStringLiteral("cell") : QStringLiteral("item"), name, row,
                                    QString::number(grid ? c + 1 : c)} +
                        Rect(Global(port, rect.intersected(shown))) +
                        QStringList{index.data(Qt::DisplayRole).toString()});
        }
        listed += any ? 1 : 0;
    }
    const QModelIndex current = view->currentIndex();
    if (grid && current.isValid() && view->hasFocus())
        out +=
            Join({QStringLiteral("current"), name, model->headerData(current.row(), Qt::Vertical).toString(),
                  QString::number(current.column() + 1)});
}

void Visit(QString& out, const QString& window, QWidget* w) {
    if (!w->isVisible())
        return;
    QString name = w->objectName();
    if (name.isEmpty())
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty())
            name = u'@' + QString(button->text()).remove(u'&');
    if (!name.isEmpty() && !w->isWindow() && !name.startsWith(QLatin1String("qt_scrollarea")))
        out += Join(QStringList{QStringLiteral("widget"), window, name,
                                QString::fromLatin1(w->metaObject()->className())} +
                    Rect(Global(w, w->rect())) +
                    QStringList{w->isEnabled() ? QStringLiteral("1") : QStringLiteral("0"), TextOf(w)});
    if (auto* bar = qobject_cast<QToolBar*>(w)) {
        for (QAction* action : bar->actions()) {
            QWidget* button = bar->widgetForAction(action);
            if (!button || !button->isVisible() || action->objectName().isEmpty())
                continue;
            out += Join(QStringList{QStringLiteral("action"), window, action->objectName()} +
                        Rect(Global(button, button->rect())) +
                        QStringList{action->isEnabled() ? QStringLiteral("1") : QStringLiteral("0"),
                                    action->isChecked() ? QStringLiteral("1") : QStringLiteral("0"),
                                    action->text()});
        }
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        // A grid's tables carry no name of their own: they list under the grid's name.
        const bool grid = view->model() && view->model()->headerData(0, Qt::Horizontal, KeyRole).isValid();
        const QString listed = grid && w->parentWidget() ? w->parentWidget()->objectName() : w->objectName();
        if (!listed.isEmpty())
            Cells(out, listed, view, grid);
    }
    for (QObject* child : w->children())
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            Visit(out, window, widget);
}

}  // namespace

WindowProbe* WindowProbe::StartFromEnvironment(QObject* parent) {
    const QString path = qEnvironmentVariable("SHOPPROC_WINDOW_PROBE");
    return path.isEmpty() ? nullptr : new WindowProbe(path, parent);
}

WindowProbe::WindowProbe(QString path, QObject* parent) : QObject(parent), path_(std::move(path)) {
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &WindowProbe::Write);
    timer_.start();
}

void WindowProbe::Write() {
    QString out;
    if (QWidget* active = QApplication::activeWindow())
        out += Join({QStringLiteral("active"), NameOf(active), active->windowTitle()});
    if (QWidget* modal = QApplication::activeModalWidget())
        out += Join({QStringLiteral("modal"), NameOf(modal), modal->windowTitle()});
    if (QWidget* focus = QApplication::focusWidget())
        out += Join({QStringLiteral("focus"), NameOf(focus->window()), focus->objectName(),
                     QString::fromLatin1(focus->metaObject()->className())});
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        out += Join(QStringList{QStringLiteral("window"), NameOf(top),
                                QString::fromLatin1(top->metaObject()->className())} +
                    Rect(top->frameGeometry()) + QStringList{top->windowTitle()});
        Visit(out, NameOf(top), top);
    }
    if (out == last_)
        return;
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(out.toUtf8());
    if (file.commit())
        last_ = out;
}

}  // namespace sp::host
