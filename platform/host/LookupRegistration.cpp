#include "platform/host/LookupRegistration.h"

#include "platform/host/LookupGLView.h"
#include "platform/host/ResourceBrowser.h"
#include "src/common/ComponentRegistry.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

void RegisterLookups(ComponentRegistry& registry, std::shared_ptr<Database> db, Ui& ui) {
    Ui* screen = &ui;
    registry.Register<IGLView>(ProgId::GLView(), [db, screen]() -> std::shared_ptr<IGLView> {
        return std::make_shared<LookupGLView>(db, *screen);
    });
    registry.Register<IResourceBrowser>(ProgId::ResourceBrowser(),
                                        [db, screen]() -> std::shared_ptr<IResourceBrowser> {
                                            return std::make_shared<ResourceBrowser>(db, *screen);
                                        });
}

}  // namespace sp::platform
