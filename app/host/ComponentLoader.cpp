#include "app/host/ComponentLoader.h"

#include <QDir>
#include <QFileInfo>

#include "app/host/InstallLayout.h"
#include "app/host/Texts.h"
#include "src/common/ComError.h"

namespace sp::host {

ComponentLoader::ComponentLoader(const QString& name) {
    // QLibrary adds the platform's prefix and suffix (libshopproc.so).
    library_.setFileName(QDir(InstallLayout::OfThisProgram().componentFolder).filePath(name));
    library_.setLoadHints(QLibrary::PreventUnloadHint);
}

void ComponentLoader::Load() {
    if (!library_.load())
        throw ComError(ErrorNumber::NotFound, QStringLiteral("erp-host"),
                       Texts::CannotLoadComponent(library_.errorString()));
    create = reinterpret_cast<ShopProcCreateFunction>(library_.resolve(ShopProcCreateSymbol));
    createUi = reinterpret_cast<ShopProcCreateUiFunction>(library_.resolve(ShopProcCreateUiSymbol));
    if (!create || !createUi)
        throw ComError(ErrorNumber::NotFound, QStringLiteral("erp-host"),
                       QStringLiteral("%1 is not the component: its entry points are missing.")
                           .arg(library_.fileName()));
}

QString ComponentLoader::Folder() const { return QFileInfo(library_.fileName()).absolutePath(); }

}  // namespace sp::host
