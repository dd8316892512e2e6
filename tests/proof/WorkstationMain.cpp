// One workstation of the proof tests: the real workbench (its real parts, the platform's
// stand-ins, the middle tier) over a shared database, driven headlessly as a clerk drives it.
//
//   sp_workstation run  --db URL --user NAME --bills A,B,... --seconds S --seed N --log FILE
//       enters, saves, audits, unaudits and deletes reports on the work bills at random for
//       S seconds; FILE gets one line per task taken or given back and per report saved or
//       deleted (with its serial and memo), and the counts at the end
//   sp_workstation hold --db URL --user NAME --new A --edit B
//       types a new report of A in one workbench and, in a second one, opens B in edit
//       mode (a stored report of B, its memo changed); says "held" and waits for a line,
//       then saves both and says what each save did
//   sp_workstation take --db URL --user NAME --new A --edit B --within S
//       says "ready", waits for a line, then tries for S seconds to type a new report of A
//       and save it, and to open B in edit mode and save a changed memo; says when it got
//       each (CLOCK_REALTIME, microseconds) or that it stayed busy
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMap>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/host/LoginSession.h"
#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "tests/proof/Station.h"
#include "tests/support/ChildProcess.h"

using namespace sp;
using namespace Qt::StringLiterals;
using C = ReportCode;
using sp::test::HeadlessStation;
using sp::test::NowMicros;

namespace {

[[noreturn]] void Die(const QString& text) {
    std::fprintf(stderr, "sp_workstation: %s\n", qPrintable(text));
    std::exit(2);
}

void Say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// A clerk who answers Yes to every question (each one asks to discard unsaved rows or to
// delete) and OK to every message; the last message is kept.
class Clerk final : public Ui {
  public:
    MsgAnswer MessageBox(const MessageRequest& request) override {
        last = request.text;
        last.replace(u'\r', u' ').replace(u'\n', u' ');
        return request.buttons == MsgButtons::YesNo ? MsgAnswer::Yes : request.defaultButton;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override { return {}; }
    void SetWaitCursor(bool) override {}
    void ShowModal(DialogModel&) override {}
    void ProcessEvents() override {}
    bool ShowHelp(const QString&) override { return false; }
    QString last;
};

// The login object as the host hands it out, writing when this process took a work bill's
// task (after the take) and gave it back (before the release): the logged interval lies
// inside the real one. A process may take a task it holds again; only the first take and
// the last release count.
class TaskLog final : public ILoginObject {
  public:
    TaskLog(std::shared_ptr<ILoginObject> inner, FILE* log) : inner_(std::move(inner)), log_(log) {}
    ~TaskLog() override {
        for (auto it = held_.cbegin(); it != held_.cend(); ++it) Write("give", it.key());
    }
    qint32 taskexec(qint32& subsystemId, QString& functionId, const QString& computerName, qint16 mode,
                    qint16& arg1, qint16& arg2, const QVariant* extra) override {
        const qint32 id = inner_->taskexec(subsystemId, functionId, computerName, mode, arg1, arg2, extra);
        if (id >= 1) {
            const QString key = extra ? Basic::Text(*extra) : QString();
            keys_.insert(id, key);
            if (held_[key]++ == 0)
                Write("take", key);
        }
        return id;
    }
    bool CommitTask(qint32 taskId) override {
        const QString key = keys_.value(taskId);
        const bool known = keys_.contains(taskId);
        if (known && held_.value(key) == 1)
            Write("give", key);
        const bool committed = inner_->CommitTask(taskId);
        if (committed && known) {
            keys_.remove(taskId);
            if (--held_[key] == 0)
                held_.remove(key);
        }
        return committed;
    }
    bool TaskStillHeld(qint32 taskId) override { return inner_->TaskStillHeld(taskId); }
    bool TaskReleased(qint32 taskId) override { return inner_->TaskReleased(taskId); }
    bool RetakeTask(qint32 taskId) override {
        const bool held = inner_->RetakeTask(taskId);
        if (held)
            Write("retake", keys_.value(taskId));
        return held;
    }

