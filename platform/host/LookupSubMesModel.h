#pragma once

#include "platform/host/LookupListModel.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// The auxiliary-data lookup (SubMesLookup): entries of one type of t_SubMessage,
// such as 61 processes and 62 teams. The entry's code is its Number.
class LookupSubMesModel : public LookupListModel {
  public:
    LookupSubMesModel(std::shared_ptr<Database> db, qint32 type);

    // The chosen entry, or nullptr when the user cancelled.
    LookupResultPtr Result() const;

  protected:
    std::pair<QString, QVariantList> Statement(const QString& search) const override;

  private:
    qint32 type_;
};

}  // namespace sp::platform
