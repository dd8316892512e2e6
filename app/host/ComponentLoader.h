#pragma once

#include <QLibrary>
#include <QString>
#include <memory>

#include "src/entry/shopproc/IShopProcComponent.h"

namespace sp::host {

// Loads the component library by name at run time and resolves its entry points.
// The library stays loaded for the life of the process: objects it made may still be
// released late during shutdown.
class ComponentLoader {
  public:
    // name: the library's base name ("shopproc"), in the component folder of the
    // program's install layout.
    explicit ComponentLoader(const QString& name);
    // Raises ComError with the loader's message when the library or an entry point is
    // missing.
    void Load();

    QString FileName() const { return library_.fileName(); }
    // The folder the library was loaded from: the component's folder.
    QString Folder() const;

    ShopProcCreateFunction create = nullptr;
    ShopProcCreateUiFunction createUi = nullptr;

  private:
    QLibrary library_;
};

}  // namespace sp::host
