#pragma once

#include "platform/host/LookupListModel.h"
#include "src/common/Dictionary.h"

namespace sp::platform {

// The resource browser's list of devices (t_Device). ShowType 1 also shows each
// device's type and work center; 0 shows number and name. The caller's filter (for
// example " Ftype=3 And FworkCenterID=5") is appended to the WHERE clause.
class ResourceBrowserModel : public LookupListModel {
  public:
    ResourceBrowserModel(std::shared_ptr<Database> db, qint32 showType, QString filter);

    // "Fnumber", "Fname", "FinterID", "Ftype", "FworkCenterID" of the chosen device,
    // or nullptr when the user cancelled.
    DictionaryPtr Result() const;

  protected:
    std::pair<QString, QVariantList> Statement(const QString& search) const override;

  private:
    QString filter_;
};

}  // namespace sp::platform
