#include "ui/controls/DialogViews.h"

#include <QHash>

namespace sp {

namespace {

QHash<QString, DialogViewFactory>& Registry() {
    static QHash<QString, DialogViewFactory> views;
    return views;
}

}  // namespace

void RegisterDialogView(const QString& dialogName, DialogViewFactory factory) {
    Registry().insert(dialogName.toLower(), std::move(factory));
}

DialogViewFactory FindDialogView(const QString& dialogName) { return Registry().value(dialogName.toLower()); }

}  // namespace sp
