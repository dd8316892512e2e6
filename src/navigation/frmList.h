#pragma once

#include <QString>

#include "src/entry/ListSelPickList.h"
#include "src/navigation/ICListSel.h"

namespace sp {

class HostServices;

// The modal list selection form: one ICListSel filling the form. Its members pass
// through to the control, except OK, which says whether the user confirmed a
// selection. Used for picking work bills (list 601) and production tasks (list 36).
class frmList : public ListSelPickList {
  public:
    explicit frmList(HostServices& host);
    ~frmList() override;

    QString DialogName() const override { return QStringLiteral("frmList"); }

    // Pass-through members.
    QString DestBillTransType() const { return control_.DestBillTransType(); }
    void SetDestBillTransType(const QString& v) { control_.SetDestBillTransType(v); }
    void SetListShowStatus(qint32 v) { control_.SetListShowStatus(v); }
    void SetListID(qint32 v) { control_.SetListID(v); }
    void SetBaseInfo(const QString& v) { control_.SetBaseInfo(v); }
    void SetMultiSelect(bool v) { control_.SetMultiSelect(v); }
    void SetCanSelectMultiRow(bool v) { control_.SetCanSelectMultiRow(v); }
    ListSelRowsPtr Selected() const { return control_.Selected(); }
    void SetFilter(const QString& v) { control_.SetFilter(v); }
    void SetSelectFlag(qint32 v) { control_.SetSelectFlag(v); }
    void SetLocalCnn(const QString& v) { control_.SetLocalCnn(v); }

    bool OK() const { return ok_; }
    // Loads the list; call after the members are set and before ShowModal.
    void InitData();
    // Shows the form modally (a form whose list could not be loaded unloads at once).
    void ShowModal();

    ICListSel& Control() { return control_; }
    const ICListSel& Control() const { return control_; }

    // The control's commands ("SelectOK", "Exit").
    void ControlCommand(const QString& command);
    // Form resize: the control fills the inner area.
    void Resize(int innerWidth, int innerHeight);
    int ControlWidth() const { return controlWidth_; }
    int ControlHeight() const { return controlHeight_; }
    bool Unloaded() const { return unloaded_; }
    void Unload();

    // ListSelPickList
    QString Caption() const override { return caption_; }
    int ColumnCount() const override { return control_.ColumnCount(); }
    QString ColumnTitle(int column) const override { return control_.ColumnTitle(column); }
    int RowCount() const override { return control_.RowCount(); }
    QVariant Cell(int row, int column) const override { return control_.Cell(row, column); }
    QString SearchText() const override { return control_.SearchText(); }
    void SetSearchText(const QString& text) override;
    int CurrentRow() const override { return control_.CurrentRow(); }
    void SetCurrentRow(int row) override { control_.SetCurrentRow(row); }
    void Confirm() override { control_.SelectOK(); }
    void Cancel() override { control_.Exit(); }
    void Activated() override;

    // The parts of the login property string a list needs: the text between the first
    // "{" and the next "}", and "connection|user id|user name".
    static QString ConnectionTextOf(const QString& propsString);
    static QString BaseInfoOf(const QString& propsString);

  private:
    void Hide();

    HostServices& host_;
    ICListSel control_;
    QString caption_;
    bool ok_ = false;
    bool loadOk_ = false;
    bool unloaded_ = false;
    int controlWidth_ = 0;
    int controlHeight_ = 0;
};

}  // namespace sp
