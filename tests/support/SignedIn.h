#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "platform/Platform.h"
#include "src/common/ComponentRegistry.h"
#include "src/entry/HostServices.h"

namespace sp::test {

// One user signed in on a database as erp-host signs a clerk in: the platform's stand-ins
// registered for that user (wrap may replace some before anybody asks for them), `folder`
// as the program folder, and the host service layer over them.
template <class ClerkUi>
struct SignedIn {
    void SignIn(const std::shared_ptr<platform::Database>& db, qint32 userId, const QString& userName,
                const QString& language = QStringLiteral("chs"),
                const std::function<void(ComponentRegistry&)>& wrap = {}) {
        platform::RegisterPlatform(registry, {db, userId, userName, language, folder.path(), &ui});
        if (wrap)
            wrap(registry);
        host = std::make_unique<HostServices>(ComponentContext{&registry, &ui, folder.path(),
                                                               QCoreApplication::applicationDirPath(),
                                                               QCoreApplication::applicationPid()});
    }

    QTemporaryDir folder;
    ClerkUi ui;
    ComponentRegistry registry;
    std::unique_ptr<HostServices> host;  // dies before the registry and the Ui it uses
};

}  // namespace sp::test
