#include "platform/db/Users.h"

#include "platform/db/PgGuard.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

// Masks are kept as 32-bit signed numbers (INTEGER on both databases): 0xFFFFFFFF is -1.
qint32 StoredMask(quint32 mask) { return static_cast<qint32>(mask); }

}  // namespace

QString UserNameProblem(const QString& name) {
    constexpr qsizetype kLongestName = 64;
    if (name.trimmed().isEmpty())
        return QStringLiteral("A user needs a name.");
    // By code point: a character outside the BMP is two QChars but one character.
    for (const char32_t c : name.toUcs4()) {
        // Not repeated: the name would break the message's line.
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            return QStringLiteral(
                "The user name holds a control character (a tab, a line break, ...), which the login "
                "cannot carry.");
        // Not repeated either: a direction override would turn the message around.
        if (category == QChar::Other_Format)
            return QStringLiteral(
                       "The user name holds the invisible format character U+%1 (a direction mark, a "
                       "zero-width space, ...), which would make it look like another name.")
                .arg(QString::number(c, 16).toUpper().rightJustified(4, u'0'));
        if (c == U';' || c == U'=' || c == U'{' || c == U'}' || c == U'|')
            return QStringLiteral(
                       "The user name \"%1\" holds \"%2\", which the login cannot carry (; = { } |).")
                .arg(name, QChar(c));
    }
    // What is stored is the trimmed name.
    if (const qsizetype length = name.trimmed().toUcs4().size(); length > kLongestName)
        return QStringLiteral("The user name is %1 characters long; at most %2 are allowed.")
            .arg(length)
            .arg(kLongestName);
    return {};
}

std::optional<qint32> FindUser(Database& db, const QString& name) {
    const QVariant id = db.Scalar(QStringLiteral("SELECT FUserID FROM t_User WHERE FName = ?"), {name});
    if (!id.isValid())
        return std::nullopt;
    return id.toInt();
}

void AddUser(Database& db, const QString& name, quint32 rightsMask) {
    if (const QString problem = UserNameProblem(name); !problem.isEmpty())
        sp::Refuse(QStringLiteral("AddUser"), problem);
    const QString trimmed = name.trimmed();
    // On PostgreSQL the user is a role of the server too, whose name has rules of its own.
    if (db.dialect() == Dialect::PostgreSQL)
        if (const QString problem = PgGuard::RoleNameProblem(trimmed); !problem.isEmpty())
            sp::Refuse(QStringLiteral("AddUser"), problem);
    Transaction transaction(db);
    if (FindUser(db, trimmed))
        sp::Refuse(QStringLiteral("AddUser"), QStringLiteral("The user \"%1\" exists already.").arg(trimmed));
    const int id = db.Scalar(QStringLiteral("SELECT COALESCE(MAX(FUserID), 0) + 1 FROM t_User")).toInt();
    InsertUser(db, id, trimmed, QString(), rightsMask);
    transaction.Commit();
}

void InsertUser(Database& db, qint32 id, const QString& name, const QString& description, quint32 mask) {
    db.Exec(QStringLiteral("INSERT INTO t_User (FUserID, FName, FDescription) VALUES (?, ?, ?)"),
            {id, name, description});
    db.Exec(QStringLiteral(
                "INSERT INTO t_UserRight (FUserID, FSubSys, FFunction, FRights) VALUES (?, 1024, 30, ?)"),
            {id, StoredMask(mask)});
}

void GrantRights(Database& db, const QString& name, quint32 mask) {
    Transaction transaction(db);
    const std::optional<qint32> id = FindUser(db, name.trimmed());
    if (!id)
        sp::Refuse(QStringLiteral("GrantRights"),
                   QStringLiteral("There is no user \"%1\".").arg(name.trimmed()));
    const QVariant current = db.Scalar(
        QStringLiteral(
            "SELECT FRights FROM t_UserRight WHERE FUserID = ? AND FSubSys = 1024 AND FFunction = 30"),
        {*id});
    if (current.isValid())
        db.Exec(
            QStringLiteral(
                "UPDATE t_UserRight SET FRights = ? WHERE FUserID = ? AND FSubSys = 1024 AND FFunction = 30"),
            {StoredMask(static_cast<quint32>(current.toLongLong()) | mask), *id});
    else
        db.Exec(QStringLiteral(
                    "INSERT INTO t_UserRight (FUserID, FSubSys, FFunction, FRights) VALUES (?, 1024, 30, ?)"),
                {*id, StoredMask(mask)});
    transaction.Commit();
}

}  // namespace sp::platform
