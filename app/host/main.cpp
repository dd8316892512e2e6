// erp-host: the small host program of the process report workbench. It opens the
// database, logs the user in, loads the component library and calls ShowForm; it
// also creates, migrates and seeds databases and manages users.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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
#include "app/host/SignIn.h"
#include "app/host/SignInDialog.h"
#include "app/host/SummaryCommand.h"
#include "app/host/TaskCommands.h"
#include "app/host/Texts.h"
#include "app/host/TimingLog.h"
#include "app/host/WindowProbe.h"
#include "platform/Platform.h"
#include "platform/db/Migrations.h"
#include "platform/db/SqliteBackup.h"
#include "platform/db/TaskAdmin.h"
#include "platform/db/UserAdmin.h"
#include "platform/host/LoginSession.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/ComError.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/ErrorLog.h"
#include "src/common/Ui.h"
#include "src/entry/ComponentContext.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/Rights.h"

namespace {

using sp::host::HostOptions;
using enum sp::host::ExitCode;

// Whether --db names a PostgreSQL database; a malformed address is told when it is opened.
bool HostDatabaseIsPostgres(const QString& dbUrl) {
    try {
        return !dbUrl.isEmpty() &&
               sp::platform::DatabaseUrl::Parse(dbUrl).dialect == sp::platform::Dialect::PostgreSQL;
    } catch (const sp::ComError&) {
        return false;
    }
}

// When this program started, taken before main: the start's time counts from here, not from
// the start of a process this one replaced (./run builds first, then execs erp-host).
const QElapsedTimer kProgramStart = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
}();

// The screenshot run gives up after this long without a picture.
constexpr int ScreenshotTimeoutMs = 60000;

// Every line the host prints: a database password in it is masked.
void Print(FILE* to, const QString& text) {
    const QString shown = sp::platform::DatabaseUrl::Masked(text);
    std::fputs(shown.toLocal8Bit().constData(), to);
    if (!shown.endsWith(u'\n'))
        std::fputc('\n', to);
}

// The SQLite file db backup and db restore work on: --db, or the demo database. A
// PostgreSQL server has tools of its own for both, which know its state.
sp::platform::DatabaseUrl SqliteOf(const HostOptions& o, const QString& dataFolder) {
    const auto url = sp::platform::DatabaseUrl::Parse(
        o.dbUrl.isEmpty() ? sp::host::HostDatabase::DemoDatabaseFile(dataFolder) : o.dbUrl);
    if (url.dialect != sp::platform::Dialect::SQLite)
        throw sp::ComError(sp::ErrorNumber::Refused, QStringLiteral("erp-host"),
                           sp::host::Texts::UseServerTools(o.command == HostOptions::Command::DbRestore));
    return url;
}

// A restore writes over what open workbenches show and have not saved yet, so it waits
// until nobody holds a work bill, unless forced. The database is opened as the program
// does afterwards, which brings an older schema of the backup up to date.
int RestoreDatabase(const HostOptions& o, const sp::platform::DatabaseUrl& url) {
    using sp::platform::Database;
    using sp::platform::SchemaPolicy;
    QList<sp::platform::HeldTask> held;
    const int version = sp::platform::SqliteBackup::Restore(o.file, url.path, [&] {
        // Closed before the copy: this process keeps no connection of its own open meanwhile.
        const auto db = Database::Open(url, SchemaPolicy::Require);
        for (const sp::platform::HeldTask& t : sp::platform::TaskAdmin(db).List())
            if (t.alive)
                held << t;
        if (!held.isEmpty() && !o.force)
            throw sp::ComError(sp::ErrorNumber::Refused, QStringLiteral("erp-host"),
                               sp::host::Texts::HeldDuringRestore(held));
    });
    const auto db = Database::Open(url, SchemaPolicy::Require);
    if (!held.isEmpty())
        Print(stderr, sp::host::Texts::RestoredWhileHeld(held));
    Print(stdout, sp::host::Texts::Restored(url.ToString(), QFileInfo(o.file).absoluteFilePath(), version,
                                            sp::platform::Migrations::CurrentVersion(*db)));
    return Done;
}

// Managing users and releasing held work bills are an administrator's. On PostgreSQL the
// database says who is one (and refuses anyone else whatever this program does); a SQLite
// file has nobody signing in, its permissions guard it.
bool Administers(sp::platform::Database& db) {
    sp::platform::UserAdmin users(db.shared_from_this());
    if (users.MayAdminister())
        return true;
    Print(stderr, sp::host::Texts::NotAdministrator(users.SessionRole(), db.url().ToString()));
    return false;
}

