#pragma once

#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// Q8LangInfo.LangInfo: the language the user logged in with.
class LangInfo : public ILangInfo {
  public:
    explicit LangInfo(QString language) : language_(std::move(language)) {}
    QString CurrentLanguage() override { return language_; }

  private:
    QString language_;
};

}  // namespace sp::platform
