#include "ui/dialogs/frmWageFilterView.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "src/filters/Texts.h"
#include "src/filters/frmWageFilter.h"
#include "ui/controls/CatchBoundary.h"
#include "ui/dialogs/Texts.h"

namespace sp {

namespace {

const char* const kIndexProperty = "filterIndex";

int IndexOf(QObject* o) {
    const QVariant v = o->property(kIndexProperty);
    return v.isValid() ? v.toInt() : -1;
}

}  // namespace

frmWageFilterView::frmWageFilterView(frmWageFilter& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(model.DialogName());
    setWindowTitle(FilterTexts::Caption());

    auto* tabs = new QTabWidget(this);
    tabs->addTab(BuildConditions(), FilterTexts::ConditionTab());

    auto* ok = new QPushButton(FilterTexts::OkButton(), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(false);
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(FilterTexts::CancelButton(), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this,
            [this] { Call("cmdOK_Click", [this] { model_.cmdOK_Click(); }); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* body = new QHBoxLayout;
    body->addWidget(BuildPlans());
    body->addWidget(tabs, 1);
    body->addLayout(buttons);
    setLayout(body);
    // Each row's "from" box, its "to" box, then the next row.
    for (int i = 1; i < kFilterBoxCount; ++i)
        setTabOrder(boxes_[static_cast<size_t>(i - 1)], boxes_[static_cast<size_t>(i)]);

    model_.changed = [this] { Refresh(); };
    model_.closeView = [this] {
        closing_ = true;
        QDialog::done(QDialog::Accepted);
    };
    Refresh();
}

frmWageFilterView::~frmWageFilterView() {
    model_.changed = nullptr;
    model_.closeView = nullptr;
}

QWidget* frmWageFilterView::BuildConditions() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int line = 0;
    for (int row = 0; row < static_cast<int>(kFilterBoundRows.size()); ++row, ++line) {
        grid->addWidget(new QLabel(FilterRowLabel(row), page), line, 0);
        for (int side = 0; side < 2; ++side) {
            const int index = row * 2 + side;
            auto* box = new QLineEdit(page);
            box->setObjectName(QStringLiteral("txtItem_%1").arg(index));
            box->setProperty(kIndexProperty, index);
            box->installEventFilter(this);
            connect(box, &QLineEdit::textEdited, this,
                    [this, index](const QString& text) { BoxEdited(index, text); });
            auto* lookup = new QToolButton(page);
            lookup->setObjectName(QStringLiteral("cmdItem_%1").arg(index));
            lookup->setText(DialogTexts::LookupButton());
            lookup->setProperty(kIndexProperty, index);
            // Out of the Tab chain: Enter in a box moves on as Tab does and must land in
            // the next box, not on a button that a further Enter would press. The lookup
            // stays at hand with F7/F8 in the box and with the mouse.
            lookup->setFocusPolicy(Qt::ClickFocus);
            lookup->installEventFilter(this);
            connect(lookup, &QToolButton::clicked, this,
                    [this, index] { Call("cmdItem_Click", [this, index] { model_.cmdItem_Click(index); }); });
            boxes_[static_cast<size_t>(index)] = box;
            lookupButtons_[static_cast<size_t>(index)] = lookup;
            if (side == 1)
                grid->addWidget(new QLabel(FilterTexts::To(), page), line, 3);
            grid->addWidget(box, line, side == 0 ? 1 : 4);
            grid->addWidget(lookup, line, side == 0 ? 2 : 5);
        }
    }
    // The two date ranges are shown as the form always had them; they feed nothing.
    for (const QString& label : {FilterTexts::StartDateLabel(), FilterTexts::FinishDateLabel()}) {
        grid->addWidget(new QLabel(label, page), line, 0);
        auto* from = new QDateEdit(QDate::currentDate(), page);
        auto* to = new QDateEdit(QDate::currentDate(), page);
        for (QDateEdit* date : {from, to}) {
            date->setCalendarPopup(true);
            date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        }
        grid->addWidget(from, line, 1);
        grid->addWidget(new QLabel(FilterTexts::To(), page), line, 3);
        grid->addWidget(to, line, 4);
        ++line;
    }
    grid->addWidget(new QLabel(FilterTexts::GroupByLabel(), page), line, 0);
    groupBy_ = new QComboBox(page);
    groupBy_->setObjectName(QStringLiteral("cboGroupBy"));
    groupBy_->addItems(model_.GroupByItems());
    connect(groupBy_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!refreshing_)
            Call("cboGroupBy", [this, index] { model_.SetGroupByIndex(index); });
    });
    grid->addWidget(groupBy_, line, 1);
    grid->setRowStretch(line + 1, 1);
    return page;
}

QWidget* frmWageFilterView::BuildPlans() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(FilterTexts::PlanLabel(), panel));

    auto* toolbar = new QToolBar(panel);
    toolbar->setObjectName(QStringLiteral("tlbProject"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const std::pair<QString, QString> tools[] = {
        {QStringLiteral("tlbSave"), FilterTexts::SaveTool()},
        {QStringLiteral("tlbDel"), FilterTexts::DeleteTool()},
        {QStringLiteral("tlbClear"), FilterTexts::ClearTool()},
    };
    for (const auto& [key, caption] : tools) {
        QAction* action = toolbar->addAction(caption);
        action->setObjectName(key);
        connect(action, &QAction::triggered, this, [this, key = key] {
            Call("tlbProject_ButtonClick", [this, &key] { model_.tlbProject_ButtonClick(key); });
        });
    }
    auto* view = new QToolButton(toolbar);
    view->setObjectName(QStringLiteral("tlbView"));
    view->setText(FilterTexts::ViewTool());
    view->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(view);
    const QStringList items = FilterTexts::ViewMenuItems();
    for (int i = 0; i < items.size(); ++i) {
        QAction* action = menu->addAction(items[i]);
        connect(action, &QAction::triggered, this, [this, i] {
            Call("tlbProject_ButtonMenuClick", [this, i] { model_.tlbProject_ButtonMenuClick(i + 1); });
        });
    }
    view->setMenu(menu);
    connect(view, &QToolButton::clicked, this, [this] {
        Call("tlbProject_ButtonClick", [this] { model_.tlbProject_ButtonClick(QStringLiteral("tlbView")); });
    });
    toolbar->addWidget(view);
    layout->addWidget(toolbar);
    // All four tools stay visible rather than folding into an overflow menu.
    panel->setMinimumWidth(toolbar->sizeHint().width());

    // One list of plans, two views of it sharing the selection: icons and list in
    // plans_, the details with their column header in planDetails_.
    planModel_ = new QStandardItemModel(this);
    planModel_->setHorizontalHeaderLabels({FilterTexts::PlanColumn()});
    plans_ = new QListView(panel);
    plans_->setObjectName(QStringLiteral("lvwProject"));
    plans_->setModel(planModel_);
    plans_->setMovement(QListView::Static);
    plans_->setResizeMode(QListView::Adjust);
    plans_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    planDetails_ = new QTreeView(panel);
    planDetails_->setObjectName(QStringLiteral("lvwProjectDetails"));
    planDetails_->setModel(planModel_);
    planDetails_->setSelectionModel(plans_->selectionModel());
    planDetails_->setRootIsDecorated(false);
    planDetails_->setItemsExpandable(false);
    planDetails_->setUniformRowHeights(true);
    planDetails_->setIconSize(QSize(16, 16));
    planDetails_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    planDetails_->header()->setStretchLastSection(true);
    for (QAbstractItemView* view : std::initializer_list<QAbstractItemView*>{plans_, planDetails_}) {
        connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
            const int row = index.row();
            Call("lvwProject_ItemClick", [this, row] { model_.lvwProject_ItemClick(row); });
        });
    }
    planViews_ = new QStackedWidget(panel);
    planViews_->addWidget(plans_);
    planViews_->addWidget(planDetails_);
    layout->addWidget(planViews_, 1);
    return panel;
}