// The user commands on the database of --db, signed in as its administrator.
int RunUserCommand(const HostOptions& o, const QString& dataFolder, sp::host::PasswordAsker* asker) {
    using Command = HostOptions::Command;
    const auto db = sp::host::HostDatabase::OpenForWork(o.dbUrl, dataFolder, asker);
    const bool postgres = db->dialect() == sp::platform::Dialect::PostgreSQL;
    sp::platform::UserAdmin users(db);
    // Told before any password is asked for.
    if (!postgres && (o.admin || o.command == Command::Passwd || o.command == Command::UserPassword ||
                      o.command == Command::UserDisable))
        throw sp::ComError(sp::ErrorNumber::Refused, QStringLiteral("erp-host"),
                           sp::host::Texts::PostgresOnly());
    if (o.command == Command::Passwd) {
        users.ChangeOwnPassword(sp::host::NewPassword(db->url().user, o.passwordStdin));
        Print(stdout, sp::host::Texts::PasswordChanged(db->url().user));
        return Done;
    }
    if (!Administers(*db))
        return NotAllowed;
    try {
        switch (o.command) {
            case Command::UserAdd: {
                // A role the server has already (a user of another database) keeps its password.
                const bool signsIn = postgres && users.RoleSignsIn(o.userName);
                const QString password =
                    postgres && !signsIn ? sp::host::NewPassword(o.userName, o.passwordStdin) : QString();
                users.Add(o.userName, o.rights, password);
                Print(stdout, sp::host::Texts::UserAdded(o.userName, o.rights, postgres, signsIn));
                return Done;
            }
            case Command::UserGrant:
            case Command::UserRevoke: {
                const bool grant = o.command == Command::UserGrant;
                if (o.admin)
                    users.SetAdmin(o.userName, grant);
                else if (grant)
                    users.Grant(o.userName, o.rights);
                else
                    users.Revoke(o.userName, o.rights);
                Print(stdout, sp::host::Texts::RightsChanged(o.userName, grant, o.admin, o.rights));
                return Done;
            }
            case Command::UserPassword:
                users.SetPassword(o.userName, sp::host::NewPassword(o.userName, o.passwordStdin));
                Print(stdout, sp::host::Texts::PasswordSet(o.userName));
                return Done;
            case Command::UserDisable:
                Print(stdout, sp::host::Texts::UserDisabled(o.userName, users.Disable(o.userName)));
                return Done;
            default:
                return Failed;
        }
    } catch (const sp::ComError& e) {
        if (e.Number() != sp::ErrorNumber::NotFound)
            throw;
        Print(stderr, sp::host::Texts::UnknownUser(o.userName));
        return UnknownUser;
    }
}

