#include "ui/dialogs/frmSummaryView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "src/summary/Texts.h"
#include "src/summary/frmSummary.h"
#include "ui/controls/CatchBoundary.h"
#include "ui/controls/DialogViews.h"
#include "ui/controls/GridView.h"

namespace sp {

namespace T = SummaryTexts;

namespace {

QDateEdit* DateBox(const QDate& date, const QString& name, QWidget* parent) {
    auto* box = new QDateEdit(date, parent);
    box->setObjectName(name);
    box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    box->setCalendarPopup(true);
    return box;
}

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

frmSummaryView::frmSummaryView(frmSummary& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("frmSummary"));
    setWindowTitle(T::Caption());
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    const frmSummary::Choices& c = model_.choices();

    auto* choices = new QGridLayout;
    from_ = DateBox(c.from, QStringLiteral("dtpFrom"), this);
    to_ = DateBox(c.to, QStringLiteral("dtpTo"), this);
    basis_ = new QComboBox(this);
    basis_->setObjectName(QStringLiteral("cboBasis"));
    basis_->addItems(T::BasisItems());
    basis_->setCurrentIndex(static_cast<int>(c.basis));
    const QStringList levels = T::GroupItems();
    by1_ = new QComboBox(this);
    by1_->setObjectName(QStringLiteral("cboBy1"));
    by1_->addItems(levels.mid(1));
    by1_->setCurrentIndex(static_cast<int>(c.by1) - 1);
    by2_ = new QComboBox(this);
    by2_->setObjectName(QStringLiteral("cboBy2"));
    by2_->addItems(levels);
    by2_->setCurrentIndex(static_cast<int>(c.by2));
    audited_ = new QCheckBox(T::AuditedOnly(), this);
    audited_->setObjectName(QStringLiteral("chkAudited"));
    audited_->setChecked(c.auditedOnly);
    filter_ = new QCheckBox(T::ApplyFilter(), this);
    filter_->setObjectName(QStringLiteral("chkFilter"));
    filter_->setChecked(c.applyFilter);

    choices->addWidget(new QLabel(T::FromLabel(), this), 0, 0);
    choices->addWidget(from_, 0, 1);
    choices->addWidget(new QLabel(T::To(), this), 0, 2);
    choices->addWidget(to_, 0, 3);
    choices->addWidget(new QLabel(T::BasisLabel(), this), 0, 4);
    choices->addWidget(basis_, 0, 5);
    choices->addWidget(new QLabel(T::GroupLabel(), this), 1, 0);
    choices->addWidget(by1_, 1, 1);
    choices->addWidget(new QLabel(T::ThenLabel(), this), 1, 2);
    choices->addWidget(by2_, 1, 3);
    choices->addWidget(audited_, 1, 4, 1, 2);
    const QStringList labels = T::BoundLabels();
    for (int i = 0; i < 6; ++i) {
        bounds_[size_t(i)] = new QLineEdit(c.bounds[size_t(i)], this);
        bounds_[size_t(i)]->setObjectName(QStringLiteral("txtBound%1").arg(i));
        bounds_[size_t(i)]->installEventFilter(this);
        const int row = 2 + i / 2;
        if (i % 2 == 0)
            choices->addWidget(new QLabel(labels[i / 2], this), row, 0);
        else
            choices->addWidget(new QLabel(T::To(), this), row, 2);
        choices->addWidget(bounds_[size_t(i)], row, 1 + 2 * (i % 2));
    }
    choices->addWidget(filter_, 2, 4, 1, 2);
    auto* query = Button(T::QueryButton(), QStringLiteral("cmdQuery"), this);
    query->setDefault(true);
    choices->addWidget(query, 4, 5);
    choices->setColumnStretch(6, 1);

    pages_ = new QStackedWidget(this);
    summary_ = new GridView(&model_.Summary(), pages_);
    summary_->SetName(QStringLiteral("vlgSummary"));
    reports_ = new GridView(&model_.Reports(), pages_);
    reports_->SetName(QStringLiteral("vlgSummaryReports"));
    pages_->addWidget(summary_);
    pages_->addWidget(reports_);

