#include "ui/dialogs/frmSetColView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "src/settings/Texts.h"
#include "src/settings/frmSetCol.h"
#include "ui/controls/CatchBoundary.h"

namespace sp {

namespace {

QPushButton* NewButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

frmSetColView::frmSetColView(frmSetCol& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(model_.DialogName());
    setWindowTitle(frmSetCol::Caption());

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ColList"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* label = new QLabel(SettingsTexts::SetColListLabel(), this);
    label->setBuddy(list_);
    chkDefault_ = new QCheckBox(SettingsTexts::SetColDefault(), this);
    chkDefault_->setObjectName(QStringLiteral("chkDefault"));

    moveUp_ = NewButton(SettingsTexts::SetColMoveUp(), QStringLiteral("cmdMoveUp"), this);
    moveDown_ = NewButton(SettingsTexts::SetColMoveDown(), QStringLiteral("cmdMoveDown"), this);
    all_ = NewButton(SettingsTexts::SetColAll(), QStringLiteral("cmdAll"), this);
    none_ = NewButton(SettingsTexts::SetColNone(), QStringLiteral("cmdNone"), this);
    ok_ = NewButton(SettingsTexts::SetColOK(), QStringLiteral("cmdOK"), this);
    ok_->setDefault(true);
    auto* cancel = NewButton(SettingsTexts::SetColCancel(), QStringLiteral("cmdCancel"), this);

    // Mouse clicks and arrow keys both move the current row; a tick comes from the
    // check box or from Space on the current row.
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_)
            Act(
                "ColList_Click", [this, row] { model_.SetCurrentIndex(row); }, true);
    });
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (refreshing_)
            return;
        const int row = list_->row(item);
        const bool checked = item->checkState() == Qt::Checked;
        Act("ColList_ItemCheck", [this, row, checked] { model_.SetItemChecked(row, checked); });
    });
    connect(chkDefault_, &QCheckBox::clicked, this, [this](bool ticked) {
        Act("chkDefault_Click", [this, ticked] { model_.SetChkDefault(ticked); });
    });
    connect(moveUp_, &QPushButton::clicked, this, [this] {
        Act(
            "cmdMoveUp_Click", [this] { model_.cmdMoveUp_Click(); }, true);
    });
    connect(moveDown_, &QPushButton::clicked, this, [this] {
        Act(
            "cmdMoveDown_Click", [this] { model_.cmdMoveDown_Click(); }, true);
    });
    connect(all_, &QPushButton::clicked, this,
            [this] { Act("cmdAll_Click", [this] { model_.cmdAll_Click(); }); });
    connect(none_, &QPushButton::clicked, this,
            [this] { Act("cmdNone_Click", [this] { model_.cmdNone_Click(); }); });
    connect(ok_, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    auto* tools = new QVBoxLayout;
    for (QPushButton* button : {moveUp_, moveDown_, all_, none_}) tools->addWidget(button);
    tools->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(list_, 1);
    body->addLayout(tools);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(body, 1);
    layout->addWidget(chkDefault_);
    layout->addLayout(buttons);
    resize(380, 360);

    Refresh(true);
}

void frmSetColView::Act(const char* where, const std::function<void()>& call, bool showCurrent) {
    CatchBoundary(QStringLiteral("frmSetColView::") + QLatin1String(where), call);
    Refresh(showCurrent);
}

void frmSetColView::Confirm() {
    CatchBoundary(QStringLiteral("frmSetColView::cmdOK_Click"), [this] { model_.cmdOK_Click(); });
    if (model_.Closed())
        QDialog::accept();
    else
        Refresh(false);
}

void frmSetColView::reject() {
    CatchBoundary(QStringLiteral("frmSetColView::cmdCancel_Click"), [this] { model_.cmdCancel_Click(); });
    QDialog::reject();
}

void frmSetColView::Refresh(bool showCurrent) {
    refreshing_ = true;
    const int scrolled = list_->verticalScrollBar()->value();
    const QVector<frmSetCol::Item>& items = model_.Items();
    const int count = model_.ItemCount();
    while (list_->count() > count) delete list_->takeItem(list_->count() - 1);
    while (list_->count() < count) {
        auto* row = new QListWidgetItem(list_);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
    for (int i = 0; i < count; ++i) {
        QListWidgetItem* row = list_->item(i);
        row->setText(items[i].text);
        row->setCheckState(items[i].checked ? Qt::Checked : Qt::Unchecked);
    }
    if (list_->currentRow() != model_.CurrentIndex())
        list_->setCurrentRow(model_.CurrentIndex());
    if (showCurrent && list_->currentItem())
        list_->scrollToItem(list_->currentItem());
    else
        list_->verticalScrollBar()->setValue(scrolled);

    chkDefault_->setChecked(model_.chkDefault());
    list_->setEnabled(model_.ListEnabled());
    moveUp_->setEnabled(model_.MoveUpEnabled());
    moveDown_->setEnabled(model_.MoveDownEnabled());
    all_->setEnabled(model_.AllEnabled());
    none_->setEnabled(model_.NoneEnabled());
    ok_->setEnabled(model_.OkEnabled());
    refreshing_ = false;
}

}  // namespace sp
