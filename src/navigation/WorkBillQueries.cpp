#include "src/navigation/WorkBillQueries.h"

#include "src/common/IgnoreErrors.h"
#include "src/common/Ui.h"
#include "src/entry/HostServices.h"
#include "src/navigation/Texts.h"

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
            ShowInfo(host.Screen(),
                     NavTexts::WorkBillPrefix() + workBillNo + NavTexts::WorkBillNotReportable());
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