  private:
    void Write(const char* what, const QString& key) {
        if (log_)
            std::fprintf(log_, "%s %s %lld\n", what, qPrintable(key), static_cast<long long>(NowMicros()));
    }
    std::shared_ptr<ILoginObject> inner_;
    FILE* log_;
    QMap<qint32, QString> keys_;
    QMap<QString, int> held_;
};

class LoggedProps final : public IShareProps {
  public:
    LoggedProps(std::shared_ptr<IShareProps> inner, std::shared_ptr<ILoginObject> login)
        : inner_(std::move(inner)), login_(std::move(login)) {}
    HostProperty GetProperty(const QString& name, qint64 processId) override {
        HostProperty property = inner_->GetProperty(name, processId);
        if (property.object)
            property.object = login_;
        return property;
    }

  private:
    std::shared_ptr<IShareProps> inner_;
    std::shared_ptr<ILoginObject> login_;
};

// The workbench as erp-host starts it, headless, its function tasks logged to log.
struct Station : HeadlessStation<Clerk> {
    Station(const std::shared_ptr<platform::Database>& db, const QString& user, FILE* log)
        : HeadlessStation<Clerk>(
              db, platform::LoginSession::FindUserId(*db, user), user, [log](ComponentRegistry& r) {
                  auto props = r.Create<IShareProps>(ProgId::ShareProps());
                  auto login = std::make_shared<TaskLog>(
                      props->GetProperty(u"VLLogin"_s, QCoreApplication::applicationPid()).object, log);
                  r.Register<IShareProps>(ProgId::ShareProps(), [props, login] {
                      return std::make_shared<LoggedProps>(props, login);
                  });
              }) {}
    void Type(int row, C code, const QString& text) {
        if (!TypeText(row, code, text))
            Die(u"cell %1 of row %2 does not open"_s.arg(ReportCodeName(code)).arg(row));
    }
};

QString Option(const QStringList& args, const char* name) {
    const qsizetype at = args.indexOf(QLatin1String(name));
    return at > 0 ? args.value(at + 1) : QString();
}

qint32 InterId(platform::Database& db, const QString& bill) {
    const qint32 id =
        Basic::Long(db.Scalar(u"SELECT FWBInterID FROM SHWorkBillEntry WHERE FWorkBillNO = ?"_s, {bill}));
    if (id == 0)
        Die(u"no work bill "_s + bill);
    return id;
}

int Run(const std::shared_ptr<platform::Database>& db, const QStringList& args) {
    FILE* log = std::fopen(qPrintable(Option(args, "--log")), "w");
    if (!log)
        Die(u"cannot write the log"_s);
    const QStringList bills = Option(args, "--bills").split(u',');
    QMap<QString, qint32> ids;
    for (const QString& bill : bills) ids.insert(bill, InterId(*db, bill));
    const QString seed = Option(args, "--seed");
    QRandomGenerator random(seed.toUInt());
    const auto pick = [&](int n) { return static_cast<int>(random.bounded(n)); };
    int made = 0, saved = 0, audited = 0, unaudited = 0, deleted = 0, busy = 0, refused = 0;
    {
        Station s(db, Option(args, "--user"), log);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < Option(args, "--seconds").toLongLong() * 1000) {
            if (pick(100) < 40) {
                // New reports: one to three rows on work bills at random, then save.
                s.form->Dispatch(Tool::ModeNew());
                s.form->Dispatch(Tool::Refresh());
                QMap<int, QString> rows;
                for (int i = pick(3); i >= 0; --i) {
                    const int row = s.First() + static_cast<int>(rows.size());
                    const QString memo = u"w%1-%2"_s.arg(seed).arg(++made);
                    if (s.NewRow(row, bills.at(pick(static_cast<int>(bills.size()))), memo))
                        rows.insert(row, memo);
                    else
                        ++busy;
                }
                if (rows.isEmpty())
                    continue;
                if (!s.Save()) {
                    ++refused;
                    std::fprintf(stderr, "save refused: %s\n", qPrintable(s.ui.last));
                    continue;
                }
                for (auto it = rows.cbegin(); it != rows.cend(); ++it, ++saved)
                    std::fprintf(log, "save %d %s %s\n", ids.value(s.Cell(it.key(), C::GPH)),
                                 qPrintable(s.Cell(it.key(), C::HBXH)), qPrintable(it.value()));
                continue;
            }
            // Edit mode on a work bill: audit, unaudit or delete one to three rows.
            const qint32 id = ids.value(bills.at(pick(static_cast<int>(bills.size()))));
            if (!s.Open(id)) {
                ++busy;
                continue;
            }
            const int first = s.First(), rows = s.grid().Rows() - first + 1;
            if (rows <= 0)
                continue;
            const int from = first + pick(rows), to = std::min(from + pick(3), first + rows - 1);
            QMap<QString, QString> before;  // serial -> memo
            int auditedBefore = 0;
            for (int r = first; r < first + rows; ++r) {
                before.insert(s.Cell(r, C::HBXH), s.Cell(r, C::MEMO));
                auditedBefore += s.Cell(r, C::SHBZ).isEmpty() ? 0 : 1;
            }
            if (from == to)
                s.grid().SetCurrentCell(from, s.Col(C::HBXH));
            else
                s.grid().SelectRows(from, to, s.Col(C::HBXH));
            const int kind = pick(100);
            s.form->Dispatch(kind < 45 ? Tool::Audit() : kind < 70 ? Tool::UnAudit() : Tool::EditDel());
            int auditedAfter = 0;
            for (int r = first; r <= s.grid().Rows(); ++r) {
                before.remove(s.Cell(r, C::HBXH));
                auditedAfter += s.Cell(r, C::SHBZ).isEmpty() ? 0 : 1;
            }
            for (auto it = before.cbegin(); it != before.cend(); ++it, ++deleted)
                std::fprintf(log, "del %d %s %s\n", id, qPrintable(it.key()), qPrintable(it.value()));
            (kind < 45 ? audited : unaudited) += std::abs(auditedAfter - auditedBefore);
        }
    }
    std::fprintf(log, "ops saved=%d audited=%d unaudited=%d deleted=%d busy=%d refused=%d\n", saved, audited,
                 unaudited, deleted, busy, refused);
    std::fclose(log);
    return 0;
}

void WaitForLine() {
    std::string line;
    std::getline(std::cin, line);
}

int Hold(const std::shared_ptr<platform::Database>& db, const QStringList& args) {
    const QString user = Option(args, "--user"), a = Option(args, "--new"), b = Option(args, "--edit");
    Station news(db, user, nullptr), edits(db, user, nullptr);
    if (!edits.NewRow(edits.First(), b, u"stored"_s) || !edits.Save() || !edits.Open(InterId(*db, b)))
        Die(u"cannot store and open a report of "_s + b + u": "_s + edits.ui.last);
    edits.Type(edits.First(), C::MEMO, u"holder-edit"_s);
    if (!news.NewRow(news.First(), a, u"holder-new"_s))
        Die(u"cannot take "_s + a + u": "_s + news.ui.last);
    Say(u"held"_s);
    WaitForLine();
    for (auto [name, station] : {std::pair{"new", &news}, {"edit", &edits}})
        Say(QLatin1String(name) + (station->Save() ? u" saved"_s : u" refused: "_s + station->ui.last));
    return 0;
}

int Take(const std::shared_ptr<platform::Database>& db, const QStringList& args) {
    const QString a = Option(args, "--new");
    const qint32 b = InterId(*db, Option(args, "--edit"));
    Station s(db, Option(args, "--user"), nullptr);
    Say(u"ready"_s);
    WaitForLine();
    QElapsedTimer timer;
    timer.start();
    const qint64 within = Option(args, "--within").toLongLong() * 1000;
    const auto attempt = [&](const char* name, const std::function<bool()>& get,
                             const std::function<void()>& change) {
        bool got = false;
        while (!(got = get()) && timer.elapsed() < within) QThread::msleep(200);
        if (!got)
            return Say(QLatin1String(name) + u" busy"_s);
        Say(u"%1 %2"_s.arg(QLatin1String(name)).arg(NowMicros()));
        change();
        Say(QLatin1String(name) + (s.Save() ? u" saved"_s : u" refused: "_s + s.ui.last));
    };
    attempt(
        "new", [&] { return s.NewRow(s.First(), a, u"taker-new"_s); }, [] {});
    attempt(
        "edit", [&] { return s.Open(b); }, [&] { s.Type(s.First(), C::MEMO, u"taker-edit"_s); });
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Text widths are measured in the toolbar's font; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        const auto db = platform::Database::Open(platform::DatabaseUrl::Parse(Option(args, "--db")), false);
        const QString mode = args.value(0);
        if (mode == "run"_L1)
            return Run(db, args);
        if (mode == "hold"_L1)
            return Hold(db, args);
        if (mode == "take"_L1)
            return Take(db, args);
    } catch (const ComError& e) {
        Die(e.Description());
    }
    Die(u"usage: sp_workstation run|hold|take --db URL --user NAME ..."_s);
}
