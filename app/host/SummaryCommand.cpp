#include "app/host/SummaryCommand.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/host/ExitCodes.h"
#include "app/host/Texts.h"
#include "platform/db/UserAdmin.h"
#include "platform/host/LoginSession.h"
#include "platform/middletier/MShopSummary.h"
#include "src/common/ComError.h"
#include "src/controls/GridExport.h"
#include "src/controls/GridModel.h"
#include "src/entry/Rights.h"
#include "src/summary/SummaryTable.h"
#include "src/summary/Texts.h"

namespace sp::host {

int RunReportSummary(const HostOptions& o, std::shared_ptr<platform::Database> db,
                     const std::function<void(FILE*, const QString&)>& print) {
    // On PostgreSQL the user is whom the server signed in, on SQLite --user.
    qint32 userId = 0;
    QString userName = o.user;
    try {
        if (db->dialect() == platform::Dialect::PostgreSQL) {
            const platform::UserAdmin::Identity who = platform::UserAdmin(db).SessionUser();
            userId = who.userId;
            userName = who.name;
        } else {
            userId = platform::LoginSession::FindUserId(*db, o.user);
        }
    } catch (const ComError& e) {
        if (e.Number() != ErrorNumber::NotFound)
            throw;
        print(stderr,
              db->dialect() == platform::Dialect::PostgreSQL ? e.Description() : Texts::UnknownUser(o.user));
        return UnknownUser;
    }

    SummaryRequest request;
    request.from = QDate::fromString(o.from, Qt::ISODate);
    request.to = QDate::fromString(o.to, Qt::ISODate);
    request.auditedOnly = !o.allReports;
    const QStringList names = Texts::SummaryGroupNames();
    request.by1 = static_cast<SummaryBy>(names.indexOf(o.by.value(0)) + 1);
    request.by2 =
        o.by.size() > 1 ? static_cast<SummaryBy>(names.indexOf(o.by.value(1)) + 1) : SummaryBy::None;

    const QString props = QStringLiteral("UserID=%1;UserName=%2;").arg(userId).arg(userName);
    RecordsetPtr rs;
    try {
        rs = platform::MShopSummary(db).GetWorkProcRptSummary(props, request);
    } catch (const ComError& e) {
        // The service refuses a caller without the right, the database a role without it.
        if (e.Number() == ErrorNumber::Refused || e.NativeCode() == u"42501") {
            print(stderr, Texts::MayNotSummarise(userName, Rights::Summary));
            return NotAllowed;
        }
        throw;
    }
    GridModel grid;
    const int groups = SummaryTable::FillSummary(grid, rs, request.by1, request.by2);
    const GridSnapshot snapshot = SnapshotGrid(grid);

    QTemporaryDir temporary;
    const QString file = o.output.isEmpty() ? temporary.filePath(QStringLiteral("summary.csv")) : o.output;
    const QString failure =
        o.format == u"xlsx" ? WriteXlsx(snapshot, file, SummaryTexts::FileName()) : WriteCsv(snapshot, file);
    if (!failure.isEmpty()) {
        print(stderr, failure);
        return Failed;
    }
    if (o.output.isEmpty()) {
        QFile written(file);
        if (!written.open(QIODevice::ReadOnly))
            return Failed;
        const QByteArray bytes = written.readAll();
        fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        fflush(stdout);
    } else {
        print(stderr, Texts::SummaryWritten(QFileInfo(file).absoluteFilePath(), groups));
    }
    return Done;
}

}  // namespace sp::host
