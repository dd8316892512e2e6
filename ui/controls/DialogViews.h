#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "src/common/Ui.h"

namespace sp {

// The Qt view of a headless dialog model. A factory builds the dialog bound to the
// model and names it after the form ("frmWageFilter") so screenshots can find it.
using DialogViewFactory = std::function<std::unique_ptr<QDialog>(sp::DialogModel&, QWidget* parent)>;

// One view per dialog name; registering a name again replaces its view.
void RegisterDialogView(const QString& dialogName, DialogViewFactory factory);
// The registered view, or an empty function.
DialogViewFactory FindDialogView(const QString& dialogName);

}  // namespace sp
