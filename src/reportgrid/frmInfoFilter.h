#pragma once

#include <QString>
#include <array>

#include "src/common/Dictionary.h"
#include "src/common/Ui.h"

namespace sp {

// The record info filter: narrows a work bill's report history by serial and by a
// part of the memo. Result() is the dictionary made at load, filled by cmdOK
// ("FSerial" as a number, "FMemo" with "'" doubled); null after cmdCancel. Closing
// the window otherwise leaves the empty dictionary (no filter), not a cancel.
class frmInfoFilter : public DialogModel {
  public:
    frmInfoFilter();

    QString DialogName() const override { return QStringLiteral("frmInfoFilter"); }
    QString Caption() const;
    // txtItem(0): serial, txtItem(1): memo.
    const QString& txtItem(int index) const { return txtItem_.at(static_cast<size_t>(index)); }
    void SetTxtItem(int index, const QString& text) { txtItem_.at(static_cast<size_t>(index)) = text; }
    static QString ItemLabel(int index);

    void cmdOK_Click();
    void cmdCancel_Click();
    bool Closed() const { return closed_; }

    const DictionaryPtr& Result() const { return result_; }

  private:
    std::array<QString, 2> txtItem_;
    DictionaryPtr result_;
    bool closed_ = false;
};

}  // namespace sp
