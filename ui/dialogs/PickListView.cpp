#include "ui/dialogs/PickListView.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "src/entry/ListSelPickList.h"
#include "src/filters/Texts.h"
#include "src/navigation/frmList.h"
#include "ui/controls/CatchBoundary.h"
#include "ui/dialogs/PickListTableModel.h"

namespace sp {

namespace {
// Typing pauses this long before the list is asked again.
constexpr int kSearchDelayMs = 250;
}  // namespace

PickListView::PickListView(ListSelPickList& list, QWidget* parent) : QDialog(parent), list_(list) {
    setObjectName(list.DialogName());
    setWindowTitle(list.Caption());
    resize(640, 420);

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("txtSearch"));
    search_->setClearButtonEnabled(true);
    search_->setText(list.SearchText());
    search_->installEventFilter(this);

    model_ = new PickListTableModel(list, this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("lstRows"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    // Fixed row heights keep tens of thousands of rows as quick as a hundred.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    // The host's own dialogs speak the clerks' language, whatever Qt's translations hold.
    buttons->button(QDialogButtonBox::Ok)->setText(FilterTexts::OkButton());
    buttons->button(QDialogButtonBox::Cancel)->setText(FilterTexts::CancelButton());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);

    searchDelay_ = new QTimer(this);
    searchDelay_->setSingleShot(true);
    searchDelay_->setInterval(kSearchDelayMs);
    connect(searchDelay_, &QTimer::timeout, this, [this] { ApplySearch(); });
    connect(search_, &QLineEdit::textEdited, this, [this] { searchDelay_->start(); });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { SyncCurrent(); });
    connect(table_, &QTableView::doubleClicked, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });

    list_.rowsChanged = [this] {
        model_->Reset();
        ShowCurrent();
    };
    list_.closeView = [this] {
        closing_ = true;
        QDialog::done(QDialog::Accepted);
    };
    ShowCurrent();
}

PickListView::~PickListView() {
    list_.rowsChanged = nullptr;
    list_.closeView = nullptr;
}

void PickListView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, [this] {
        CatchBoundary(QStringLiteral("PickListView::Activated"), [&] { list_.Activated(); });
    });
}

void PickListView::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (auto* form = dynamic_cast<frmList*>(&list_))
        CatchBoundary(QStringLiteral("frmList::Resize"), [&] { form->Resize(width(), height()); });
}

bool PickListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == search_ && event->type() == QEvent::KeyPress && EnterList(static_cast<QKeyEvent*>(event)))
        return true;
    // Enter in the search box picks the highlighted row (the dialog's default button);
    // typed text still waiting for its search is searched first, so the pick is its first
    // hit. Searching again without new text would lose the highlighted row.
    if (watched == search_ && event->type() == QEvent::KeyPress && searchDelay_->isActive()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            searchDelay_->stop();
            ApplySearch();
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool PickListView::EnterList(QKeyEvent* key) {
    if (key->key() != Qt::Key_Down && key->key() != Qt::Key_PageDown)
        return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    // Rows still waiting for the typed text are asked for first, so the move lands in
    // the list the clerk sees next.
    if (searchDelay_->isActive()) {
        searchDelay_->stop();
        ApplySearch();
    }
    table_->setFocus(Qt::OtherFocusReason);
    // The list moves as if the key had been pressed in it: the row after the current
    // one, or the first row when none is current; the model hears of it in SyncCurrent.
    QKeyEvent forwarded(key->type(), key->key(), key->modifiers(), key->text());
    QCoreApplication::sendEvent(table_, &forwarded);
    return true;
}

void PickListView::ApplySearch() {
    CatchBoundary(QStringLiteral("PickListView::Search"), [&] { list_.SetSearchText(search_->text()); });
    model_->Reset();
    ShowCurrent();
}

void PickListView::SyncCurrent() {
    const QModelIndex current = table_->currentIndex();
    CatchBoundary(QStringLiteral("PickListView::Current"),
                  [&] { list_.SetCurrentRow(current.isValid() ? current.row() : -1); });
}

void PickListView::ShowCurrent() {
    const int row = list_.CurrentRow();
    if (row >= 0 && row < model_->rowCount())
        table_->setCurrentIndex(model_->index(row, 0));
}

void PickListView::Confirm() {
    SyncCurrent();
    CatchBoundary(QStringLiteral("PickListView::Confirm"), [&] { list_.Confirm(); });
}

void PickListView::reject() {
    if (closing_) {
        QDialog::reject();
        return;
    }
    CatchBoundary(QStringLiteral("PickListView::Cancel"), [&] { list_.Cancel(); });
    // A model that keeps its dialog open on Cancel still lets the window close.
    if (!closing_)
        QDialog::reject();
}

}  // namespace sp
