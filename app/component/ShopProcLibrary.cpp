// The component library: ShopProc with its windows, created by the host through two
// C entry points. Everything shared with the host (registry, error type, Ui port,
// application log) lives in spcommon, which both load once.

#include <QtGlobal>
#include <exception>

#include "app/component/DefaultWorkbenchParts.h"
#include "src/common/ComError.h"
#include "src/common/ErrorLog.h"
#include "src/entry/ComponentContext.h"
#include "src/entry/shopproc/ShopProc.h"
#include "ui/controls/QtUi.h"
#include "ui/dialogs/FilterDialogViews.h"
#include "ui/workbench/frmProcWindow.h"

namespace {

void LogFailure(const QString& where, const std::exception& e) {
    if (const auto* com = dynamic_cast<const sp::ComError*>(&e))
        sp::ErrorLog::Write(*com);
    else
        sp::ErrorLog::Write(where, QString::fromLocal8Bit(e.what()));
}

}  // namespace

extern "C" Q_DECL_EXPORT sp::IShopProcComponent* ShopProcCreate(
    const sp::ComponentContext* context) noexcept {
    if (!context || !context->registry || !context->ui)
        return nullptr;
    try {
        return new sp::ShopProc(*context, &sp::MakeWorkbench, sp::DefaultFilterDialogFactory());
    } catch (const std::exception& e) {
        LogFailure(QStringLiteral("ShopProcCreate"), e);
    }
    return nullptr;
}

extern "C" Q_DECL_EXPORT sp::Ui* ShopProcCreateUi() noexcept {
    try {
        // The port finds each dialog's window by the dialog's name.
        sp::RegisterWorkbenchView();
        sp::RegisterFilterDialogViews();
        return new sp::QtUi();
    } catch (const std::exception& e) {
        LogFailure(QStringLiteral("ShopProcCreateUi"), e);
    }
    return nullptr;
}
