#include "src/navigation/WorkBillPicker.h"

#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/navigation/frmList.h"

namespace sp {

namespace {
constexpr qint32 kWorkBillList = 601;
}  // namespace

WorkBillPicker::WorkBillPicker(HostServices& host) : host_(host) {}

QString WorkBillPicker::PickWorkBillNumber() {
    const QString props = ValueOrEmpty<QString>([&] { return host_.PropsString(); });
    const auto connection = host_.NewConnection();
    frmList form(host_);
    form.SetBaseInfo(frmList::BaseInfoOf(props));
    form.SetListID(kWorkBillList);
    form.SetListShowStatus(2);
    form.SetLocalCnn(frmList::ConnectionTextOf(props));
    form.SetMultiSelect(false);
    form.SetFilter(ListFilter());
    form.InitData();
    form.ShowModal();
    host_.Screen().ProcessEvents();
    if (!form.OK())
        return QString();
    const ListSelRowsPtr picked = form.Selected();
    if (!picked || picked->Count() < 1)
        return QString();
    RecordsetPtr rs =
        connection->Execute(QStringLiteral("Select FWorkBillNo From shworkbillentry Where FWBInterID=") +
                            QString::number(Basic::Long(picked->Item(1).Value(QStringLiteral("FInterID")))));
    QString number;
    if (rs && !rs->Eof())
        number = Basic::Text(rs->Field(QStringLiteral("FWorkBillNo")));
    if (rs)
        rs->Close();
    return number;
}

}  // namespace sp
