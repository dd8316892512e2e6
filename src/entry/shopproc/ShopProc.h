#pragma once

#include <QVariant>
#include <functional>
#include <memory>

#include "src/entry/HostServices.h"
#include "src/entry/shopproc/IFilterDialog.h"
#include "src/entry/shopproc/IShopProcComponent.h"
#include "src/entry/shopproc/IWorkbench.h"

namespace sp {

// The component's public class: the host creates it and calls ShowForm. It owns the
// host service layer of this component instance and its one workbench object; the
// windows themselves come from factories, so the entry's rules run without them.
class ShopProc : public IShopProcComponent {
  public:
    using WorkbenchFactory = std::function<std::unique_ptr<IWorkbench>(HostServices&)>;
    using FilterDialogFactory = std::function<std::unique_ptr<IFilterDialog>(HostServices&)>;

    // The report id under which the filter dialog keeps its bounds and plans.
    static constexpr qint32 FilterReportId = 600;

    ShopProc(ComponentContext context, WorkbenchFactory workbench, FilterDialogFactory filterDialog);
    ~ShopProc() override;
    ShopProc(const ShopProc&) = delete;
    ShopProc& operator=(const ShopProc&) = delete;

    // Always returns an empty value. Errors of the access check, the log, the dialog
    // and the workbench reach the caller. WBinterID is accepted and not used.
    QVariant ShowForm(qint32 Uid, qint32 ListStyle = 0, qint32 WBinterID = 0) override;

    HostServices& Host() { return *host_; }

  private:
    std::unique_ptr<HostServices> host_;
    FilterDialogFactory filterDialog_;
    std::unique_ptr<IWorkbench> workbench_;
};

}  // namespace sp
