#include "src/reportgrid/frmInfoFilter.h"

#include "src/common/Basic.h"
#include "src/reportgrid/Texts.h"

namespace sp {

frmInfoFilter::frmInfoFilter() : result_(NewDictionary()) {}

QString frmInfoFilter::Caption() const { return ReportTexts::InfoFilterCaption(); }

QString frmInfoFilter::ItemLabel(int index) {
    return index == 0 ? ReportTexts::InfoFilterSerialLabel() : ReportTexts::InfoFilterMemoLabel();
}

void frmInfoFilter::cmdOK_Click() {
    result_->Set(QStringLiteral("FSerial"), Basic::Val(txtItem_[0]));
    // A NUL is no character a memo can hold, and would end the statement's text early.
    result_->Set(QStringLiteral("FMemo"), Basic::SqlQuote(QString(txtItem_[1]).remove(QChar(0))));
    closed_ = true;
}

void frmInfoFilter::cmdCancel_Click() {
    result_.reset();
    closed_ = true;
}

}  // namespace sp
