#pragma once

#include "platform/host/ResLoaderCatalog.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// Q8ResLoader.Loader: texts for the current language from the catalogs shipped with
// the program (":/lang" unless told otherwise). Chinese is the source language; a
// text the catalog does not know comes back as it was asked.
class ResLoader : public IResLoader {
  public:
    explicit ResLoader(QString catalogFolder = DefaultCatalogFolder());
    static QString DefaultCatalogFolder() { return QStringLiteral(":/lang"); }

    QString ResFileBaseName() const override { return baseName_; }
    void SetResFileBaseName(const QString& name) override { baseName_ = name; }
    QString LanguageID() const override { return language_; }
    void SetLanguageID(const QString& language) override;
    QString LoadString(const QString& key) override;

  private:
    QString folder_;
    QString baseName_;
    QString language_;
    ResLoaderCatalog catalog_;
};

}  // namespace sp::platform