// Icons keep to a cell of the grid: a long name wraps to a second line and is cut short
// with an ellipsis there; the whole name is the item's tooltip.
void frmWageFilterView::ShowPlanView(int view) {
    const QFontMetrics metrics = plans_->fontMetrics();
    // Wide enough for the default plan's name on one line, with room to spare.
    const int cellWidth = metrics.horizontalAdvance(FilterTexts::DefaultPlan()) + 2 * metrics.height();
    const auto showIcons = [&](int iconSize) {
        plans_->setViewMode(QListView::IconMode);
        plans_->setIconSize(QSize(iconSize, iconSize));
        plans_->setWordWrap(true);
        plans_->setTextElideMode(Qt::ElideRight);
        plans_->setGridSize(
            QSize(cellWidth, iconSize + 2 * metrics.lineSpacing() + metrics.height() / 2 + 4));
    };
    switch (view) {
        case 0:
            showIcons(32);
            break;
        case 1:
            showIcons(16);
            break;
        case 2:
            plans_->setViewMode(QListView::ListMode);
            plans_->setIconSize(QSize(16, 16));
            plans_->setWordWrap(false);
            plans_->setGridSize(QSize());
            break;
        default:
            break;
    }
    planViews_->setCurrentWidget(view == 3 ? static_cast<QWidget*>(planDetails_) : plans_);
}

