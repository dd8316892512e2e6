// erp-host: the small host program of the process report workbench. It opens the
// database, logs the user in, loads the component library and calls ShowForm; it
// also creates, migrates and seeds databases and manages users.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <memory>

#include "app/host/AppLogFile.h"
#include "app/host/ComponentLoader.h"
#include "app/host/HostDatabase.h"
#include "app/host/HostOptions.h"
#include "app/host/InstallLayout.h"
#include "app/host/QtTranslations.h"
#include "app/host/ScreenshotDriver.h"
#include "app/host/TaskCommands.h"
#include "app/host/Texts.h"
#include "app/host/WindowProbe.h"
#include "platform/Platform.h"
#include "platform/db/DemoData.h"
#include "platform/host/LoginSession.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/ComError.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/ErrorLog.h"
#include "src/common/Ui.h"
#include "src/entry/ComponentContext.h"
#include "src/entry/HostInterfaces.h"

namespace {

using sp::host::HostOptions;
using enum sp::host::ExitCode;

// The screenshot run gives up after this long without a picture.
constexpr int ScreenshotTimeoutMs = 60000;

// Every line the host prints: a database password in it is masked.
void Print(FILE* to, const QString& text) {
    const QString shown = sp::platform::DatabaseUrl::Masked(text);
    std::fputs(shown.toLocal8Bit().constData(), to);
    if (!shown.endsWith(u'\n'))
        std::fputc('\n', to);
}

int RunAdminCommand(const HostOptions& o, const QString& dataFolder) {
    using Command = HostOptions::Command;
    using sp::host::HostDatabase;
    std::shared_ptr<sp::platform::Database> db;
    switch (o.command) {
        case Command::DbInit:
            db = HostDatabase::OpenForInit(o.dbUrl, dataFolder, o.force);
            Print(stdout, QStringLiteral("Database ready: %1").arg(db->url().ToString()));
            return Done;
        case Command::DbSeedDemo:
            db = HostDatabase::OpenForInit(o.dbUrl, dataFolder);
            HostDatabase::SeedDemo(*db);
            Print(stdout, QStringLiteral("Demo data in %1").arg(db->url().ToString()));
            return Done;
        case Command::DbSeedBench:
            db = HostDatabase::OpenForInit(o.dbUrl, dataFolder);
            sp::platform::SeedBench(*db, o.workBills, o.reports, o.longHistory);
            Print(stdout, QStringLiteral("Benchmark data in %1").arg(db->url().ToString()));
            return Done;
        case Command::UserAdd:
            db = HostDatabase::OpenForWork(o.dbUrl, dataFolder);
            sp::platform::AddUser(*db, o.userName, o.rights);
            Print(stdout,
                  QStringLiteral("User %1 added with rights 0x%2.").arg(o.userName).arg(o.rights, 0, 16));
            return Done;
        case Command::UserGrant:
            db = HostDatabase::OpenForWork(o.dbUrl, dataFolder);
            if (db->Scalar(QStringLiteral("SELECT FUserID FROM t_User WHERE FName = ?"), {o.userName})
                    .isNull()) {
                Print(stderr, sp::host::Texts::UnknownUser(o.userName));
                return UnknownUser;
            }
            sp::platform::GrantRights(*db, o.userName, o.rights);
            Print(stdout, QStringLiteral("User %1 granted 0x%2.").arg(o.userName).arg(o.rights, 0, 16));
            return Done;
        case Command::TaskList:
            db = HostDatabase::OpenForWork(o.dbUrl, dataFolder);
            return sp::host::TaskCommands(db, Print).List();
        case Command::TaskRelease:
            db = HostDatabase::OpenForWork(o.dbUrl, dataFolder);
            return sp::host::TaskCommands(db, Print).Release(o);
        default:
            return Failed;
    }
}

// The platform's access check, watched for the workbench's own right: without it the
// component shows its refusal and returns from ShowForm as it does when the clerk is
// done, so the host learns of the refusal here.
class WatchedAccess : public sp::IGLData {
  public:
    WatchedAccess(std::shared_ptr<sp::IGLData> inner, std::shared_ptr<bool> refused)
        : inner_(std::move(inner)), refused_(std::move(refused)) {}

    bool AccessCheck(qint32 subsystem, qint16 function, qint32 rightMask) override {
        const bool granted = inner_->AccessCheck(subsystem, function, rightMask);
        if (static_cast<quint32>(rightMask) == sp::platform::Rights::Open)
            *refused_ = !granted;
        return granted;
    }
    void WriteLog(const QString& functionCode, qint16 action) override {
        inner_->WriteLog(functionCode, action);
    }
    sp::BaseItemPtr GetItem(qint32 itemClass, const QVariant& optional, const QString& number) override {
        return inner_->GetItem(itemClass, optional, number);
    }

