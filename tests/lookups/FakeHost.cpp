#include "lookups/FakeHost.h"

#include "common/ComError.h"

namespace sp::testing {

namespace {

[[noreturn]] void Unscripted(const QString& method) {
    throw ComError(ErrorNumber::Refused, QStringLiteral("FakeMShopProc"), method + QStringLiteral(" not scripted"));
}

template <class F, class... A>
auto Call(const std::shared_ptr<MiddleTierScript>& s, const F& f, const QString& method, A&&... args) {
    s->calls.append(method);
    if (!f)
        Unscripted(method);
    return f(std::forward<A>(args)...);
}

const PersonRow* Resolve(const QVector<PersonRow>& rows, qint32 id, const QString& number) {
    for (const PersonRow& r : rows)
        if (id != 0 ? r.id == id : r.number.compare(number, Qt::CaseInsensitive) == 0)
            return &r;
    return nullptr;
}

class FakeMShopProc : public IMShopProc {
public:
    explicit FakeMShopProc(std::shared_ptr<MiddleTierScript> s) : s_(std::move(s)) {}

    RecordsetPtr GetWorkBillTitle(const QString&, const qint32& u) override {
        return Call(s_, s_->workBillTitle, QStringLiteral("GetWorkBillTitle"), u);
    }
    RecordsetPtr GetReportTitle(const QString&, const qint32& u) override {
        return Call(s_, s_->reportTitle, QStringLiteral("GetReportTitle"), u);
    }
    RecordsetPtr GetWorkBillByFilter(const QString&, const bool& check, const QString& c) override {
        return Call(s_, s_->workBillByFilter, QStringLiteral("GetWorkBillByFilter"), check, c);
    }
    RecordsetPtr GetWorkBillByWCMO(const QString&, const bool& wc, const bool& check, const qint32& id,
                                   const QString& dept) override {
        return Call(s_, s_->workBillByWCMO, QStringLiteral("GetWorkBillByWCMO"), wc, check, id, dept);
    }
    RecordsetPtr GetWorkBillInfo(const QString&, const QString& no) override {
        return Call(s_, s_->workBillInfo, QStringLiteral("GetWorkBillInfo"), no);
    }
    bool IsExistWB(const QString&, const QString& no) override {
        return Call(s_, s_->isExistWB, QStringLiteral("IsExistWB"), no);
    }
    qint32 GetWorkBillInterID(const QString&, const QString& no) override {
        return Call(s_, s_->workBillInterID, QStringLiteral("GetWorkBillInterID"), no);
    }
    QString GetWorkBillNO(const QString&, const qint32& id) override {
        return Call(s_, s_->workBillNO, QStringLiteral("GetWorkBillNO"), id);
    }
    qint32 GetWCID(const QString&, const qint32&) override { Unscripted(QStringLiteral("GetWCID")); }
    qint32 GetQtyDecimal(const QString&, const qint32& id) override {
        return Call(s_, s_->qtyDecimal, QStringLiteral("GetQtyDecimal"), id);
    }
    QString GetWorkProcRptHis(const QString&, const QString& c, const QString& l) override {
        return Call(s_, s_->workProcRptHis, QStringLiteral("GetWorkProcRptHis"), c, l);
    }
    QString GetWorkProcRptNew(const QString&, const QString&) override {
        Unscripted(QStringLiteral("GetWorkProcRptNew"));
    }
    double GetWorkProcRptQty(const QString&, const QString& no, const QString& serial) override {
        return Call(s_, s_->cumulativeQty, QStringLiteral("GetWorkProcRptQty"), QStringLiteral("GetWorkProcRptQty"), no, serial);
    }
    double GetWorkProcReceiveQty(const QString&, const QString& no, const QString& serial) override {
        return Call(s_, s_->cumulativeQty, QStringLiteral("GetWorkProcReceiveQty"), QStringLiteral("GetWorkProcReceiveQty"), no, serial);
    }
    double GetWorkProcHandOverQty(const QString&, const QString& no, const QString& serial) override {
        return Call(s_, s_->cumulativeQty, QStringLiteral("GetWorkProcHandOverQty"), QStringLiteral("GetWorkProcHandOverQty"), no, serial);
    }
    double GetControlReceiveQty(const QString&, const qint32&, const qint32&) override {
        Unscripted(QStringLiteral("GetControlReceiveQty"));
    }
    double GetControlHandOverQty(const QString&, const qint32&, const qint32&) override {
        Unscripted(QStringLiteral("GetControlHandOverQty"));
    }
    QString GetUserName(const QString&, const QString& id) override {
        return Call(s_, s_->userName, QStringLiteral("GetUserName"), id);
    }
    void GetEmpInfo(const QString&, QString& number, qint32& id, QString& name, qint32& group) override {
        s_->calls.append(QStringLiteral("GetEmpInfo"));
        const PersonRow* r = Resolve(s_->emps, id, number);
        if (!r)
            Unscripted(QStringLiteral("GetEmpInfo: unknown employee"));
        number = r->number, id = r->id, name = r->name, group = r->extra1;
    }
    void GetDevInfo(const QString&, QString& number, qint32& id, QString& name, qint32& type,
                    qint32& wc) override {
        s_->calls.append(QStringLiteral("GetDevInfo"));
        const PersonRow* r = Resolve(s_->devs, id, number);
        if (!r)
            Unscripted(QStringLiteral("GetDevInfo: unknown device"));
        number = r->number, id = r->id, name = r->name, type = r->extra1, wc = r->extra2;
    }
    void GetTeamInfo(const QString&, QString& number, qint32& id, QString& name) override {
        s_->calls.append(QStringLiteral("GetTeamInfo"));
        const PersonRow* r = Resolve(s_->teams, id, number);
        if (!r)
            Unscripted(QStringLiteral("GetTeamInfo: unknown team"));
        number = r->number, id = r->id, name = r->name;
    }
    RecordsetPtr GetWorkBillTree(const QString&, const bool& wc, const bool& check, const QString& c) override {
        return Call(s_, s_->workBillTree, QStringLiteral("GetWorkBillTree"), wc, check, c);
    }

private:
    std::shared_ptr<MiddleTierScript> s_;
};

class FakeShareProps : public IShareProps {
public:
    explicit FakeShareProps(std::shared_ptr<FakeLogin> login) : login_(std::move(login)) {}
    HostProperty GetProperty(const QString& name, qint64) override {
        if (name == QStringLiteral("PropsString"))
            return {FakeHost::Props(), nullptr};
        if (name == QStringLiteral("UserName"))
            return {QStringLiteral("Li"), nullptr};
        if (name == QStringLiteral("VLLogin"))
            return {QVariant(), login_};
        return {};
    }

private:
    std::shared_ptr<FakeLogin> login_;
};

}  // namespace

qint32 FakeLogin::taskexec(qint32&, QString&, const QString&, qint16, qint16&, qint16&, const QVariant* extra) {
    const qint64 key = extra ? extra->toLongLong() : 0;
    if (busyKeys.contains(key))
        return 0;
    takenKeys.append(key);
    return nextTask++;
}

bool FakeLogin::CommitTask(qint32 taskId) {
    committed.append(taskId);
    return true;
}

RecordsetPtr FakeConnection::Execute(const QString& sql) {
    if (fail)
        throw ComError(ErrorNumber::Database, QStringLiteral("FakeConnection"), QStringLiteral("refused"));
    log->append(sql);
    auto rs = std::make_shared<Recordset>();
    rs->Close();
    return rs;
}

FakeHost::FakeHost() {
    registry.Register<IMShopProc>(ProgId::MShopProc(), [s = script] {
        ++s->objectsCreated;
        return std::make_shared<FakeMShopProc>(s);
    });
    registry.Register<IShareProps>(ProgId::ShareProps(), [l = login] { return std::make_shared<FakeShareProps>(l); });
    registry.Register<IAppConnection>(ProgId::AppConnection(), [this] {
        return std::make_shared<FakeConnection>(&statements, connectionFails);
    });
    ComponentContext context;
    context.registry = &registry;
    context.ui = &ui;
    host = std::make_unique<HostServices>(context);
}

RecordsetPtr MakeRecordset(const QStringList& fields, const QVector<QVariantList>& rows) {
    return std::make_shared<Recordset>(fields, rows);
}

}  // namespace sp::testing