    back_ = Button(T::BackButton(), QStringLiteral("cmdBack"), this);
    auto* exportButton = Button(T::ExportButton(), QStringLiteral("cmdExport"), this);
    auto* print = Button(T::PrintButton(), QStringLiteral("cmdPrint"), this);
    auto* close = Button(T::CloseButton(), QStringLiteral("cmdClose"), this);
    auto* hint = new QLabel(T::Hint(), this);
    auto* foot = new QHBoxLayout;
    foot->addWidget(hint, 1);
    for (QPushButton* b : {back_, exportButton, print, close}) foot->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(pages_, 1);
    layout->addLayout(foot);

    connect(query, &QPushButton::clicked, this, [this] { Query(); });
    connect(back_, &QPushButton::clicked, this,
            [this] { CatchBoundary(QStringLiteral("frmSummary.Back"), [&] { model_.BackToSummary(); }); });
    const auto exportGrid = [this] {
        CatchBoundary(QStringLiteral("frmSummary.Export"), [&] {
            PullChoices();
            model_.ExportCommand();
        });
    };
    const auto printGrid = [this] {
        CatchBoundary(QStringLiteral("frmSummary.Print"), [&] {
            PullChoices();
            model_.PrintCommand();
        });
    };
    connect(exportButton, &QPushButton::clicked, this, exportGrid);
    connect(print, &QPushButton::clicked, this, printGrid);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+E")), this), &QShortcut::activated, this,
            exportGrid);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+P")), this), &QShortcut::activated, this,
            printGrid);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&model_, &frmSummary::pageChanged, this, &frmSummaryView::ShowPage);
    connect(&model_, &frmSummary::closeRequested, this, &QDialog::accept);

    resize(model_.WindowSize());
    ShowPage();
}

void frmSummaryView::PullChoices() {
    frmSummary::Choices& c = model_.choices();
    c.from = from_->date();
    c.to = to_->date();
    c.basis = static_cast<SummaryDate>(basis_->currentIndex());
    c.by1 = static_cast<SummaryBy>(by1_->currentIndex() + 1);
    c.by2 = static_cast<SummaryBy>(by2_->currentIndex());
    c.auditedOnly = audited_->isChecked();
    c.applyFilter = filter_->isChecked();
    for (int i = 0; i < 6; ++i) {
        model_.SetBound(i, bounds_[size_t(i)]->text());
        bounds_[size_t(i)]->setText(c.bounds[size_t(i)]);
    }
}

void frmSummaryView::Query() {
    CatchBoundary(QStringLiteral("frmSummary.Query"), [&] {
        PullChoices();
        model_.Query();
    });
    summary_->setFocus();
}

void frmSummaryView::ShowPage() {
    const bool reports = model_.ShowingReports();
    pages_->setCurrentIndex(reports ? 1 : 0);
    back_->setEnabled(reports);
    (reports ? reports_ : summary_)->setFocus();
}

void frmSummaryView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The summary of the last choices shows at once.
    if (!queried_) {
        queried_ = true;
        QTimer::singleShot(0, this, [this] { Query(); });
    }
}

bool frmSummaryView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F7)
        for (int i = 0; i < 6; ++i)
            if (watched == bounds_[size_t(i)]) {
                CatchBoundary(QStringLiteral("frmSummary.Lookup"), [&] {
                    PullChoices();
                    model_.LookupBound(i);
                    bounds_[size_t(i)]->setText(model_.choices().bounds[size_t(i)]);
                });
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void frmSummaryView::done(int result) {
    CatchBoundary(QStringLiteral("frmSummary.Close"), [&] {
        PullChoices();
        model_.SetWindowSize(size());
    });
    QDialog::done(result);
}

void RegisterSummaryView() {
    RegisterDialogView(QStringLiteral("frmSummary"),
                       [](DialogModel& model, QWidget* parent) -> std::unique_ptr<QDialog> {
                           auto* summary = dynamic_cast<frmSummary*>(&model);
                           if (!summary)
                               return nullptr;
                           return std::make_unique<frmSummaryView>(*summary, parent);
                       });
}

}  // namespace sp
