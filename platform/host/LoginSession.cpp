#include "platform/host/LoginSession.h"

#include "platform/db/Users.h"
#include "src/common/ComError.h"

namespace sp::platform {

namespace {
void Require(const QString& what, const QString& value) {
    if (!LoginSession::IsCarriable(value))
        throw ComError(ErrorNumber::Refused, QStringLiteral("PropsMgr.Login"),
                       QStringLiteral("The %1 \"%2\" holds a character the login properties cannot carry "
                                      "(; = { } | or a line break).")
                           .arg(what, value));
}
}  // namespace

LoginSession::LoginSession(std::shared_ptr<Database> db, qint32 userId, QString userName, QString language,
                           QString computerName)
    : db_(std::move(db)),
      userId_(userId),
      userName_(std::move(userName)),
      language_(std::move(language)),
      computerName_(std::move(computerName)) {
    Require(QStringLiteral("user name"), userName_);
    Require(QStringLiteral("language"), language_);
    Require(QStringLiteral("computer name"), computerName_);
    if (db_) {
        const QString cnn = db_->url().ConnectionText();
        if (cnn.contains(u'{') || cnn.contains(u'}'))
            throw ComError(ErrorNumber::Refused, QStringLiteral("PropsMgr.Login"),
                           QStringLiteral("The database connection text holds a brace."));
    }
}

bool LoginSession::IsCarriable(const QString& value) {
    for (const QChar c : value)
        if (c == u';' || c == u'=' || c == u'{' || c == u'}' || c == u'|' || c == u'\r' || c == u'\n' ||
            c == u'\t')
            return false;
    return true;
}

qint32 LoginSession::FindUserId(Database& db, const QString& userName) {
    const std::optional<qint32> id = FindUser(db, userName);
    if (!id)
        throw ComError(ErrorNumber::NotFound, QStringLiteral("PropsMgr.Login"),
                       QStringLiteral("There is no user \"%1\".").arg(userName));
    return *id;
}

QString LoginSession::PropsString() const {
    const QString cnn = db_ ? db_->url().ConnectionText() : QString();
    return QStringLiteral("UserID=%1;UserName=%2;Language=%3;DBConnection={%4};ComputerName=%5;")
        .arg(QString::number(userId_), userName_, language_, cnn, computerName_);
}

}  // namespace sp::platform
