#include "workbench/WorkbenchFakes.h"

namespace sp::testing {

namespace {

class FakeLogin : public ILoginObject {
public:
    explicit FakeLogin(std::shared_ptr<HostRecord> r) : r_(std::move(r)) {}
    qint32 taskexec(qint32&, QString&, const QString&, qint16, qint16&, qint16&, const QVariant*) override {
        return ++next_;
    }
    bool CommitTask(qint32 taskId) override {
        r_->committedTasks.push_back(taskId);
        return true;
    }

private:
    std::shared_ptr<HostRecord> r_;
    qint32 next_ = 100;
};

class FakeShareProps : public IShareProps {
public:
    explicit FakeShareProps(std::shared_ptr<ILoginObject> login) : login_(std::move(login)) {}
    HostProperty GetProperty(const QString& name, qint64) override {
        if (name == QStringLiteral("VLLogin"))
            return {QVariant(), login_};
        if (name == QStringLiteral("UserName"))
            return {QStringLiteral("demo"), nullptr};
        return {QStringLiteral("UserID=1;UserName=demo;Language=chs;DBConnection={test};"), nullptr};
    }

private:
    std::shared_ptr<ILoginObject> login_;
};

class FakeConnection : public IAppConnection {
public:
    explicit FakeConnection(std::shared_ptr<HostRecord> r) : r_(std::move(r)) {}
    RecordsetPtr Execute(const QString& sql) override {
        r_->statements << sql;
        if (sql.contains(QStringLiteral("t_SubMessage")) && !r_->execute)
            return std::make_shared<Recordset>(QStringList{QStringLiteral("FinterID")},
                                               QVector<QVariantList>{{r_->defaultDeviceType}});
        if (r_->execute)
            return r_->execute(sql);
        auto rs = std::make_shared<Recordset>();
        rs->Close();
        return rs;
    }
    void BeginTrans() override {}
    void CommitTrans() override {}
    void RollbackTrans() override {}

private:
    std::shared_ptr<HostRecord> r_;
};

class FakeGLView : public IGLView {
public:
    explicit FakeGLView(std::shared_ptr<HostRecord> r) : r_(std::move(r)) {}
    LookupResultPtr ItemLookUp(qint32 itemClass, const QVariant&, const QString& filter,
                               const DictionaryPtr&) override {
        r_->lookupsAsked << QStringLiteral("%1|%2").arg(itemClass).arg(filter);
        return r_->employeePick;
    }
    LookupResultPtr SubMesLookup(qint32& type, QString&) override {
        r_->lookupsAsked << QStringLiteral("%1|").arg(type);
        return r_->teamPick;
    }

private:
    std::shared_ptr<HostRecord> r_;
};

class FakeBrowser : public IResourceBrowser {
public:
    explicit FakeBrowser(std::shared_ptr<HostRecord> r) : r_(std::move(r)) {}
    void SetShowType(qint32 type) override { type_ = type; }
    void SetShowMode(qint32) override {}
    void SetFilter(const QString& filter) override { filter_ = filter; }
    void Show() override { r_->lookupsAsked << QStringLiteral("browser%1|%2").arg(type_).arg(filter_); }
    DictionaryPtr Result() override { return r_->devicePick; }

private:
    std::shared_ptr<HostRecord> r_;
    qint32 type_ = -1;
    QString filter_;
};

ComError NotHere(const char* method) {
    return ComError(ErrorNumber::Refused, QStringLiteral("FakeMShopProc"), QString::fromLatin1(method));
}

class FakeMShopProc : public IMShopProc {
public:
    explicit FakeMShopProc(std::shared_ptr<HostRecord> r) : r_(std::move(r)) {}
    RecordsetPtr GetWorkBillTitle(const QString&, const qint32&) override { throw NotHere("GetWorkBillTitle"); }
    RecordsetPtr GetReportTitle(const QString&, const qint32&) override { throw NotHere("GetReportTitle"); }
    RecordsetPtr GetWorkBillByFilter(const QString&, const bool&, const QString&) override {
        throw NotHere("GetWorkBillByFilter");
    }
    RecordsetPtr GetWorkBillByWCMO(const QString&, const bool&, const bool&, const qint32&, const QString&) override {
        throw NotHere("GetWorkBillByWCMO");
    }
    RecordsetPtr GetWorkBillInfo(const QString&, const QString&) override { throw NotHere("GetWorkBillInfo"); }
    bool IsExistWB(const QString&, const QString& no) override {
        ++r_->middleTierCalls;
        return r_->existingWorkBills.contains(no);
    }
    qint32 GetWorkBillInterID(const QString&, const QString& no) override {
        ++r_->middleTierCalls;
        return r_->workBillIds.value(no, 0);
    }
    QString GetWorkBillNO(const QString&, const qint32& id) override { return r_->workBillIds.key(id); }
    qint32 GetWCID(const QString&, const qint32& id) override {
        ++r_->middleTierCalls;
        return r_->workCenters.value(id, 0);
    }
    qint32 GetQtyDecimal(const QString&, const qint32&) override { return 0; }
    QString GetWorkProcRptHis(const QString&, const QString&, const QString&) override { return QString(); }
    QString GetWorkProcRptNew(const QString&, const QString&) override { throw NotHere("GetWorkProcRptNew"); }
    double GetWorkProcRptQty(const QString&, const QString&, const QString&) override { return 0; }
    double GetWorkProcReceiveQty(const QString&, const QString&, const QString&) override { return 0; }
    double GetWorkProcHandOverQty(const QString&, const QString&, const QString&) override { return 0; }
    double GetControlReceiveQty(const QString&, const qint32&, const qint32&) override { return 0; }
    double GetControlHandOverQty(const QString&, const qint32&, const qint32&) override { return 0; }
    QString GetUserName(const QString&, const QString&) override { return QString(); }
    void GetEmpInfo(const QString&, QString&, qint32&, QString&, qint32&) override {
        ++r_->middleTierCalls;
        throw NotHere("GetEmpInfo");
    }
    void GetDevInfo(const QString&, QString&, qint32&, QString&, qint32&, qint32&) override {
        ++r_->middleTierCalls;
        throw NotHere("GetDevInfo");
    }
    void GetTeamInfo(const QString&, QString&, qint32&, QString&) override {
        ++r_->middleTierCalls;
        throw NotHere("GetTeamInfo");
    }
    RecordsetPtr GetWorkBillTree(const QString&, const bool&, const bool&, const QString&) override {
        throw NotHere("GetWorkBillTree");
    }

private:
    std::shared_ptr<HostRecord> r_;
};

}  // namespace

void RegisterFakeHost(ComponentRegistry& registry, const std::shared_ptr<HostRecord>& r) {
    auto login = std::make_shared<FakeLogin>(r);
    registry.Register<IShareProps>(ProgId::ShareProps(),
                                   [login] { return std::make_shared<FakeShareProps>(login); });
    registry.Register<IGLData>(ProgId::GLData(), [r] { return std::make_shared<FakeGLData>(r); });
    registry.Register<IAppConnection>(ProgId::AppConnection(), [r] { return std::make_shared<FakeConnection>(r); });
    registry.Register<IGLView>(ProgId::GLView(), [r] { return std::make_shared<FakeGLView>(r); });
    registry.Register<IResourceBrowser>(ProgId::ResourceBrowser(), [r] { return std::make_shared<FakeBrowser>(r); });
    registry.Register<IMShopProc>(ProgId::MShopProc(), [r] { return std::make_shared<FakeMShopProc>(r); });
}

LookupResultPtr Pick(const QString& number, const QString& name, qint32 id, const QVariantMap& properties) {
    auto entry = std::make_shared<LookupEntry>();
    entry->Number = number;
    entry->Name = name;
    entry->ItemID = id;
    entry->Detail = true;
    entry->Properties = properties;
    auto result = std::make_shared<LookupResult>();
    result->ReturnOK = true;
    result->ReturnObject = entry;
    return result;
}

}  // namespace sp::testing
