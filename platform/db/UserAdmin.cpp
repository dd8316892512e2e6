#include "platform/db/UserAdmin.h"

#include "platform/db/PgSignIn.h"
#include "platform/db/Users.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"

namespace sp::platform {
namespace {

QString Source() { return QStringLiteral("UserAdmin"); }

[[noreturn]] void Refuse(const QString& message) { throw ComError(ErrorNumber::Refused, Source(), message); }

}  // namespace

UserAdmin::Identity UserAdmin::SessionUser() {
    const RecordsetPtr rs = db_->Query(
        QStringLiteral("SELECT session_user, (SELECT FUserID FROM t_User WHERE FName = session_user)"));
    Identity who;
    who.name = Basic::Text(rs->Field(0));
    if (rs->Field(1).isNull())
        throw ComError(
            ErrorNumber::NotFound, Source(),
            QStringLiteral("The database role \"%1\" is not a user of the process report workbench "
                           "in %2. An administrator adds it with: erp-host user add %1")
                .arg(who.name, db_->url().ToString()));
    who.userId = Basic::Long(rs->Field(1));
    return who;
}

bool UserAdmin::MayAdminister() {
    if (db_->dialect() != Dialect::PostgreSQL)
        return true;
    return Basic::Bool(db_->Scalar(
        QStringLiteral("SELECT has_function_privilege('sp_grant_admin(text, boolean)', 'EXECUTE')")));
}

QString UserAdmin::SessionRole() { return Basic::Text(db_->Scalar(QStringLiteral("SELECT session_user"))); }

bool UserAdmin::RoleSignsIn(const QString& name) {
    return db_->Scalar(QStringLiteral("SELECT rolcanlogin FROM pg_roles WHERE rolname = ?"), {name}).toBool();
}

qint32 UserAdmin::RequireUser(const QString& name) {
    const std::optional<qint32> id = FindUser(*db_, name);
    if (!id)
        throw ComError(ErrorNumber::NotFound, Source(), QStringLiteral("There is no user \"%1\".").arg(name));
    return *id;
}

void UserAdmin::RequirePostgres(const QString& what) {
    if (db_->dialect() != Dialect::PostgreSQL)
        Refuse(QStringLiteral("%1 only on PostgreSQL: a SQLite database is one user's file, guarded by its "
                              "permissions, and nobody signs in to it.")
                   .arg(what));
}

void UserAdmin::Add(const QString& name, quint32 mask, const QString& password) {
    const bool postgres = db_->dialect() == Dialect::PostgreSQL;
    if (!postgres && !password.isEmpty())
        RequirePostgres(QStringLiteral("Passwords exist"));
    Transaction transaction(*db_);
    AddUser(*db_, name, mask);
    if (postgres && !password.isEmpty())
        db_->Scalar(QStringLiteral("SELECT sp_set_password(?, ?)"),
                    {name, PgSignIn::Verifier(db_->Connection(), name, password)});
    transaction.Commit();
}

void UserAdmin::Grant(const QString& name, quint32 mask) {
    RequireUser(name);
    GrantRights(*db_, name, mask);
}

void UserAdmin::Revoke(const QString& name, quint32 mask) {
    Transaction transaction(*db_);
    const qint32 id = RequireUser(name);
    const QVariant rights = db_->Scalar(
        QStringLiteral(
            "SELECT FRights FROM t_UserRight WHERE FUserID = ? AND FSubSys = 1024 AND FFunction = 30"),
        {id});
    if (rights.isNull())
        return;
    db_->Exec(
        QStringLiteral(
            "UPDATE t_UserRight SET FRights = ? WHERE FUserID = ? AND FSubSys = 1024 AND FFunction = 30"),
        {static_cast<qint32>(static_cast<quint32>(rights.toLongLong()) & ~mask), id});
    transaction.Commit();
}

// The functions below write: each runs in a transaction of its own, so that a connection
// lost meanwhile never has it run twice.
void UserAdmin::SetAdmin(const QString& name, bool admin) {
    RequirePostgres(QStringLiteral("Administrators exist"));
    Transaction transaction(*db_);
    RequireUser(name);
    db_->Scalar(QStringLiteral("SELECT sp_grant_admin(?, CAST(? AS boolean))"), {name, admin});
    transaction.Commit();
}

void UserAdmin::SetPassword(const QString& name, const QString& password) {
    RequirePostgres(QStringLiteral("Passwords exist"));
    Transaction transaction(*db_);
    RequireUser(name);
    db_->Scalar(QStringLiteral("SELECT sp_set_password(?, ?)"),
                {name, PgSignIn::Verifier(db_->Connection(), name, password)});
    transaction.Commit();
}

int UserAdmin::Disable(const QString& name) {
    RequirePostgres(QStringLiteral("Users are disabled"));
    Transaction transaction(*db_);
    RequireUser(name);
    const int ended = Basic::Long(db_->Scalar(QStringLiteral("SELECT sp_disable_user(?)"), {name}));
    transaction.Commit();
    return ended;
}

void UserAdmin::ChangeOwnPassword(const QString& password) {
    RequirePostgres(QStringLiteral("Passwords exist"));
    const QString me = SessionRole();
    // A role may always set its own password; the server receives only the verifier, which
    // is base64 and punctuation ("$", ":", "+", "/", "="), never a quote.
    const QString verifier = PgSignIn::Verifier(db_->Connection(), me, password);
    if (verifier.contains(u'\'') || verifier.contains(u'\\'))
        Refuse(QStringLiteral("The password verifier has an unexpected form."));
    db_->Exec(QStringLiteral("ALTER ROLE SESSION_USER PASSWORD '%1'").arg(verifier));
}

}  // namespace sp::platform
