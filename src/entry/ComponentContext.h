#pragma once

#include <QString>

namespace sp {

class ComponentRegistry;
class Ui;

// What the host hands the component's factory: the process's one registry and Ui
// port, and where things are. The component keeps no globals of its own.
struct ComponentContext {
    ComponentRegistry* registry = nullptr;
    Ui* ui = nullptr;
    QString programFolder;    // the host's program folder: settings files live here
    QString componentFolder;  // the component's folder: the help guide lives here
    qint64 processId = 0;     // the operating system's id of this process
};

}  // namespace sp
