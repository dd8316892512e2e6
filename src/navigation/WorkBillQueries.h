#pragma once

#include <QString>

namespace sp {

class HostServices;

// True when the number names a work bill that may be reported on. An empty number is
// never asked and never reported; with showMessage a refused number is reported in an
// information box. A failing middle tier counts as "no", silently.
bool IsExistWB(HostServices& host, const QString& workBillNo, bool showMessage = false);

// The number of the work bill with that internal id; empty when the middle tier fails.
QString GetWBNO(HostServices& host, qint32 interId);

}  // namespace sp
