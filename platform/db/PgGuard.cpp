#include "platform/db/PgGuard.h"

#include <QRegularExpression>
#include <QSet>

#include "platform/db/PgGuardSql.h"
#include "platform/db/ReportSummarySql.h"
#include "platform/db/SchemaV1Sql.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/entry/Rights.h"

namespace sp::platform {
namespace {

[[noreturn]] void Refuse(const QString& message) {
    throw ComError(ErrorNumber::Refused, QStringLiteral("Database"), message);
}

// Whether the script's text at i starts a dollar quote ($$ or $tag$); its delimiter, else
// empty.
QString DollarQuoteAt(const QString& text, qsizetype i) {
    if (text[i] != u'$')
        return {};
    qsizetype j = i + 1;
    while (j < text.size() && (text[j].isLetterOrNumber() || text[j] == u'_')) ++j;
    if (j < text.size() && text[j] == u'$' && (j == i + 1 || !text[i + 1].isDigit()))
        return text.mid(i, j - i + 1);
    return {};
}

// The tables of the current schema that are not the workbench's.
QStringList OtherProgramsTables(Database& db) {
    QSet<QString> ours{QStringLiteral("t_schemaversion"), QStringLiteral("t_functaskrelease"),
                       QStringLiteral("t_dbrole")};
    static const QRegularExpression table(QStringLiteral("CREATE TABLE (\\w+)"));
    for (const auto& m : table.globalMatch(QString::fromUtf8(schema::kSchemaV1)))
        ours << m.captured(1).toLower();
    QStringList others;
    for (const RecordsetPtr rs = db.Query(QStringLiteral("SELECT table_name FROM information_schema.tables "
                                                         "WHERE table_schema = current_schema() ORDER BY 1"));
         !rs->Eof(); rs->MoveNext())
        if (!ours.contains(Basic::Text(rs->Field(0)).toLower()))
            others << Basic::Text(rs->Field(0));
    return others;
}

}  // namespace

const std::vector<PgGuard::GroupRole>& PgGuard::GroupRoles() {
    static const std::vector<GroupRole> roles = {
        {"users", 0},
        {"admins", 0},
        {"open", Rights::Open},
        {"new", Rights::NewReports},
        {"change", Rights::ChangeReports},
        {"audit", Rights::Audit},
        {"delete", Rights::Delete},
        {"summary", Rights::Summary},
    };
    return roles;
}

QString PgGuard::RoleName(const QString& database, const char* kind) {
    return database + u'_' + QLatin1String(kind);
}

QString PgGuard::QuoteIdent(const QString& name) {
    QString quoted = name;
    return u'"' + quoted.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString PgGuard::RoleNameProblem(const QString& name) {
    if (name.isEmpty() || name.toUtf8().size() > 63)
        return QStringLiteral(
                   "The user name \"%1\" cannot be a database role: a role's name holds 1 to 63 bytes of "
                   "UTF-8 (this one %2).")
            .arg(name)
            .arg(name.toUtf8().size());
    if (name.startsWith(QStringLiteral("pg_")))
        return QStringLiteral(
                   "The user name \"%1\" cannot be a database role: names beginning with pg_ are the "
                   "server's own.")
            .arg(name);
    return {};
}

QStringList PgGuard::SplitStatements(const QString& script) {
    QStringList statements;
    QString current;
    qsizetype i = 0;
    const qsizetype n = script.size();
    while (i < n) {
        const QChar c = script[i];
        if (c == u'-' && i + 1 < n && script[i + 1] == u'-') {
            while (i < n && script[i] != u'\n') ++i;
            continue;
        }
        if (c == u'\'') {
            const qsizetype end = script.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            current += script.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (const QString tag = DollarQuoteAt(script, i); !tag.isEmpty()) {
            const qsizetype end = script.indexOf(tag, i + tag.size());
            const qsizetype stop = end < 0 ? n : end + tag.size();
            current += script.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == u';') {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
        ++i;
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

QStringList PgGuard::Install(Database& db) {
    const RecordsetPtr who = db.Query(QStringLiteral(
        "SELECT current_user, r.rolsuper OR r.rolcreaterole, current_database(), current_schema(), "
        "COALESCE((SELECT pg_has_role(current_user, c.relowner, 'USAGE') FROM pg_class c "
        "WHERE c.oid = to_regclass('shprocrpt')), false) FROM pg_roles r WHERE r.rolname = current_user"));
    const QString me = Basic::Text(who->Field(0));
    const QString database = Basic::Text(who->Field(2));
    const QString schema = Basic::Text(who->Field(3));
    if (!Basic::Bool(who->Field(1)))
        Refuse(QStringLiteral(
                   "The database %1 keeps its users as PostgreSQL roles, and %2 may not create roles. Run "
                   "erp-host db init as the database's owner with the CREATEROLE attribute (ALTER ROLE %2 "
                   "CREATEROLE, by a superuser), or as a superuser.")
                   .arg(database, me));
    if (!Basic::Bool(who->Field(4)))
        Refuse(
            QStringLiteral("The process report tables of %1 belong to another role than %2; run erp-host db "
                           "init as the role that owns them.")
                .arg(database, me));
    for (const GroupRole& role : GroupRoles())
        if (RoleName(database, role.kind).toUtf8().size() > 63)
            Refuse(
                QStringLiteral("The database name %1 is too long to name its roles (%2): at most %3 bytes.")
                    .arg(database, RoleName(database, role.kind))
                    .arg(63 - 1 - static_cast<int>(qstrlen(role.kind))));

    // The script drops what an earlier run made before making it again: no notices of that.
    db.Exec(QStringLiteral("SET LOCAL client_min_messages = warning"));
    QHash<QString, QString> tokens{{QStringLiteral("{SCHEMA}"), QuoteIdent(schema)},
                                   {QStringLiteral("{DATABASE}"), QuoteIdent(database)}};
    for (const GroupRole& role : GroupRoles()) {
        const QString name = RoleName(database, role.kind);
        if (db.Scalar(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {name}).isNull())
            db.Exec(QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(QuoteIdent(name)));
        db.Exec(QStringLiteral(
                    "INSERT INTO t_DbRole (FKind, FRole, FRights) VALUES (?, ?, ?) ON CONFLICT (FKind) "
                    "DO UPDATE SET FRole = EXCLUDED.FRole, FRights = EXCLUDED.FRights"),
                {QLatin1String(role.kind), name, static_cast<qint32>(role.rights)});
        tokens.insert(u'{' + QString::fromLatin1(role.kind).toUpper() + u'}', QuoteIdent(name));
    }

    QString script = QString::fromUtf8(schema::kPgGuard);
    for (auto it = tokens.cbegin(); it != tokens.cend(); ++it) script.replace(it.key(), it.value());
    for (const QString& statement : SplitStatements(script)) db.Exec(statement);
    // The summary's figures come only through its function, which checks the right.
    for (const QString& statement :
         ReportSummarySql::FunctionStatements(QuoteIdent(schema), RoleName(database, "summary")))
        db.Exec(statement);

    // A database of its own admits nobody but the workbench's users, and they make no
    // temporary tables. One shared with another program keeps what that program's roles
    // may rely on.
    QStringList notes;
    if (const QStringList others = OtherProgramsTables(db); others.isEmpty())
        db.Exec(QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC").arg(QuoteIdent(database)));
    else
        notes << QStringLiteral(
                     "The database %1 holds other programs' tables too (%2), so every role keeps connecting "
                     "to it as before; the workbench's tables admit only its users all the same.")
                     .arg(database, others.mid(0, 3).join(QStringLiteral(", ")));

    // Users made before the guard become roles now; a name no role can carry is told.
    for (const RecordsetPtr rs = db.Query(QStringLiteral("SELECT FName FROM t_User ORDER BY FUserID"));
         !rs->Eof(); rs->MoveNext()) {
        const QString name = Basic::Text(rs->Field(0));
        if (const QString problem = RoleNameProblem(name); !problem.isEmpty())
            notes << problem + QStringLiteral(" The user cannot sign in until it is renamed.");
        else
            db.Scalar(QStringLiteral("SELECT sp_sync_member(?)"), {name});
    }
    return notes;
}

}  // namespace sp::platform
