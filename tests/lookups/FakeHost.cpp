#include "tests/lookups/FakeHost.h"

namespace sp::test {

namespace {

[[noreturn]] void Unscripted(const QString& method) {
    throw ComError(ErrorNumber::Refused, QStringLiteral("FakeMShopProc"),
                   method + QStringLiteral(" not scripted"));
}

// Each method records its name (from __func__) and answers from the script.
class FakeMShopProc : public IMShopProc {
  public:
    explicit FakeMShopProc(std::shared_ptr<MiddleTierScript> s) : s_(std::move(s)) {}
    using S = const QString&;

    RecordsetPtr GetWorkBillTitle(S, const qint32& u) override { return Do(s_->workBillTitle, __func__, u); }
    RecordsetPtr GetReportTitle(S, const qint32& u) override { return Do(s_->reportTitle, __func__, u); }
    RecordsetPtr GetWorkBillByFilter(S, const bool& chk, S c) override {
        return Do(s_->workBillByFilter, __func__, chk, c);
    }
    RecordsetPtr GetWorkBillByWCMO(S, const bool& wc, const bool& chk, const qint32& id, S dept) override {
        return Do(s_->workBillByWCMO, __func__, wc, chk, id, dept);
    }
    RecordsetPtr GetWorkBillInfo(S, S no) override { return Do(s_->workBillInfo, __func__, no); }
    bool IsExistWB(S, S no) override { return Do(s_->isExistWB, __func__, no); }
    qint32 GetWorkBillInterID(S, S no) override { return Do(s_->workBillInterID, __func__, no); }
    QString GetWorkBillNO(S, const qint32& id) override { return Do(s_->workBillNO, __func__, id); }
    qint32 GetWCID(S, const qint32&) override { Unscripted(QStringLiteral("GetWCID")); }
    qint32 GetQtyDecimal(S, const qint32& id) override { return Do(s_->qtyDecimal, __func__, id); }
    QString GetWorkProcRptHis(S, S c, S l) override { return Do(s_->workProcRptHis, __func__, c, l); }
    QString GetWorkProcRptNew(S, S) override { Unscripted(QStringLiteral("GetWorkProcRptNew")); }
    double GetWorkProcRptQty(S, S no, S serial) override { return Qty(__func__, no, serial); }
    double GetWorkProcReceiveQty(S, S no, S serial) override { return Qty(__func__, no, serial); }
    double GetWorkProcHandOverQty(S, S no, S serial) override { return Qty(__func__, no, serial); }
    double GetControlReceiveQty(S, const qint32&, const qint32&) override {
        Unscripted(QString::fromLatin1(__func__));
    }
    double GetControlHandOverQty(S, const qint32&, const qint32&) override {
        Unscripted(QString::fromLatin1(__func__));
    }
    QString GetUserName(S, S id) override { return Do(s_->userName, __func__, id); }
    void GetEmpInfo(S, QString& number, qint32& id, QString& name, qint32& group) override {
        const PersonRow& r = Find(s_->emps, id, number, __func__);
        number = r.number, id = r.id, name = r.name, group = r.extra1;
    }
    void GetDevInfo(S, QString& number, qint32& id, QString& name, qint32& type, qint32& wc) override {
        const PersonRow& r = Find(s_->devs, id, number, __func__);
        number = r.number, id = r.id, name = r.name, type = r.extra1, wc = r.extra2;
    }
    void GetTeamInfo(S, QString& number, qint32& id, QString& name) override {
        const PersonRow& r = Find(s_->teams, id, number, __func__);
        number = r.number, id = r.id, name = r.name;
    }
    RecordsetPtr GetWorkBillTree(S, const bool& wc, const bool& chk, S c) override {
        return Do(s_->workBillTree, __func__, wc, chk, c);
    }

  private:
    template <class F, class... A>
    typename F::result_type Do(const F& f, const char* method, A&&... args) {
        s_->calls.append(QString::fromLatin1(method));
        if (!f)
            Unscripted(QString::fromLatin1(method));
        return f(std::forward<A>(args)...);
    }
    double Qty(const char* method, S no, S serial) {
        return Do(s_->cumulativeQty, method, QString::fromLatin1(method), no, serial);
    }
    const PersonRow& Find(const QVector<PersonRow>& rows, qint32 id, S number, const char* method) {
        s_->calls.append(QString::fromLatin1(method));
        for (const PersonRow& r : rows)
            if (id != 0 ? r.id == id : r.number.compare(number, Qt::CaseInsensitive) == 0)
                return r;
        Unscripted(QString::fromLatin1(method) + QStringLiteral(": unknown record"));
    }

    std::shared_ptr<MiddleTierScript> s_;
};

class FakeShareProps : public IShareProps {
  public:
    explicit FakeShareProps(std::shared_ptr<FakeLogin> login) : login_(std::move(login)) {}
    HostProperty GetProperty(const QString& name, qint64) override {
        if (name == QStringLiteral("PropsString"))
            return {QStringLiteral("Language=chs;UserID=7;UserName=Li;{DB}"), nullptr};
        if (name == QStringLiteral("UserName"))
            return {QStringLiteral("Li"), nullptr};
        return name == QStringLiteral("VLLogin") ? HostProperty{QVariant(), login_} : HostProperty{};
    }

  private:
    std::shared_ptr<FakeLogin> login_;
};

struct FakeConnection : IAppConnection {
    QStringList* log;
    bool fail;
    FakeConnection(QStringList* l, bool f) : log(l), fail(f) {}
    RecordsetPtr Execute(const QString& sql) override {
        if (fail)
            throw ComError(ErrorNumber::Database, QStringLiteral("FakeConnection"),
                           QStringLiteral("refused"));
        log->append(sql);
        auto rs = std::make_shared<Recordset>();
        rs->Close();
        return rs;
    }
    void BeginTrans() override {}
    void CommitTrans() override {}
    void RollbackTrans() override {}
};

}  // namespace

FakeHost::FakeHost() {
    registry.Register<IMShopProc>(ProgId::MShopProc(), [s = script] {
        ++s->objectsCreated;
        return std::make_shared<FakeMShopProc>(s);
    });
    registry.Register<IShareProps>(ProgId::ShareProps(),
                                   [l = login] { return std::make_shared<FakeShareProps>(l); });
    registry.Register<IAppConnection>(ProgId::AppConnection(), [this] {
        return std::make_shared<FakeConnection>(&statements, connectionFails);
    });
    ComponentContext context;
    context.registry = &registry;
    context.ui = &ui;
    host = std::make_unique<HostServices>(context);
}

}  // namespace sp::test
