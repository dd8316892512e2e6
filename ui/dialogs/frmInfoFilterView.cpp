#include "ui/dialogs/frmInfoFilterView.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "src/filters/Texts.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "ui/controls/CatchBoundary.h"

namespace sp {

frmInfoFilterView::frmInfoFilterView(frmInfoFilter& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("frmInfoFilter"));
    setWindowTitle(model_.Caption());
    auto* form = new QFormLayout;
    for (int i = 0; i < 2; ++i) {
        boxes_[i] = new QLineEdit(model_.txtItem(i), this);
        boxes_[i]->setObjectName(QStringLiteral("txtItem%1").arg(i));
        form->addRow(new QLabel(frmInfoFilter::ItemLabel(i), this), boxes_[i]);
    }
    auto* ok = new QPushButton(FilterTexts::OkButton(), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(FilterTexts::CancelButton(), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Cancel(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(360, sizeHint().height());
}

void frmInfoFilterView::Confirm() {
    CatchBoundary(QStringLiteral("frmInfoFilterView::Confirm"), [&] {
        for (int i = 0; i < 2; ++i) model_.SetTxtItem(i, boxes_[i]->text());
        model_.cmdOK_Click();
    });
    QDialog::accept();
}

void frmInfoFilterView::Cancel() {
    CatchBoundary(QStringLiteral("frmInfoFilterView::Cancel"), [&] { model_.cmdCancel_Click(); });
    QDialog::reject();
}

// Enter in a box confirms, as the OK button is the default one.
void frmInfoFilterView::accept() { Confirm(); }

// Escape and the close box close the window without a cancel: the history then loads
// unfiltered, as with an empty filter.
void frmInfoFilterView::reject() { QDialog::reject(); }

}  // namespace sp
