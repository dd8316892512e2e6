#include "platform/Platform.h"

#include "platform/host/AppConnection.h"
#include "platform/host/ErrorDisplay.h"
#include "platform/host/GLData.h"
#include "platform/host/LangInfo.h"
#include "platform/host/LoginSession.h"
#include "platform/host/LookupRegistration.h"
#include "platform/host/ResLoader.h"
#include "platform/host/SettingsFile.h"
#include "platform/host/ShareProps.h"
#include "platform/host/SystemProfile.h"
#include "platform/host/TaskControl.h"
#include "platform/middletier/LocalSwitchFile.h"
#include "platform/middletier/MiddleTierRegistration.h"
#include "src/common/ComError.h"
#include "src/common/ComponentRegistry.h"
#include "src/entry/HostInterfaces.h"
#include "src/entry/HostServices.h"

namespace sp::platform {

void RegisterPlatform(ComponentRegistry& registry, const PlatformSession& session) {
    if (!session.db || !session.ui)
        throw ComError(ErrorNumber::Refused, QStringLiteral("RegisterPlatform"),
                       QStringLiteral("The platform needs a database and a screen."));
    const std::shared_ptr<Database> db = session.db;
    const QString computer = HostServices::ComputerName();
    auto login =
        std::make_shared<LoginSession>(db, session.userId, session.userName, session.language, computer);
    login->SetLoginObject(TaskControl::Create(db, session.userId));
    std::shared_ptr<const LoginSession> props = login;

    registry.Register<IShareProps>(ProgId::ShareProps(),
                                   [props] { return std::make_shared<ShareProps>(props); });
    // One writer of usage lines for the session, whichever GLData writes them.
    auto usageLog = std::make_shared<UsageLog>(db, session.userId, computer);
    registry.Register<IGLData>(ProgId::GLData(), [db, userId = session.userId, computer, usageLog] {
        return std::make_shared<GLData>(db, userId, computer, std::function<qint64()>(), usageLog);
    });
    registry.Register<ISystemProfile>(ProgId::SystemProfile(),
                                      [db] { return std::make_shared<SystemProfile>(db); });
    registry.Register<ILangInfo>(
        ProgId::LangInfo(), [language = session.language] { return std::make_shared<LangInfo>(language); });
    registry.Register<IResLoader>(ProgId::ResLoader(), [] { return std::make_shared<ResLoader>(); });
    registry.Register<IErrorDisplay>(ProgId::ErrorDisplay(),
                                     [ui = session.ui] { return std::make_shared<ErrorDisplay>(*ui); });
    registry.Register<ISettingsFile>(ProgId::SettingsFile(), [] { return std::make_shared<SettingsFile>(); });
    registry.Register<IAppConnection>(ProgId::AppConnection(),
                                      [db] { return std::make_shared<AppConnection>(db); });
    registry.Register<ILocalDatabase>(ProgId::LocalDatabase(),
                                      [] { return std::make_shared<LocalSwitchDatabase>(); });

    RegisterMiddleTier(registry, db);
    RegisterLookups(registry, db, *session.ui);
}

}  // namespace sp::platform
