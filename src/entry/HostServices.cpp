#include "src/entry/HostServices.h"

#include <QSysInfo>
#include <exception>

#include "src/common/Basic.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/Texts.h"

namespace sp {

namespace {

constexpr qint32 AccessSubsystem = 1024;
constexpr qint16 AccessFunction = 30;

QString LeadingBlanks(const QString& text) {
    qsizetype n = 0;
    while (n < text.size() && text.at(n) == u' ') ++n;
    return text.left(n);
}

QString TrailingBlanks(const QString& text) {
    qsizetype n = 0;
    while (n < text.size() && text.at(text.size() - 1 - n) == u' ') ++n;
    return text.right(n);
}

// Trim in the host's sense: blanks only, never tabs or line breaks.
QString TrimBlanks(const QString& text) {
    const qsizetype lead = LeadingBlanks(text).size();
    if (lead == text.size())
        return QString();
    return text.mid(lead, text.size() - lead - TrailingBlanks(text).size());
}

bool IsItemClass(qint32 type) {
    switch (type) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 8:
        case 14:
            return true;
        default:
            return false;
    }
}

bool IsAuxiliaryType(qint32 type) { return (type >= 20 && type <= 129) || (type >= 131 && type <= 999); }

}  // namespace

HostServices::HostServices(ComponentContext context) : context_(std::move(context)) {}

// ---- login properties ----------------------------------------------------------

namespace {
HostProperty ReadProperty(const ComponentRegistry& registry, const QString& name, qint64 processId) {
    auto props = registry.Create<IShareProps>(ProgId::ShareProps());
    return props->GetProperty(name, processId);
}
}  // namespace

