#include "src/filters/FilterListLookup.h"

#include <QFileInfo>

#include "src/common/ComponentRegistry.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/Ui.h"
#include "src/entry/HostServices.h"
#include "src/filters/Texts.h"
#include "src/navigation/frmList.h"

namespace sp {

FilterListLookup::FilterListLookup(HostServices& host) : host_(host) {}

QString FilterListLookup::LocalCnnString(const QString& givenPath) {
    QString path = givenPath;
    if (path.isEmpty()) {
        const QStringList candidates{host_.InProgramFolder(FilterTexts::LocalFileName()),
                                     host_.InProgramFolder(FilterTexts::LocalFileSubFolder() +
                                                           QLatin1Char('/') + FilterTexts::LocalFileName())};
        QString folder;  // a folder standing where a list file is looked for
        for (const QString& candidate : candidates) {
            const QFileInfo info(candidate);
            if (info.isFile()) {
                path = candidate;
                break;
            }
            if (info.isDir() && folder.isEmpty())
                folder = candidate;
        }
        if (path.isEmpty()) {
            // No file at all ends the lookup quietly; a folder in the file's place would
            // leave the clerk pressing a button that does nothing.
            if (!folder.isEmpty())
                ShowPlain(host_.Screen(), FilterTexts::LocalFileIsFolder(folder));
            return {};
        }
    }

    // The host opens the file (never creating one) and names the connection.
    const QString connection = ValueOrEmpty<QString>(
        [&] { return host_.Registry().Create<ILocalDatabase>(ProgId::LocalDatabase())->Connect(path); });
    if (connection.isEmpty())
        ShowPlain(host_.Screen(), FilterTexts::LocalConnectionFailed(path));
    return connection;
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
