#pragma once

#include <QtGlobal>

#include "src/common/Dictionary.h"

namespace sp {

// What ShopProc needs of the workbench window (frmProc).
class IWorkbench {
  public:
    virtual ~IWorkbench() = default;
    virtual void SetUserId(qint32 userId) = 0;
    // Keeps the same dictionary object, never a copy.
    virtual void SetDicFilter(const DictionaryPtr& dicFilter) = 0;
    virtual void SetListStyle(qint32 listStyle) = 0;
    // Returns when the window has closed. An error that ended the window is raised
    // here, after the modal loop has finished, never from inside it.
    virtual void ShowModal() = 0;
};

}  // namespace sp
