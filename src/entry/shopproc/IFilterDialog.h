#pragma once

#include <QtGlobal>

#include "src/common/Dictionary.h"

namespace sp {

// What ShopProc needs of the filter dialog (frmWageFilter).
class IFilterDialog {
  public:
    virtual ~IFilterDialog() = default;
    virtual void SetRptID(qint32 rptId) = 0;
    // Returns when the dialog has closed; an error is raised after its modal loop.
    virtual void ShowModal() = 0;
    // The dialog's result dictionary ("OK" and the bounds); null when it has none.
    virtual DictionaryPtr Result() = 0;
};

}  // namespace sp
