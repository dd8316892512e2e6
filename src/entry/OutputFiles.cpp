#include "src/entry/OutputFiles.h"

#include <QDir>
#include <QFileInfo>

#include "src/common/ComponentRegistry.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/common/Ui.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/HostServices.h"
#include "src/entry/Texts.h"

namespace sp {

std::shared_ptr<ISettingsFile> WorkbenchSettingsFile(HostServices& host) {
    std::shared_ptr<ISettingsFile> settings;
    IgnoreErrors([&] {
        settings = host.Registry().Create<ISettingsFile>(ProgId::SettingsFile());
        settings->SetFile(host.InProgramFolder(EntryTexts::SettingsFileName()));
    });
    return settings;
}

QString OutputFiles::Folder() {
    QString folder;
    // Without a settings object an export still works; it starts in the home folder.
    if (auto settings = WorkbenchSettingsFile(host_))
        IgnoreErrors([&] {
            folder = settings->Read(EntryTexts::ExportSection(), EntryTexts::ExportFolderKey(), QString());
        });
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

bool OutputFiles::Write(const QString& path, const QString& source, const QString& written,
                        const std::function<QString()>& write) {
    Ui& ui = host_.Screen();
    QString failure;
    {
        WaitCursor wait(ui);
        failure = write();
    }
    if (!failure.isEmpty()) {
        ErrorLog::Write(source, path + QStringLiteral(": ") + failure);
        ShowInfo(ui, EntryTexts::WriteFailed() + failure);
        return false;
    }
    if (auto settings = WorkbenchSettingsFile(host_))
        IgnoreErrors([&] {
            settings->Write(EntryTexts::ExportSection(), EntryTexts::ExportFolderKey(),
                            QFileInfo(path).absolutePath());
        });
    ShowInfo(ui, written);
    return true;
}

}  // namespace sp
