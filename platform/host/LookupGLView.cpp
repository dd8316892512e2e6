#include "platform/host/LookupGLView.h"

#include "platform/host/LookupItemModel.h"
#include "platform/host/LookupSubMesModel.h"
#include "src/common/Basic.h"
#include "src/common/Ui.h"

namespace sp::platform {

LookupGLView::LookupGLView(std::shared_ptr<Database> db, Ui& ui) : db_(std::move(db)), ui_(ui) {}

LookupResultPtr LookupGLView::ItemLookUp(qint32 itemClass, const QVariant& searchText, const QString& filter,
                                         const DictionaryPtr& options) {
    bool shortNumbers = true;
    QString search = Basic::Text(searchText);
    if (options) {
        if (options->Exists(QStringLiteral("BeShortNumber")))
            shortNumbers = Basic::Bool(options->Item(QStringLiteral("BeShortNumber")));
        if (search.isEmpty())
            search = Basic::Text(options->Item(QStringLiteral("Search")));
    }
    LookupItemModel model(db_, itemClass, filter, shortNumbers);
    model.Reload();
    // A search that finds nothing still opens the full list, so the user can pick.
    model.SetSearchText(search);
    if (model.RowCount() == 0 && !search.isEmpty())
        model.SetSearchText(QString());
    ui_.ShowModal(model);
    return model.Result();
}

LookupResultPtr LookupGLView::SubMesLookup(qint32& type, QString& searchText) {
    LookupSubMesModel model(db_, type);
    model.Reload();
    model.SetSearchText(searchText);
    if (model.RowCount() == 0 && !searchText.isEmpty())
        model.SetSearchText(QString());
    ui_.ShowModal(model);
    return model.Result();
}

}  // namespace sp::platform
