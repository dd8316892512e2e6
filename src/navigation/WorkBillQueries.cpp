#include "navigation/WorkBillQueries.h"

#include "common/IgnoreErrors.h"
#include "common/Ui.h"
#include "entry/HostServices.h"
#include "navigation/Texts.h"

namespace sp {

bool IsExistWB(HostServices& host, const QString& workBillNo, bool showMessage) {
    if (workBillNo.isEmpty())
        return false;
    bool exists = false;
    // A failed question is no answer: nothing is reported then.
    const bool asked = IgnoreErrors([&] {
        const QString props = host.PropsString();
        exists = host.NewMShopProc()->IsExistWB(props, workBillNo);
    });
    if (asked && !exists && showMessage)
        IgnoreErrors([&] {
            ShowInfo(host.Screen(), NavTexts::WorkBillPrefix() + workBillNo + NavTexts::WorkBillNotReportable());
        });
    return exists;
}

QString GetWBNO(HostServices& host, qint32 interId) {
    return ValueOrEmpty<QString>([&] {
        const QString props = host.PropsString();
        return host.NewMShopProc()->GetWorkBillNO(props, interId);
    });
}

}  // namespace sp
