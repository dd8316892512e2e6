#include "app/host/SignInDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/host/Texts.h"

namespace sp::host {

std::optional<Credentials> DialogAsker::Ask(const QString& user, const QString& where,
                                            const QString& problem) {
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("frmSignIn"));
    dialog.setWindowTitle(Texts::SignInCaption());
    auto* layout = new QVBoxLayout(&dialog);
    auto* place = new QLabel(Texts::SignInWhere(where), &dialog);
    place->setObjectName(QStringLiteral("lblWhere"));
    layout->addWidget(place);
    auto* form = new QFormLayout;
    auto* userBox = new QLineEdit(user, &dialog);
    userBox->setObjectName(QStringLiteral("txtUser"));
    auto* passwordBox = new QLineEdit(&dialog);
    passwordBox->setObjectName(QStringLiteral("txtPassword"));
    passwordBox->setEchoMode(QLineEdit::Password);
    form->addRow(Texts::SignInUserLabel(), userBox);
    form->addRow(Texts::SignInPasswordLabel(), passwordBox);
    layout->addLayout(form);
    if (!problem.isEmpty()) {
        auto* refused = new QLabel(Texts::SignInRefused(problem), &dialog);
        refused->setObjectName(QStringLiteral("lblProblem"));
        refused->setWordWrap(true);
        layout->addWidget(refused);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Ok)->setText(Texts::SignInButton());
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    buttons->button(QDialogButtonBox::Cancel)->setText(Texts::SignInCancelButton());
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    (user.isEmpty() ? userBox : passwordBox)->setFocus();
    dialog.setMinimumWidth(360);
    if (dialog.exec() != QDialog::Accepted || userBox->text().trimmed().isEmpty())
        return std::nullopt;
    Credentials given{userBox->text().trimmed(), passwordBox->text()};
    passwordBox->clear();
    return given;
}

}  // namespace sp::host
