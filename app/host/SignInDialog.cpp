#include "app/host/SignInDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sp::host {

std::optional<Credentials> DialogAsker::Ask(const QString& user, const QString& where,
                                            const QString& problem) {
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("frmSignIn"));
    dialog.setWindowTitle(QStringLiteral("登录 — 工序汇报"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* place = new QLabel(QStringLiteral("数据库：%1").arg(where), &dialog);
    place->setObjectName(QStringLiteral("lblWhere"));
    layout->addWidget(place);
    auto* form = new QFormLayout;
    auto* userBox = new QLineEdit(user, &dialog);
    userBox->setObjectName(QStringLiteral("txtUser"));
    auto* passwordBox = new QLineEdit(&dialog);
    passwordBox->setObjectName(QStringLiteral("txtPassword"));
    passwordBox->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("用户名(&U)："), userBox);
    form->addRow(QStringLiteral("密码(&P)："), passwordBox);
    layout->addLayout(form);
    if (!problem.isEmpty()) {
        auto* refused = new QLabel(QStringLiteral("未能登录：%1").arg(problem), &dialog);
        refused->setObjectName(QStringLiteral("lblProblem"));
        refused->setWordWrap(true);
        layout->addWidget(refused);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("登录"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
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
