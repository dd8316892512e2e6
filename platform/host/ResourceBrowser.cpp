#include "platform/host/ResourceBrowser.h"

#include "platform/host/ResourceBrowserModel.h"
#include "src/common/Ui.h"

namespace sp::platform {

ResourceBrowser::ResourceBrowser(std::shared_ptr<Database> db, Ui& ui) : db_(std::move(db)), ui_(ui) {}

void ResourceBrowser::Show() {
    result_.reset();
    ResourceBrowserModel model(db_, showType_, filter_);
    model.Reload();
    ui_.ShowModal(model);
    result_ = model.Result();
}

}  // namespace sp::platform
