#include "filters/FilterListLookup.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "common/IgnoreErrors.h"
#include "common/Ui.h"
#include "entry/HostServices.h"
#include "filters/Texts.h"
#include "navigation/frmList.h"

namespace sp {

namespace {

// Opens the file with the SQLite driver and reads its catalogue: a file that is not a
// database opens fine but fails here.
bool CanOpenLocalDatabase(const QString& path) {
    static QAtomicInteger<int> counter;
    const QString name = QStringLiteral("ErpSwitch-%1").arg(counter.fetchAndAddRelaxed(1));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next();
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

}  // namespace

FilterListLookup::FilterListLookup(HostServices& host) : host_(host) {}

QString FilterListLookup::BaseFolder(const QString& programFolder) {
    if (programFolder.isEmpty() || programFolder.endsWith(QLatin1Char('/')) ||
        programFolder.endsWith(QLatin1Char('\\')))
        return programFolder;
    return programFolder + QLatin1Char('/');
}

QString FilterListLookup::LocalCnnString(const QString& givenPath) {
    QString path = givenPath;
    if (path.isEmpty()) {
        const QString base = BaseFolder(host_.Context().programFolder);
        const QStringList candidates{
            base + FilterTexts::LocalFileName(),
            base + FilterTexts::LocalFileSubFolder() + QLatin1Char('/') + FilterTexts::LocalFileName()};
        for (const QString& candidate : candidates) {
            if (QFileInfo(candidate).isFile()) {
                path = candidate;
                break;
            }
        }
        if (path.isEmpty())
            return {};
    }

    const QFileInfo info(path);
    bool ok = info.isFile();
    // The list control writes its own settings into the file, so a file marked
    // read-only (as copied from a CD or an archive) is made writable.
    if (ok && !(QFile::permissions(path) & QFileDevice::WriteOwner))
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    // Never let the driver create a file that is not there.
    ok = ok && CanOpenLocalDatabase(path);
    if (!ok) {
        ShowPlain(host_.Screen(), FilterTexts::LocalConnectionFailed(path));
        return {};
    }
    return QStringLiteral("Provider=SQLite;Data Source=") + path + QLatin1Char(';');
}

ListSelRowsPtr FilterListLookup::ShowICList(qint32 listId, const QString& condition) {
    const QString baseInfo = frmList::BaseInfoOf(ValueOrEmpty<QString>([&] { return host_.PropsString(); }));
    const QString localCnn = LocalCnnString();
    if (localCnn.isEmpty())
        return nullptr;

    frmList form(host_);
    form.SetBaseInfo(baseInfo);
    form.SetListID(listId);
    form.SetListShowStatus(2);
    form.SetLocalCnn(localCnn);
    form.SetMultiSelect(false);
    form.SetFilter(condition);
    form.InitData();
    form.ShowModal();
    if (!form.OK())
        return nullptr;
    ListSelRowsPtr picked = form.Selected();
    if (!picked || picked->Count() < 1)
        return nullptr;
    return picked;
}

}  // namespace sp