  private:
    std::shared_ptr<sp::IGLData> inner_;
    std::shared_ptr<bool> refused_;
};

int RunWorkbench(const HostOptions& o, const QString& dataFolder) {
    std::shared_ptr<sp::platform::Database> db = sp::host::HostDatabase::OpenForWork(o.dbUrl, dataFolder);

    qint32 userId = 0;
    try {
        userId = sp::platform::LoginSession::FindUserId(*db, o.user);
    } catch (const sp::ComError& e) {
        if (e.Number() != sp::ErrorNumber::NotFound)
            throw;
        Print(stderr, sp::host::Texts::UnknownUser(o.user));
        return UnknownUser;
    }

    sp::host::ComponentLoader loader(QStringLiteral("shopproc"));
    loader.Load();

    // Destroyed in reverse: the component before the platform, the screen and the database.
    sp::ComponentRegistry registry;
    std::unique_ptr<sp::Ui> ui(loader.createUi());
    if (!ui)
        throw sp::ComError(sp::ErrorNumber::Refused, QStringLiteral("erp-host"),
                           QStringLiteral("The component gave no screen."));
    sp::platform::InstallLocalSwitchFile(dataFolder);
    sp::platform::RegisterPlatform(registry,
                                   {db, userId, o.user, QStringLiteral("chs"), dataFolder, ui.get()});
    auto refused = std::make_shared<bool>(false);
    {
        std::shared_ptr<sp::IGLData> access = registry.Create<sp::IGLData>(sp::ProgId::GLData());
        registry.Register<sp::IGLData>(sp::ProgId::GLData(), [access, refused] {
            return std::make_shared<WatchedAccess>(access, refused);
        });
    }

    sp::ComponentContext context;
    context.registry = &registry;
    context.ui = ui.get();
    context.programFolder = dataFolder;
    // The component opens its guide from its folder; an installed program keeps the
    // guide under share/, apart from the library.
    context.componentFolder = sp::host::InstallLayout::OfThisProgram().guideFolder;
    context.processId = QCoreApplication::applicationPid();

    // Tests that drive the window from outside read where everything is from this file.
    sp::host::WindowProbe::StartFromEnvironment(qApp);
    std::unique_ptr<sp::host::ScreenshotDriver> driver;
    if (!o.screenshot.isEmpty()) {
        driver = std::make_unique<sp::host::ScreenshotDriver>(QFileInfo(o.screenshot).absoluteFilePath(),
                                                              ScreenshotTimeoutMs);
        qApp->installEventFilter(driver.get());
    }

    {
        std::unique_ptr<sp::IShopProcComponent> component(loader.create(&context));
        if (!component)
            throw sp::ComError(
                sp::ErrorNumber::Refused, QStringLiteral("erp-host"),
                QStringLiteral("The component could not be created; see the log in %1.").arg(dataFolder));
        component->ShowForm(userId, 0, 0);
    }
    if (*refused) {
        Print(stderr, QStringLiteral("The user %1 may not open the workbench (right 0x%2).")
                          .arg(o.user)
                          .arg(sp::platform::Rights::Open, 0, 16));
        return NotAllowed;
    }

    if (driver) {
        qApp->removeEventFilter(driver.get());
        if (!driver->Saved()) {
            Print(stderr,
                  driver->TimedOut()
                      ? QStringLiteral("The workbench did not come up in time; no screenshot was written.")
                      : QStringLiteral("The workbench was not shown; no screenshot was written."));
            return Failed;
        }
        Print(stdout,
              QStringLiteral("Screenshot written to %1").arg(QFileInfo(o.screenshot).absoluteFilePath()));
    }
    return Done;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const HostOptions options = HostOptions::Parse(args);
    if (options.command == HostOptions::Command::Help) {
        Print(stdout, sp::host::Texts::Usage());
        return Done;
    }
    if (!options.error.isEmpty()) {
        Print(stderr, options.error);
        Print(stderr, QStringLiteral("erp-host --help shows the commands."));
        return BadCommandLine;
    }

    // Only the workbench needs a screen; the admin commands run anywhere. A screenshot
    // needs no display at all: it is drawn offscreen when there is none.
    const bool haveDisplay = qEnvironmentVariableIsSet("DISPLAY") ||
                             qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                             qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    if (options.NeedsScreen() && !haveDisplay) {
        if (options.screenshot.isEmpty()) {
            Print(stderr, sp::host::Texts::NoDisplay());
            return Failed;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::unique_ptr<QCoreApplication> app;
    if (options.NeedsScreen())
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ShopProc"));
    QCoreApplication::setApplicationName(QStringLiteral("erp-host"));

    // The data folder holds the demo database, the workbench's settings files and the
    // log. Without it a command given its database still runs; the problem is told once.
    QString dataFolder;
    try {
        dataFolder = sp::host::HostDatabase::DataFolder();
        sp::host::AppLogFile::Install(QDir(dataFolder).filePath(QStringLiteral("erp-host.log")));
    } catch (const sp::ComError& e) {
        if (options.NeedsScreen() || options.dbUrl.isEmpty()) {
            Print(stderr, e.Description());
            return Failed;
        }
        Print(stderr, e.Description() + QStringLiteral(" The application log goes to stderr."));
    }
    // Without the log file the log's lines reach stderr by themselves.
    const auto log = [&](const QString& source, const QString& text) {
        if (!dataFolder.isEmpty())
            sp::ErrorLog::Write(source, text);
    };

    try {
        if (options.NeedsScreen())
            sp::host::InstallQtTranslations();
        return options.NeedsScreen() ? RunWorkbench(options, dataFolder)
                                     : RunAdminCommand(options, dataFolder);
    } catch (const sp::ComError& e) {
        log(e.Source(), QStringLiteral("%1: %2").arg(e.Number()).arg(e.Description()));
        Print(stderr, e.Description());
        return Failed;
    } catch (const std::exception& e) {
        log(QStringLiteral("erp-host"), QString::fromLocal8Bit(e.what()));
        Print(stderr, QString::fromLocal8Bit(e.what()));
        return Failed;
    }
}