void frmWageFilterView::Refresh() {
    refreshing_ = true;
    for (int i = 0; i < kFilterBoxCount; ++i) {
        QLineEdit* box = boxes_[static_cast<size_t>(i)];
        const QString text = model_.txtItem(i);
        if (box->text() != text)
            box->setText(text);
    }
    groupBy_->setCurrentIndex(model_.GroupByIndex());

    const FilterPlanList& list = model_.lvwProject();
    planModel_->removeRows(0, planModel_->rowCount());
    const QIcon icon = style()->standardIcon(QStyle::SP_FileDialogContentsView);
    for (int i = 0; i < list.Count(); ++i) {
        auto* item = new QStandardItem(icon, list.At(i).text);
        item->setToolTip(list.At(i).text);
        item->setEditable(false);
        planModel_->appendRow(item);
    }
    if (list.SelectedIndex() >= 0)
        plans_->setCurrentIndex(planModel_->index(list.SelectedIndex(), 0));
    ShowPlanView(list.View());
    refreshing_ = false;
}

void frmWageFilterView::BoxEdited(int index, const QString& text) {
    QLineEdit* box = boxes_[static_cast<size_t>(index)];
    QString kept = text;
    Call("txtItem_Change", [&] { kept = model_.UserEdit(index, text); });
    if (kept != text) {
        // Something refused came in by paste or drop: show what the model kept.
        const int cursor = box->cursorPosition() - static_cast<int>(text.size() - kept.size());
        box->setText(kept);
        box->setCursorPosition(std::max(0, cursor));
    }
}

bool frmWageFilterView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int index = IndexOf(watched);
    if (index < 0)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Paste shortcuts are left to the box: what arrives is cleaned in BoxEdited.
    frmWageFilter::KeyAction action = frmWageFilter::KeyAction::Pass;
    const bool isBox = qobject_cast<QLineEdit*>(watched) != nullptr;
    Call("KeyDown", [&] {
        action = isBox ? model_.txtItem_KeyDown(index, key->key(), key->text())
                       : model_.cmdItem_KeyDown(index, key->key());
    });
    switch (action) {
        case frmWageFilter::KeyAction::Swallow:
            return true;
        case frmWageFilter::KeyAction::NextField:
            focusNextChild();
            return true;
        case frmWageFilter::KeyAction::Pass:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

// No button is the dialog's default, so that Enter in the boxes and lists closes
// nothing; Enter on a focused button presses it, as Space does.
void frmWageFilterView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()); button && button->isEnabled()) {
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void frmWageFilterView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Call("Form_Activate", [this] { model_.Form_Activate(); });
}

void frmWageFilterView::reject() {
    if (closing_) {
        QDialog::reject();
        return;
    }
    Call("QueryClose", [this] { model_.QueryClose(); });
    if (!closing_)
        QDialog::reject();
}

void frmWageFilterView::Call(const char* where, const std::function<void()>& call) {
    CatchBoundary(QStringLiteral("frmWageFilter::") + QLatin1String(where), call);
}

}  // namespace sp
