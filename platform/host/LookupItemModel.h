#pragma once

#include "platform/host/LookupListModel.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// The base-data lookup (ItemLookUp): departments (class 2), employees (3) and work
// centers (14). Group-level entries are listed too; their Detail is False.
class LookupItemModel : public LookupListModel {
  public:
    // Raises ComError (ErrorNumber::Refused) for a class it does not serve.
    LookupItemModel(std::shared_ptr<Database> db, qint32 itemClass, QString filter, bool shortNumbers);

    static bool Serves(qint32 itemClass);
    // The chosen entry, or nullptr when the user cancelled.
    LookupResultPtr Result() const;

  protected:
    std::pair<QString, QVariantList> Statement(const QString& search) const override;

  private:
    qint32 itemClass_;
    QString filter_;
};

}  // namespace sp::platform
