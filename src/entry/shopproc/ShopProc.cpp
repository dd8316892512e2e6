#include "src/entry/shopproc/ShopProc.h"

#include "src/common/Basic.h"
#include "src/common/ComError.h"
#include "src/common/Ui.h"
#include "src/entry/Rights.h"
#include "src/entry/Texts.h"

namespace sp {

ShopProc::ShopProc(ComponentContext context, WorkbenchFactory workbench, FilterDialogFactory filterDialog)
    : host_(std::make_unique<HostServices>(std::move(context))), filterDialog_(std::move(filterDialog)) {
    if (!workbench || !filterDialog_)
        throw ComError(ErrorNumber::Refused, QStringLiteral("ShopProc"),
                       QStringLiteral("The component was built without its windows."));
    workbench_ = workbench(*host_);
    if (!workbench_)
        throw ComError(ErrorNumber::Refused, QStringLiteral("ShopProc"),
                       QStringLiteral("The workbench could not be created."));
}

// The workbench goes before the host service layer it was built on.
ShopProc::~ShopProc() { workbench_.reset(); }

QVariant ShopProc::ShowForm(qint32 Uid, qint32 ListStyle, qint32 WBinterID) {
    // Opening one work bill directly is not offered: the host always starts from the
    // filtered list, whatever it passes here.
    Q_UNUSED(WBinterID);

    if (!host_->AccessCheck(Rights::Open)) {
        ShowPlain(host_->Screen(), EntryTexts::NoRight());
        return QVariant();
    }

    DictionaryPtr dicFilter;
    {
        std::unique_ptr<IFilterDialog> dialog = filterDialog_(*host_);
        dialog->SetRptID(FilterReportId);
        dialog->ShowModal();
        dicFilter = dialog->Result();
    }
    if (!dicFilter || !Basic::Bool(dicFilter->Item(QStringLiteral("OK"))))
        return QVariant();

    host_->WriteLog(EntryTexts::EntryLogCode(), 1);
    workbench_->SetUserId(Uid);
    workbench_->SetDicFilter(dicFilter);
    workbench_->SetListStyle(ListStyle);
    workbench_->ShowModal();
    host_->WriteLog(EntryTexts::EntryLogCode(), 3);
    return QVariant();
}

}  // namespace sp
