#include "platform/host/ResLoader.h"

namespace sp::platform {

ResLoader::ResLoader(QString catalogFolder) : folder_(std::move(catalogFolder)) {}

void ResLoader::SetLanguageID(const QString& language) {
    if (language == language_)
        return;
    language_ = language;
    catalog_ = ResLoaderCatalog::Load(folder_, language_);
}

QString ResLoader::LoadString(const QString& key) {
    const QString text = catalog_.Find(key);
    return text.isNull() ? key : text;
}

}  // namespace sp::platform
