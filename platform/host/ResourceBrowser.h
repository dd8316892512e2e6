#pragma once

#include <memory>

#include "src/entry/HostInterfaces.h"

namespace sp {
class Ui;
}

namespace sp::platform {

class Database;

// Q8Resources.Browser: a new browser per use; Show runs the device list modally.
class ResourceBrowser : public IResourceBrowser {
  public:
    ResourceBrowser(std::shared_ptr<Database> db, Ui& ui);

    void SetShowType(qint32 showType) override { showType_ = showType; }
    void SetShowMode(qint32 showMode) override { showMode_ = showMode; }
    void SetFilter(const QString& filter) override { filter_ = filter; }
    void Show() override;
    DictionaryPtr Result() override { return result_; }

  private:
    std::shared_ptr<Database> db_;
    Ui& ui_;
    qint32 showType_ = 0;
    qint32 showMode_ = 1;  // one device is picked; no other mode is offered
    QString filter_;
    DictionaryPtr result_;
};

}  // namespace sp::platform
