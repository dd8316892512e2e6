#pragma once

#include <memory>

namespace sp {
class ComponentRegistry;
class Ui;
}  // namespace sp

namespace sp::platform {

class Database;

// Registers the host's lookup dialogs ("NXCGLView.GLView") and resource browser
// ("Q8Resources.Browser") over the database; they show through the given Ui.
void RegisterLookups(ComponentRegistry& registry, std::shared_ptr<Database> db, Ui& ui);

}  // namespace sp::platform
