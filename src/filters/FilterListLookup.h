#pragma once

#include <QString>

#include "src/navigation/ICListSel.h"

namespace sp {

class HostServices;

// The filter dialog's list lookups (production tasks, work bills) through frmList,
// and the local list file "ErpSwitch.sss" the list control needs beside the program.
class FilterListLookup {
  public:
    explicit FilterListLookup(HostServices& host);

    // The picked rows, or nullptr (Nothing) when the list could not be opened, was
    // cancelled or nothing was picked.
    ListSelRowsPtr ShowICList(qint32 listId, const QString& condition);

    // Connection text of the local list file: the given path, or the first of
    // "ErpSwitch.sss" and "erpSystem/ErpSwitch.sss" in the program folder. Empty when
    // no file is found (quietly), or after telling the user when only a folder stands in
    // its place or the file cannot be opened.
    QString LocalCnnString(const QString& path = QString());

  private:
    HostServices& host_;
};

}  // namespace sp
