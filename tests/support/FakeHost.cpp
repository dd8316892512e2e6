#include "tests/support/FakeHost.h"

#include <QFileInfo>

namespace sp::test {

namespace {

// Plan names arrive with their quotes doubled; the store keeps them plain.
QString Plain(QString name) { return name.replace(u"''"_s, u"'"_s); }

}  // namespace

LookupResultPtr Pick(const QString& number, const QString& name, qint32 id, const QVariantMap& properties,
                     const QVariant& detail) {
    return std::make_shared<LookupResult>(
        LookupResult{true, std::make_shared<LookupEntry>(LookupEntry{number, name, id, detail, properties})});
}

QStringList FakeHost::Calls(const QString& method) const {
    QStringList found;
    for (const QString& call : calls)
        if (call == method || call.startsWith(method + u' '))
            found << call;
    return found;
}

void FakeHost::Note(const char* method, const QStringList& args) {
    const QString name = QString::fromLatin1(method);
    calls << (args.isEmpty() ? name : name + u' ' + args.join(u' '));
    if (failing.contains(name))
        throw ComError(ErrorNumber::Refused, u"FakeHost"_s, name + u" failed"_s);
}

void FakeHost::Unexpected(const char* method) {
    throw ComError(ErrorNumber::Refused, u"FakeHost"_s, QString::fromLatin1(method) + u" not scripted"_s);
}

HostProperty FakeHost::GetProperty(const QString& name, qint64 processId) {
    Note(__func__, {name, N(processId)});
    if (name == "VLLogin"_L1)
        return {QVariant(), shared_from_this()};
    return {name == "PropsString"_L1 ? props : name == "UserName"_L1 ? userName : QString(), nullptr};
}

qint32 FakeHost::taskexec(qint32& subsystem, QString& function, const QString& computer, qint16 mode,
                          qint16& arg1, qint16& arg2, const QVariant* extra) {
    Note(__func__,
         {N(subsystem), function, computer, N(mode), N(arg1), N(arg2), extra ? extra->toString() : u"-"_s});
    const qint64 key = extra ? extra->toLongLong() : 0;
    if (busyKeys.contains(key))
        return 0;
    takenKeys << key;
    return nextTask++;
}

RecordsetPtr FakeHost::Execute(const QString& sql) {
    Note(__func__);
    statements << sql;
    return execute ? execute(sql) : std::make_shared<Recordset>();
}

// The host's lookups give every caller a result of its own.
LookupResultPtr FakeHost::NextPick() {
    const LookupResultPtr pick = picks.isEmpty() ? nullptr : picks.takeFirst();
    if (!pick)
        return nullptr;
    auto entry = pick->ReturnObject ? std::make_shared<LookupEntry>(*pick->ReturnObject) : nullptr;
    return std::make_shared<LookupResult>(LookupResult{pick->ReturnOK, entry});
}

LookupResultPtr FakeHost::ItemLookUp(qint32 itemClass, const QVariant& search, const QString& filter,
                                     const DictionaryPtr& options) {
    Note(__func__, {N(itemClass), Q(search.toString()), Q(filter)});
    lastLookupOptions = options;
    return NextPick();
}

LookupResultPtr FakeHost::SubMesLookup(qint32& type, QString& search) {
    Note(__func__, {N(type), Q(search)});
    return NextPick();
}

RecordsetPtr FakeHost::GetPlanList(const QString&, const qint32& rptId) {
    Note(__func__, {N(rptId)});
    QVector<QVariantList> rows;
    for (const QString& name : plans) rows.append({name});
    return Records({u"FPlan"_s}, rows);
}

RecordsetPtr FakeHost::GetPlanValue(const QString&, const qint32& rptId, const QString& plan) {
    Note(__func__, {N(rptId), plan});
    const auto it = planValues.constFind(Plain(plan));
    if (it == planValues.cend())
        return nullptr;
    QVector<QVariantList> rows;
    for (auto kv = it->cbegin(); kv != it->cend(); ++kv) rows.append({kv.key(), kv.value()});
    return Records({u"FKey"_s, u"FValue"_s}, rows);
}

void FakeHost::SaveProfile(const QString&, const Collection<DictionaryPtr>& entries) {
    QString rptId, plan;
    QMap<QString, QString> values;
    for (const DictionaryPtr& e : entries) {
        rptId = e->Item(u"RptID"_s).toString();
        plan = e->Item(u"Plan"_s).toString();
        values[e->Item(u"Key"_s).toString()] = e->Item(u"Value"_s).toString();
    }
    Note(__func__, {rptId, plan});
    if (!plans.contains(plan))
        plans << plan;
    planValues[plan] = values;
}

void FakeHost::DelPlan(const QString&, const qint32& rptId, const QString& plan) {
    Note(__func__, {N(rptId), plan});
    plans.removeAll(Plain(plan));
    planValues.remove(Plain(plan));
}

RecordsetPtr FakeHost::Rows(qint32 list, const QString& filter, const QString& search, int maxRows) {
    Note(__func__, {N(list), Q(filter), Q(search), N(maxRows)});
    QVector<QVariantList> hits;
    for (const QVariantList& row : listRows)
        if (hits.size() < maxRows && row[2].toString().contains(search))
            hits << row;
    return Records({u"FInterID"_s, u"FEntryID"_s, u"FBillNo"_s}, hits);
}

// Like the host: a connection text for a file that is there, never a new file.
QString FakeHost::Connect(const QString& path) {
    Note(__func__, {path});
    if (!QFileInfo(path).isFile())
        throw ComError(ErrorNumber::NotFound, u"FakeHost"_s, path + u" is no list file"_s);
    return u"Provider=SQLite;Data Source="_s + path + u';';
}

const InfoRow* FakeHost::Info(const QVector<InfoRow>& rows, const char* method, QString& number, qint32& id,
                              QString& name) {
    Note(method, {N(id), number});
    const QString wanted = number.trimmed();
    for (const InfoRow& r : rows) {
        if (id != 0 ? r.id == id : !wanted.isEmpty() && r.number.compare(wanted, Qt::CaseInsensitive) == 0) {
            number = r.number, id = r.id, name = r.name;
            return &r;
        }
    }
    // As the service does: an id it was given stays, the name stays empty.
    name.clear();
    return nullptr;
}

BaseItemPtr FakeHost::GetItem(qint32 itemClass, const QVariant&, const QString& number) {
    BaseItemPtr item;
    for (const InfoRow& r : emps)
        if (itemClass == 3 && !number.trimmed().isEmpty() &&
            r.number.compare(number.trimmed(), Qt::CaseInsensitive) == 0) {
            item = std::make_shared<BaseItem>(BaseItem{r.id, r.number, r.name, {}});
            break;
        }
    return Answer(__func__, {N(itemClass), number}, item);
}

void FakeHost::GetEmpInfo(const QString&, QString& number, qint32& id, QString& name, qint32& group) {
    if (const InfoRow* r = Info(emps, __func__, number, id, name))
        group = r->extra1;
}

void FakeHost::GetDevInfo(const QString&, QString& number, qint32& id, QString& name, qint32& type,
                          qint32& workCenter) {
    if (const InfoRow* r = Info(devs, __func__, number, id, name))
        type = r->extra1, workCenter = r->extra2;
}

void FakeHost::GetTeamInfo(const QString&, QString& number, qint32& id, QString& name) {
    Info(teams, __func__, number, id, name);
}

bool FakeHost::SaveWorkProcRpt(const QString&, ReportRecords& records, QString& message) {
    Note(__func__, {N(records.Count())});
    saved.clear();
    for (const DictionaryPtr& r : records) saved << r;
    message = saveRefusal;
    return saveRefusal.isEmpty();
}

bool FakeHost::Record(const char* method, qint32 id, qint32 serial, QString& message, qint32 checker) {
    const QString call = u"%1 %2 %3"_s.arg(QString::fromLatin1(method)).arg(id).arg(serial);
    Note(method, {N(id), N(serial), N(checker)});
    message = recordRefusals.value(call);
    return message.isEmpty();
}

template <class I>
void HostHarness::Put(const QString& progId) {
    registry.Register<I>(progId, [this, key = progId.toLower()]() -> std::shared_ptr<I> {
        ++created_[key];
        return fake;
    });
}

HostHarness::HostHarness(const HostSetup& setup) {
    Put<IShareProps>(ProgId::ShareProps());
    Put<IAppConnection>(ProgId::AppConnection());
    Put<IGLData>(ProgId::GLData());
    Put<IGLView>(ProgId::GLView());
    Put<IResourceBrowser>(ProgId::ResourceBrowser());
    Put<ILangInfo>(ProgId::LangInfo());
    Put<IResLoader>(ProgId::ResLoader());
    Put<ISystemProfile>(ProgId::SystemProfile());
    Put<IErrorDisplay>(ProgId::ErrorDisplay());
    Put<IPlanProfile>(ProgId::PlanProfile());
    Put<ISettingsFile>(ProgId::SettingsFile());
    Put<IListSelData>(ProgId::ListSelData());
    Put<ILocalDatabase>(ProgId::LocalDatabase());
    Put<IMShopProcSet>(ProgId::MShopProcSet());
    Put<IMShopProc>(ProgId::MShopProc());
    host = std::make_unique<HostServices>(ComponentContext{&registry, setup.screen ? setup.screen : &ui,
                                                           setup.programFolder, setup.componentFolder,
                                                           setup.processId});
}

}  // namespace sp::test