QString HostServices::InProgramFolder(const QString& name) const {
    const QString& folder = context_.programFolder;
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString HostServices::UserName() {
    return ReadProperty(Registry(), QStringLiteral("UserName"), context_.processId).value.toString();
}

QString HostServices::PropsString() {
    return ReadProperty(Registry(), QStringLiteral("PropsString"), context_.processId).value.toString();
}

std::shared_ptr<ILoginObject> HostServices::LoginObject() {
    return ReadProperty(Registry(), QStringLiteral("VLLogin"), context_.processId).object;
}

QString HostServices::PropsValue(const QString& key) { return PropsValueOf(PropsString(), key); }

QString HostServices::PropsValueOf(const QString& propsString, const QString& key) {
    if (key.isEmpty())
        return QString();
    QString props = propsString;
    if (!props.endsWith(u';'))
        props += u';';
    const QString wanted = key + u'=';
    // Only a whole key counts: "Name" must not be found inside "UserName=".
    qsizetype from = 0;
    while (true) {
        const qsizetype at = props.indexOf(wanted, from, Qt::CaseInsensitive);
        if (at < 0)
            return QString();
        if (at == 0 || props.at(at - 1) == u';') {
            const qsizetype start = at + wanted.size();
            return props.mid(start, props.indexOf(u';', start) - start);
        }
        from = at + 1;
    }
}

// ---- connection and middle tier ------------------------------------------------

std::shared_ptr<IAppConnection> HostServices::NewConnection() {
    return Registry().Create<IAppConnection>(ProgId::AppConnection());
}

QDate HostServices::ServerDate() {
    auto cnn = NewConnection();
    RecordsetPtr rs = cnn->Execute(EntryTexts::ServerDateSql());
    if (!rs || rs->Eof())
        throw ComError(ErrorNumber::NotFound, ProgId::AppConnection(),
                       QStringLiteral("The server did not return its date."));
    const QDate date = Basic::ToDate(rs->Field(0));
    rs->Close();
    return date;
}

std::shared_ptr<IMShopProc> HostServices::NewMShopProc() {
    return Registry().Create<IMShopProc>(ProgId::MShopProc());
}

std::shared_ptr<IMShopProcSet> HostServices::NewMShopProcSet() {
    return Registry().Create<IMShopProcSet>(ProgId::MShopProcSet());
}

// ---- access check and usage log ------------------------------------------------

IGLData& HostServices::GLData() {
    if (!glData_)
        glData_ = Registry().Create<IGLData>(ProgId::GLData());
    return *glData_;
}

bool HostServices::AccessCheck(qint32 rightMask) {
    return GLData().AccessCheck(AccessSubsystem, AccessFunction, rightMask);
}

void HostServices::WriteLog(const QString& functionCode, qint16 action) {
    GLData().WriteLog(functionCode, action);
}

// ---- texts ---------------------------------------------------------------------

// A translation that fails leaves the text as it was: a message must never be lost
// because the language resources are unavailable.
QString HostServices::TranslateText(const QString& text, qint16 spacing) {
    if (language_.isEmpty()) {
        language_ = ValueOrEmpty<QString>([&] { return PropsValue(QStringLiteral("Language")); });
        if (language_.isEmpty())
            language_ = ValueOrEmpty<QString>(
                [&] { return Registry().Create<ILangInfo>(ProgId::LangInfo())->CurrentLanguage(); });
    }
    IgnoreErrors([&] {
        if (!resLoader_)
            resLoader_ = Registry().Create<IResLoader>(ProgId::ResLoader());
        if (resLoader_->ResFileBaseName() != EntryTexts::ResourceFile())
            resLoader_->SetResFileBaseName(EntryTexts::ResourceFile());
        if (resLoader_->LanguageID() != language_)
            resLoader_->SetLanguageID(language_);
    });

    const QString separator = QStringLiteral("^|^");
    if (text.contains(separator)) {
        const QString marker = QStringLiteral("~$~");
        QString joined;
        for (const QString& piece : text.split(separator))
            joined += piece.startsWith(marker) ? TranslateText(piece.mid(marker.size()), 0) : piece;
        return joined;
    }

    if (language_ == QLatin1String("chs"))
        return text;

    const QString trimmed = TrimBlanks(text);
    QString loaded = trimmed;
    if (resLoader_)
        IgnoreErrors([&] { loaded = resLoader_->LoadString(trimmed); });
    QString result = LeadingBlanks(text) + loaded + TrailingBlanks(text);
    if (language_ == QLatin1String("en")) {
        if ((spacing == 1 || spacing == 3) && !result.startsWith(u' '))
            result.prepend(u' ');
        if ((spacing == 2 || spacing == 3) && !result.endsWith(u' '))
            result.append(u' ');
    }
    return result;
}

// ---- system profile ------------------------------------------------------------

bool HostServices::ControlReceiveOf(const QVariant& stored, const QString& reader) {
    if (stored.isNull())
        return true;
    if (!Basic::ReadsAsBoolean(stored))
        ErrorLog::Write(reader, QStringLiteral("The system switch SH/SHOPPROC_CONTROLRECEIVE holds \"%1\", "
                                               "neither true/false nor a number: the receive control is "
                                               "off. Store 1 to switch it on, 0 to switch it off.")
                                    .arg(stored.toString()));
    return Basic::Bool(stored);
}

bool HostServices::IsControlReceive() {
    bool controlled = false;
    IgnoreErrors([&] {
        auto profile = Registry().Create<ISystemProfile>(ProgId::SystemProfile());
        const QVariant value = profile->GetProfile(PropsString(), QStringLiteral("SH"),
                                                   QStringLiteral("SHOPPROC_CONTROLRECEIVE"));
        controlled = ControlReceiveOf(value, QStringLiteral("HostServices.IsControlReceive"));
    });
    return controlled;
}

// ---- function-conflict control -------------------------------------------------

QString HostServices::ComputerName() {
    // The host reads the name into a buffer of 40 characters.
    const QString name = QSysInfo::machineHostName().left(40).trimmed();
    return name.isEmpty() ? QStringLiteral("NoName") : name;
}

qint32 HostServices::ExecFunc(qint32 subsystemId, const QString& functionId, qint16 arg1, qint16 arg2,
                              const QVariant& extra, std::function<QString()> stamp) {
    auto login = LoginObject();
    if (!login)
        throw ComError(91, EntryTexts::FunctionConflictSource(),
                       QStringLiteral("The login object is not available."));
    QString function = functionId;
    const qint32 taskId = login->taskexec(subsystemId, function, ComputerName(), 3, arg1, arg2,
                                          extra.isValid() ? &extra : nullptr);
    if (taskId < 1)
        throw ComError(ErrorNumber::FunctionConflict, EntryTexts::FunctionConflictSource(),
                       TranslateText(EntryTexts::FunctionConflict(), 0));
    if (stamp) {
        TaskStamp& entry = stamps_[taskId];
        entry.read = std::move(stamp);
        IgnoreErrors([&] { entry.value = entry.read(); });
    }
    return taskId;
}

bool HostServices::EndFunc(qint32& taskId) {
    if (taskId == 0)
        return false;
    auto login = LoginObject();
    if (!login)
        throw ComError(91, QStringLiteral("MNetControl.EndFunc"),
                       QStringLiteral("The login object is not available."));
    const bool committed = login->CommitTask(taskId);
    if (committed) {
        stamps_.erase(taskId);
        taskId = 0;
    }
    return committed;
}

bool HostServices::TaskStillHeld(qint32 taskId,
                                 std::optional<std::chrono::steady_clock::time_point> commandBegan) {
    auto login = LoginObject();
    if (!login)
        throw ComError(91, EntryTexts::FunctionConflictSource(),
                       QStringLiteral("The login object is not available."));
    const auto stamp = stamps_.find(taskId);
    if (commandBegan ? login->TaskHeldProvenSince(taskId, *commandBegan) : login->TaskStillHeld(taskId))
        return stamp == stamps_.end() || !stamp->second.refused;
    if (stamp == stamps_.end() || stamp->second.refused || !stamp->second.value)
        return false;
    if (!login->RetakeTask(taskId))
        return false;
    // Held again, so nothing can be written under it from here on; what was written
    // while it was lost shows in the stamp.
    if (stamp->second.read() != *stamp->second.value) {
        stamp->second.refused = true;
        return false;
    }
    ErrorLog::Write(
        EntryTexts::FunctionConflictSource(),
        QStringLiteral("Function task %1 was taken back after its hold was lost; nothing had been "
                       "written under it meanwhile.")
            .arg(taskId));
    return true;
}

void HostServices::RestampTask(qint32 taskId) {
    const auto stamp = stamps_.find(taskId);
    if (stamp == stamps_.end() || stamp->second.refused)
        return;
    std::optional<QString>& known = stamp->second.value;
    known.reset();
    IgnoreErrors([&] {
        const auto reading = std::chrono::steady_clock::now();
        const QString value = stamp->second.read();
        // Only an unbroken hold proves the new stamp holds this workstation's writes alone;
        // the stamp's read may have proved it.
        auto login = LoginObject();
        if (login && login->TaskHeldProvenSince(taskId, reading))
            known = value;
    });
}

bool HostServices::TaskReleased(qint32 taskId) {
    auto login = LoginObject();
    return login && login->TaskReleased(taskId);
}

// ---- lookups -------------------------------------------------------------------

LookupOutcome HostServices::ShowLookup(qint32 lookupType, const QString& searchText, const QString& filter,
                                       qint32 dataType, bool longNumber) {
    LookupOutcome outcome;
    auto report = [&](const ComError& error) {
        outcome = LookupOutcome();
        // Without the error display the failure must still be found in the log.
        if (!IgnoreErrors(
                [&] { Registry().Create<IErrorDisplay>(ProgId::ErrorDisplay())->HandleError(error); }))
            ErrorLog::Write(error);
    };
    try {
        if (IsItemClass(lookupType)) {
            auto options = NewDictionary();
            options->Set(QStringLiteral("BeShortNumber"), !longNumber);
            options->Set(QStringLiteral("GetDataType"), dataType);
            options->Set(QStringLiteral("Search"), searchText);
            if (!glView_)
                glView_ = Registry().Create<IGLView>(ProgId::GLView());
            outcome.lookup = glView_->ItemLookUp(lookupType, searchText, filter, options);
        } else if (IsAuxiliaryType(lookupType)) {
            if (!glView_)
                glView_ = Registry().Create<IGLView>(ProgId::GLView());
            qint32 type = lookupType;
            QString search = searchText;
            outcome.lookup = glView_->SubMesLookup(type, search);
        } else if (lookupType == -102 || lookupType == -103) {
            auto browser = Registry().Create<IResourceBrowser>(ProgId::ResourceBrowser());
            browser->SetShowType(lookupType == -102 ? 1 : 0);
            browser->SetShowMode(1);
            browser->SetFilter(filter);
            browser->Show();
            outcome.resource = browser->Result();
        }
    } catch (const ComError& e) {
        report(e);
    } catch (const std::exception& e) {
        report(
            ComError(ErrorNumber::Refused, QStringLiteral("ShowLookup"), QString::fromLocal8Bit(e.what())));
    }
    return outcome;
}

}  // namespace sp
