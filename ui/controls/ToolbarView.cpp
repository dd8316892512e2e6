#include "ui/controls/ToolbarView.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "ui/controls/CatchBoundary.h"

namespace sp {

namespace {

// The designed family first; where it is not installed Qt takes the next one.
void ApplyFamily(QWidget* widget, const QString& family) {
    if (family.isEmpty())
        return;
    QFont font = widget->font();
    font.setFamilies({family, font.family()});
    widget->setFont(font);
}

}  // namespace

ToolbarView::ToolbarView(ToolbarModel* model, QWidget* window) : QObject(window), model_(model) {
    Build(window);
    connect(model_, &ToolbarModel::toolChanged, this, &ToolbarView::SyncTool);
    connect(model_, &ToolbarModel::redrawRequested, this, &ToolbarView::Repaint);
}

void ToolbarView::Build(QWidget* window) {
    menuBar_ = new QMenuBar(window);
    menuBar_->setObjectName(QStringLiteral("barProcMenu"));
    statusBar_ = new QStatusBar(window);
    statusBar_->setSizeGripEnabled(false);
    created_ = {menuBar_, statusBar_};
    for (QWidget* w : {static_cast<QWidget*>(menuBar_), static_cast<QWidget*>(statusBar_)})
        ApplyFamily(w, model_->Font());

    for (const BandState& band : model_->Bands()) {
        switch (band.kind) {
            case BandKind::Menu: {
                QMenu* menu = menuBar_->addMenu(band.caption);
                menu->setObjectName(band.name);
                ApplyFamily(menu, model_->Font());
                for (const QString& name : band.tools) {
                    for (const ToolState& t : model_->Tools()) {
                        if (t.name.compare(name, Qt::CaseInsensitive) == 0 && !t.isLabel)
                            menu->addAction(ActionFor(t));
                    }
                }
                break;
            }
            case BandKind::Toolbar: {
                auto* bar = new QToolBar(band.caption.isEmpty() ? band.name : band.caption, window);
                bar->setObjectName(band.name);
                bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
                ApplyFamily(bar, model_->Font());
                for (const QString& name : band.tools) {
                    for (const ToolState& t : model_->Tools()) {
                        if (t.name.compare(name, Qt::CaseInsensitive) != 0)
                            continue;
                        if (t.isLabel)
                            bar->addWidget(NewLabel(t, bar));
                        else
                            bar->addAction(ActionFor(t));
                    }
                }
                toolBars_.append(bar);
                created_.append(bar);
                break;
            }
            case BandKind::Status:
                for (const QString& name : band.tools) {
                    for (const ToolState& t : model_->Tools()) {
                        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                            statusBar_->addWidget(NewLabel(t, statusBar_), 1);
                    }
                }
                break;
        }
    }
}

QAction* ToolbarView::ActionFor(const ToolState& tool) {
    const QString key = tool.name.toLower();
    if (QAction* existing = actions_.value(key))
        return existing;
    auto* action = new QAction(tool.caption, this);
    action->setObjectName(tool.name);
    actions_.insert(key, action);
    connect(action, &QAction::triggered, this, [this, name = tool.name] {
        // Qt flips a checkable action itself; the model's state is the one that counts.
        SyncTool(name);
        CatchBoundary(QStringLiteral("ToolbarView"), [&] { model_->Click(name); });
        SyncTool(name);
    });
    SyncTool(tool.name);
    return action;
}

QLabel* ToolbarView::NewLabel(const ToolState& tool, QWidget* parent) {
    auto* label = new QLabel(tool.caption, parent);
    label->setObjectName(tool.name);
    label->setContentsMargins(4, 0, 4, 0);
    labels_[tool.name.toLower()].append(label);
    return label;
}

QAction* ToolbarView::Action(const QString& toolName) const { return actions_.value(toolName.toLower()); }

QLabel* ToolbarView::Label(const QString& toolName) const {
    const QList<QLabel*> labels = labels_.value(toolName.toLower());
    return labels.isEmpty() ? nullptr : labels.first();
}

void ToolbarView::SyncTool(const QString& name) {
    if (!model_->HasTool(name))
        return;
    const QString key = name.toLower();
    if (QAction* action = actions_.value(key)) {
        const QSignalBlocker block(action);
        const bool checked = model_->Checked(name);
        bool checkable = checked;
        for (const ToolState& t : model_->Tools()) {
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                checkable = checkable || t.style != ToolStyle::Button;
        }
        // Menus show a tab's right part as the key; the window, not Qt, handles the key.
        const QString shortcut = model_->ShortcutText(name);
        action->setText(model_->Caption(name) + (shortcut.isEmpty() ? QString() : u'\t' + shortcut));
        action->setEnabled(model_->Enabled(name));
        action->setCheckable(checkable);
        action->setChecked(checked);
    }
    for (QLabel* label : labels_.value(key)) label->setText(model_->Caption(name));
}

void ToolbarView::Repaint() {
    for (QWidget* widget : std::as_const(created_)) widget->repaint();
}

void ToolbarView::InstallInto(QMainWindow* window) {
    window->setMenuBar(menuBar_);
    for (QToolBar* bar : toolBars_) window->addToolBar(bar);
    window->setStatusBar(statusBar_);
}

}  // namespace sp
