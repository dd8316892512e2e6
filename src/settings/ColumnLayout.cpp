#include "src/settings/ColumnLayout.h"

#include <QtNumeric>

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/Ui.h"
#include "src/entry/HostServices.h"
#include "src/settings/Texts.h"

namespace sp::ColumnLayout {
namespace {

constexpr double kWidestColumn = 30000;  // twips; wider is no width a clerk dragged

// The clerk sees the grid go back to the stored layout, and is told why.
void Tell(HostServices& host, const ComError& e) {
    ErrorLog::Write(e);
    IgnoreErrors([&] { ShowInfo(host.Screen(), SettingsTexts::LayoutNotStored() + e.Description()); });
}

}  // namespace

QString WorkBillType() { return QStringLiteral("WorkBill"); }
QString ReportType() { return QStringLiteral("ProcRpt"); }

double StoredWidth(const QVariant& stored) {
    bool ok = false;
    const double width = stored.isNull() ? 0 : stored.toDouble(&ok);
    return ok && qIsFinite(width) && width >= 0 && width <= kWidestColumn ? width : 0;
}

bool StoredShown(const QVariant& stored) { return stored.isNull() || Basic::Dbl(stored) != 0; }

QString RestoreStatement(const QString& type, qint32 userId) {
    return QStringLiteral("Delete From SHRptDef Where Ftype='") + Basic::SqlQuote(type) +
           QStringLiteral("' And FuserID=") + QString::number(userId);
}

QString OrderStatement(const QString& type, qint32 userId, const Position& position) {
    return QStringLiteral("Update SHRptDef Set Forder=") + QString::number(position.order) +
           QStringLiteral(",Fshow=") + (position.shown ? QStringLiteral("1") : QStringLiteral("0")) +
           QStringLiteral(" Where Ftype='") + Basic::SqlQuote(type) + QStringLiteral("' And FuserID=") +
           QString::number(userId) + QStringLiteral(" And Ffield='") + Basic::SqlQuote(position.field) +
           QStringLiteral("'");
}

bool Restore(HostServices& host, const QString& type, qint32 userId) {
    try {
        host.NewConnection()->Execute(RestoreStatement(type, userId));
        return true;
    } catch (const ComError& e) {
        Tell(host, e);
        return false;
    }
}

bool StoreOrder(HostServices& host, const QString& type, qint32 userId, const QVector<Position>& columns) {
    std::shared_ptr<IAppConnection> connection;
    try {
        connection = host.NewConnection();
        connection->BeginTrans();
    } catch (const ComError& e) {
        Tell(host, e);
        return false;
    }
    try {
        for (const Position& p : columns) connection->Execute(OrderStatement(type, userId, p));
        connection->CommitTrans();
        return true;
    } catch (const ComError& e) {
        Tell(host, e);
        IgnoreErrors([&] { connection->RollbackTrans(); });
        return false;
    }
}

}  // namespace sp::ColumnLayout