int RunAdminCommand(const HostOptions& o, const QString& dataFolder) {
    using Command = HostOptions::Command;
    using sp::host::HostDatabase;
    sp::host::TerminalAsker terminal;
    std::shared_ptr<sp::platform::Database> db;
    switch (o.command) {
        case Command::DbInit:
            db = HostDatabase::OpenForInit(o.dbUrl, dataFolder, o.force, &terminal);
            for (const QString& note : db->MigrationNotes()) Print(stderr, note);
            Print(stdout, sp::host::Texts::DatabaseReady(db->url().ToString()));
            return Done;
        case Command::DbSeedDemo:
            db = HostDatabase::OpenForInit(o.dbUrl, dataFolder, false, &terminal);
            HostDatabase::SeedDemo(*db);
            Print(stdout, sp::host::Texts::DemoDataIn(db->url().ToString()));
            return Done;
        case Command::DbSeedBench:
            db = HostDatabase::OpenForInit(o.dbUrl, dataFolder, false, &terminal);
            sp::platform::SeedBench(*db, o.workBills, o.reports, o.longHistory);
            Print(stdout, sp::host::Texts::BenchmarkDataIn(db->url().ToString()));
            return Done;
        case Command::DbBackup: {
            const sp::platform::DatabaseUrl url = SqliteOf(o, dataFolder);
            sp::platform::SqliteBackup::Backup(url.path, o.file);
            Print(stdout, sp::host::Texts::BackedUp(url.ToString(), QFileInfo(o.file).absoluteFilePath()));
            return Done;
        }
        case Command::DbRestore:
            return RestoreDatabase(o, SqliteOf(o, dataFolder));
        case Command::UserAdd:
        case Command::UserGrant:
        case Command::UserRevoke:
        case Command::UserPassword:
        case Command::UserDisable:
        case Command::Passwd:
            return RunUserCommand(o, dataFolder, &terminal);
        case Command::TaskList:
            db = HostDatabase::OpenForWork(o.dbUrl, dataFolder, &terminal);
            return sp::host::TaskCommands(db, Print).List();
        case Command::TaskRelease:
            db = HostDatabase::OpenForWork(o.dbUrl, dataFolder, &terminal);
            if (!Administers(*db))
                return NotAllowed;
            return sp::host::TaskCommands(db, Print).Release(o);
        case Command::ReportSummary:
            db = HostDatabase::OpenForWork(o.dbUrl, dataFolder, &terminal);
            return sp::host::RunReportSummary(o, db, Print);
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
        if (rightMask == sp::Rights::Open)
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
    // Tests that drive the window from outside read where everything is from this file; the
    // sign-in window may be the first.
    sp::host::WindowProbe::StartFromEnvironment(qApp);
    // A timing driver reads from this file when each input reached the program and when
    // the screen showed its result.
    sp::host::TimingLog::StartFromEnvironment(qApp);
    // An unattended picture cannot wait for a clerk at the sign-in window.
    sp::host::DialogAsker dialog;
    sp::host::TerminalAsker terminal;
    sp::host::PasswordAsker* asker =
        o.screenshot.isEmpty() ? static_cast<sp::host::PasswordAsker*>(&dialog) : &terminal;
    std::shared_ptr<sp::platform::Database> db =
        sp::host::HostDatabase::OpenForWork(o.dbUrl, dataFolder, asker);

    // On PostgreSQL the user is whom the server signed in, never a name typed.
    qint32 userId = 0;
    QString userName = o.user;
    try {
        if (db->dialect() == sp::platform::Dialect::PostgreSQL) {
            const sp::platform::UserAdmin::Identity who = sp::platform::UserAdmin(db).SessionUser();
            userId = who.userId;
            userName = who.name;
        } else {
            userId = sp::platform::LoginSession::FindUserId(*db, o.user);
        }
    } catch (const sp::ComError& e) {
        if (e.Number() != sp::ErrorNumber::NotFound)
            throw;
        Print(stderr, db->dialect() == sp::platform::Dialect::PostgreSQL
                          ? e.Description()
                          : sp::host::Texts::UnknownUser(o.user));
        return UnknownUser;
    }

    sp::host::ComponentLoader loader(QStringLiteral("shopproc"));
    loader.Load();

    // Destroyed in reverse: the component before the platform, the screen and the database.
    sp::ComponentRegistry registry;
    std::unique_ptr<sp::Ui> ui(loader.createUi());
    if (!ui)
        throw sp::ComError(sp::ErrorNumber::Refused, QStringLiteral("erp-host"),
                           sp::host::Texts::ComponentGaveNoScreen());
    sp::platform::InstallLocalSwitchFile(dataFolder);
    sp::platform::RegisterPlatform(registry,
                                   {db, userId, userName, QStringLiteral("chs"), dataFolder, ui.get()});
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

    std::unique_ptr<sp::host::ScreenshotDriver> driver;
    if (!o.screenshot.isEmpty()) {
        driver = std::make_unique<sp::host::ScreenshotDriver>(QFileInfo(o.screenshot).absoluteFilePath(),
                                                              ScreenshotTimeoutMs, kProgramStart);
        qApp->installEventFilter(driver.get());
    }

    {
        std::unique_ptr<sp::IShopProcComponent> component(loader.create(&context));
        if (!component)
            throw sp::ComError(sp::ErrorNumber::Refused, QStringLiteral("erp-host"),
                               sp::host::Texts::ComponentNotCreated(dataFolder));
        component->ShowForm(userId, 0, 0);
    }
    if (*refused) {
        Print(stderr, sp::host::Texts::MayNotOpen(userName, sp::Rights::Open));
        return NotAllowed;
    }

    if (driver) {
        qApp->removeEventFilter(driver.get());
        if (!driver->Saved()) {
            Print(stderr, driver->TimedOut() ? sp::host::Texts::ScreenshotTimedOut()
                                             : sp::host::Texts::WorkbenchNotShown());
            return Failed;
        }
        Print(stdout, sp::host::Texts::ScreenshotWritten(QFileInfo(o.screenshot).absoluteFilePath()));
    }
    return Done;
}

}  // namespace

int main(int argc, char** argv) {
    // Qt's own warnings may quote a connection's address: masked like every other line.
    static QtMessageHandler qtHandler = nullptr;
    qtHandler =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (qtHandler)
                qtHandler(type, context, sp::platform::DatabaseUrl::Masked(text));
        });
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
    if (options.userGiven && HostDatabaseIsPostgres(options.dbUrl)) {
        Print(stderr, sp::host::Texts::UserOptionOnPostgres());
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
    const bool logged = !dataFolder.isEmpty();

    try {
        if (options.NeedsScreen())
            sp::host::InstallQtTranslations();
        return options.NeedsScreen() ? RunWorkbench(options, dataFolder)
                                     : RunAdminCommand(options, dataFolder);
    } catch (const sp::ComError& e) {
        if (logged)
            sp::ErrorLog::Write(e);
        Print(stderr, e.Description());
        return Failed;
    } catch (const std::exception& e) {
        if (logged)
            sp::ErrorLog::Write(QStringLiteral("erp-host"), QString::fromLocal8Bit(e.what()));
        Print(stderr, QString::fromLocal8Bit(e.what()));
        return Failed;
    }
}
