#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "src/common/Collection.h"
#include "src/common/Dictionary.h"
#include "src/common/Ui.h"
#include "src/entry/shopproc/IFilterDialog.h"
#include "src/filters/FilterBounds.h"
#include "src/filters/FilterListLookup.h"
#include "src/filters/FilterPlanList.h"

namespace sp {

class HostServices;
class ISettingsFile;

// The filter dialog shown before the workbench: seven from/to ranges, the bounds used
// last (settings file), named plans (profile component), and on OK the result
// dictionary that becomes the workbench's dicFilter. Headless: its view only forwards
// the user's actions here and shows the state.
class frmWageFilter : public DialogModel, public IFilterDialog {
  public:
    // What the view does with a key after the model has seen it.
    enum class KeyAction { Pass, Swallow, NextField };

    explicit frmWageFilter(HostServices& host);
    ~frmWageFilter() override;

    QString DialogName() const override { return QStringLiteral("frmWageFilter"); }

    qint32 RptID() const { return rptId_; }
    void SetRptID(qint32 rptId) override { rptId_ = rptId; }

    // Loads, shows modally and unloads (the bounds are written on every close, except
    // one the settings file holds unreadable and the clerk left alone).
    void ShowModal() override;
    // The result dictionary: "OK" and the fourteen bounds after cmdOK; "OK" False
    // otherwise.
    DictionaryPtr Result() override { return result_; }

    // Boxes txtItem(0..13).
    QString txtItem(int index) const;
    // Sets a box from code (plans, lookups, settings); refused characters are stripped.
    void SetTxtItem(int index, const QString& text);
    // The text the user left in a box (typing, paste, drop): refused characters are
    // stripped, the rest is kept. Returns what the box holds now.
    QString UserEdit(int index, const QString& text);
    // A key pressed in box `index`; `text` is what the key would type.
    KeyAction txtItem_KeyDown(int index, int key, const QString& text);
    // A key pressed on button cmdItem(index).
    KeyAction cmdItem_KeyDown(int index, int key);
    // The lookup of that row and side.
    void cmdItem_Click(int index);

    QStringList GroupByItems() const;
    int GroupByIndex() const { return groupBy_; }
    void SetGroupByIndex(int index);

    // Plans.
    const FilterPlanList& lvwProject() const { return plans_; }
    void lvwProject_ItemClick(int index);
    void tlbProject_ButtonClick(const QString& key);
    // Menu items of the view button, 1 to 4.
    void tlbProject_ButtonMenuClick(int menuIndex);
    int ViewButtonTag() const { return viewTag_; }
    const Collection<DictionaryPtr>* PlanEntries() const { return planEntries_.get(); }

    void GetCondition();
    void GetProjectData(QString& planName);
    void SaveProfile(const QString& planName);

    void cmdOK_Click();
    void cmdCancel_Click();
    // Closing the window by its frame: as Cancel.
    void QueryClose() { cmdCancel_Click(); }

    void Form_Load();
    void Form_Activate();
    void Form_Unload();

    // The list lookups (production tasks, work bills) and their local file.
    FilterListLookup& ListLookup() { return listLookup_; }

    // Installed by the view: the model changed (boxes, list, group-by) / wants to close.
    std::function<void()> changed;
    std::function<void()> closeView;

    // Where the bounds used last are kept.
    QString SettingsPath() const;
    QString SettingsSection() const;

  private:
    void FillPlanList();
    // A box the clerk changed (typing, a lookup, a plan, clearing): its bound is written on
    // close even where the file held an unreadable value.
    void ClerkSets(int index, const QString& text);
    // Once per opening: what is wrong with the settings file, in one message box.
    void ReportSettingsProblems();
    bool SettingsWritable();
    void ClearBounds();
    void SaveCommand();
    void DeleteCommand();
    void ItemLookUp(int index, qint32 itemClass, const QString& filter, bool searchFromBox);
    void SubMesLookup(int index, qint32 type);
    void RunListLookup(int index, qint32 listId, const QString& condition, bool workBill);
    void ShowFailure(const ComError& error);
    void Notify();
    void Close();

    HostServices& host_;
    FilterListLookup listLookup_;
    std::shared_ptr<ISettingsFile> settings_;
    qint32 rptId_ = 0;
    DictionaryPtr result_;
    std::array<QString, kFilterBoxCount> boxes_;
    // Boxes whose stored value could not be read and that the clerk has not changed:
    // their keys are left in the file as they are.
    std::array<bool, kFilterBoxCount> keptInFile_{};
    int groupBy_ = 2;
    FilterPlanList plans_;
    int viewTag_ = 0;
    std::unique_ptr<Collection<DictionaryPtr>> planEntries_;
    bool loaded_ = false;
    bool unloaded_ = false;
};

}  // namespace sp
