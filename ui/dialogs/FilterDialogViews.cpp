#include "ui/dialogs/FilterDialogViews.h"

#include "src/entry/ListSelPickList.h"
#include "src/filters/frmWageFilter.h"
#include "src/reportgrid/frmInfoFilter.h"
#include "src/settings/frmSetCol.h"
#include "ui/controls/DialogViews.h"
#include "ui/dialogs/PickListView.h"
#include "ui/dialogs/frmInfoFilterView.h"
#include "ui/dialogs/frmSetColView.h"
#include "ui/dialogs/frmSummaryView.h"
#include "ui/dialogs/frmWageFilterView.h"

namespace sp {

void RegisterFilterDialogViews() {
    RegisterDialogView(QStringLiteral("frmWageFilter"),
                       [](DialogModel& model, QWidget* parent) -> std::unique_ptr<QDialog> {
                           auto* filter = dynamic_cast<frmWageFilter*>(&model);
                           if (!filter)
                               return nullptr;
                           return std::make_unique<frmWageFilterView>(*filter, parent);
                       });
    RegisterDialogView(QStringLiteral("frmInfoFilter"),
                       [](DialogModel& model, QWidget* parent) -> std::unique_ptr<QDialog> {
                           auto* filter = dynamic_cast<frmInfoFilter*>(&model);
                           if (!filter)
                               return nullptr;
                           return std::make_unique<frmInfoFilterView>(*filter, parent);
                       });
    RegisterDialogView(QStringLiteral("frmSetCol"),
                       [](DialogModel& model, QWidget* parent) -> std::unique_ptr<QDialog> {
                           auto* columns = dynamic_cast<frmSetCol*>(&model);
                           if (!columns)
                               return nullptr;
                           return std::make_unique<frmSetColView>(*columns, parent);
                       });
    const DialogViewFactory pickList = [](DialogModel& model, QWidget* parent) -> std::unique_ptr<QDialog> {
        auto* list = dynamic_cast<ListSelPickList*>(&model);
        if (!list)
            return nullptr;
        return std::make_unique<PickListView>(*list, parent);
    };
    for (const QString& name : {QStringLiteral("frmList"), QStringLiteral("ItemLookUp"),
                                QStringLiteral("SubMesLookup"), QStringLiteral("ResourceBrowser")})
        RegisterDialogView(name, pickList);
    RegisterSummaryView();
}

}  // namespace sp
