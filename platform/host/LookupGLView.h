#pragma once

#include <memory>

#include "src/entry/HostInterfaces.h"

namespace sp {
class Ui;
}

namespace sp::platform {

class Database;

// NXCGLView.GLView: the host's modal selection dialogs over the base data.
class LookupGLView : public IGLView {
  public:
    LookupGLView(std::shared_ptr<Database> db, Ui& ui);

    // searchText: the initial search (the search control's text); options may give
    // "BeShortNumber" (show short numbers, the default) and "Search" (initial search
    // when searchText is empty). Cancel gives nullptr.
    LookupResultPtr ItemLookUp(qint32 itemClass, const QVariant& searchText, const QString& filter,
                               const DictionaryPtr& options) override;
    LookupResultPtr SubMesLookup(qint32& type, QString& searchText) override;

  private:
    std::shared_ptr<Database> db_;
    Ui& ui_;
};

}  // namespace sp::platform
