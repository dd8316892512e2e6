#include "src/filters/frmWageFilter.h"

#include "src/common/Basic.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/entry/Texts.h"
#include "src/filters/FilterBoxInput.h"
#include "src/filters/Texts.h"
#include "src/navigation/LongNumberMode.h"

namespace sp {

namespace {

bool IsLookupKey(int key) { return key == Qt::Key_F7 || key == Qt::Key_F8; }

}  // namespace

frmWageFilter::frmWageFilter(HostServices& host) : host_(host), listLookup_(host), result_(NewDictionary()) {
    result_->Set(QStringLiteral("OK"), false);
    // Without a settings object the dialog still works: it starts with empty boxes and
    // forgets the bounds on close.
    IgnoreErrors([&] {
        settings_ = host_.Registry().Create<ISettingsFile>(ProgId::SettingsFile());
        settings_->SetFile(SettingsPath());
    });
}

frmWageFilter::~frmWageFilter() = default;

QString frmWageFilter::SettingsPath() const { return host_.InProgramFolder(EntryTexts::SettingsFileName()); }

QString frmWageFilter::SettingsSection() const {
    return FilterTexts::SettingsSectionPrefix() + QString::number(rptId_);
}

void frmWageFilter::ShowModal() {
    Form_Load();
    host_.Screen().ShowModal(*this);
    Form_Unload();
}

void frmWageFilter::Form_Load() {
    loaded_ = true;
    unloaded_ = false;
    groupBy_ = 2;
    FillPlanList();
    plans_.SetView(0);
    viewTag_ = 0;
    plans_.Select(0);
    GetCondition();
    Notify();
    ReportSettingsProblems();
}

void frmWageFilter::ReportSettingsProblems() {
    if (!settings_)
        return;
    QStringList problems;
    QStringList unreadable;
    for (int i = 0; i < kFilterBoxCount; ++i)
        if (keptInFile_[static_cast<size_t>(i)])
            unreadable << FilterBoundKey(i);
    if (!unreadable.isEmpty())
        problems << FilterTexts::SettingsUnreadable(unreadable);
    if (!SettingsWritable())
        problems << FilterTexts::SettingsNotWritable(SettingsPath());
    if (!problems.isEmpty())
        ShowInfo(host_.Screen(), problems.join(QLatin1Char('\n')));
}

bool frmWageFilter::SettingsWritable() {
    // A component that cannot tell is written to as before; its Write logs a failure.
    bool writable = true;
    IgnoreErrors([&] { writable = settings_->Writable(); });
    return writable;
}

void frmWageFilter::Form_Activate() {
    // The wait cursor of whoever opened the dialog is theirs to end (the Ui port counts
    // nested cursors), so activation has nothing to reset here.
}

void frmWageFilter::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    // A file that cannot be written was named when the dialog opened; nothing is tried.
    if (settings_ && SettingsWritable()) {
        const QString section = SettingsSection();
        for (int i = 0; i < kFilterBoxCount; ++i)
            if (!keptInFile_[static_cast<size_t>(i)])
                IgnoreErrors(
                    [&] { settings_->Write(section, FilterBoundKey(i), boxes_[static_cast<size_t>(i)]); });
        IgnoreErrors(
            [&] { settings_->Write(section, FilterTexts::GroupByKey(), QString::number(groupBy_)); });
    }
    planEntries_.reset();
}

QString frmWageFilter::txtItem(int index) const {
    return index >= 0 && index < kFilterBoxCount ? boxes_[static_cast<size_t>(index)] : QString();
}

void frmWageFilter::SetTxtItem(int index, const QString& text) {
    if (index < 0 || index >= kFilterBoxCount)
        return;
    ClerkSets(index, text);
    Notify();
}

QString frmWageFilter::UserEdit(int index, const QString& text) {
    if (index < 0 || index >= kFilterBoxCount)
        return {};
    // No Notify: the view that reported the edit already shows it (it re-reads the
    // returned text when something was stripped).
    ClerkSets(index, text);
    return boxes_[static_cast<size_t>(index)];
}

void frmWageFilter::ClerkSets(int index, const QString& text) {
    boxes_[static_cast<size_t>(index)] = FilterBoxInput::Clean(text);
    keptInFile_[static_cast<size_t>(index)] = false;
}

frmWageFilter::KeyAction frmWageFilter::txtItem_KeyDown(int index, int key, const QString& text) {
    if (IsLookupKey(key)) {
        cmdItem_Click(index);
        return KeyAction::Swallow;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return KeyAction::NextField;
    if (FilterBoxInput::RefusesTyped(text))
        return KeyAction::Swallow;
    return KeyAction::Pass;
}

frmWageFilter::KeyAction frmWageFilter::cmdItem_KeyDown(int index, int key) {
    // Enter and Space press the button, as a click does.
    if (IsLookupKey(key) || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        cmdItem_Click(index);
        return KeyAction::Swallow;
    }
    return KeyAction::Pass;
}

void frmWageFilter::cmdItem_Click(int index) {
    switch (index) {
        case 0:
        case 1:
            ItemLookUp(index, 2, FilterTexts::DepartmentFilter(), true);
            break;
        case 2:
        case 3:
            ItemLookUp(index, 14, QString(), false);
            break;
        case 4:
        case 5:
            RunListLookup(index, 36, FilterTexts::ProductionTaskCondition(), false);
            break;
        case 6:
        case 7:
            RunListLookup(index, 601, FilterTexts::WorkBillCondition(), true);
            break;
        case 8:
        case 9:
            SubMesLookup(index, 62);
            break;
        case 10:
        case 11:
            ItemLookUp(index, 3, QString(), true);
            break;
        case 12:
        case 13:
            SubMesLookup(index, 61);
            break;
        default:
            break;
    }
}

void frmWageFilter::ItemLookUp(int index, qint32 itemClass, const QString& filter, bool searchFromBox) {
    // A lookup that fails is shown by the host's error display, like every lookup;
    // failed or cancelled, it leaves the box as it is.
    LookupResultPtr chosen;
    try {
        auto view = host_.Registry().Create<IGLView>(ProgId::GLView());
        const QVariant search = searchFromBox ? QVariant(txtItem(index)) : QVariant();
        chosen = view->ItemLookUp(itemClass, search, filter, nullptr);
    } catch (const ComError& e) {
        IgnoreErrors([&] { host_.Registry().Create<IErrorDisplay>(ProgId::ErrorDisplay())->HandleError(e); });
        return;
    }
    if (!chosen || !chosen->ReturnOK || !chosen->ReturnObject)
        return;
    const LookupEntry& entry = *chosen->ReturnObject;
    // Group-level entries name no department, work center or worker of their own.
    if (!Basic::Bool(entry.Detail))
        return;
    const QString number =
        LongNumberMode() ? entry.Number : Basic::Text(entry.Properties.value(QStringLiteral("FShortNumber")));
    SetTxtItem(index, number);
    host_.Screen().ProcessEvents();
}

void frmWageFilter::SubMesLookup(int index, qint32 type) {
    const LookupOutcome outcome = ValueOrEmpty<LookupOutcome>(
        [&] { return host_.ShowLookup(type, QString(), QStringLiteral(" "), 1, false); });
    if (!outcome.lookup || !outcome.lookup->ReturnOK || !outcome.lookup->ReturnObject)
        return;
    SetTxtItem(index, outcome.lookup->ReturnObject->Number);
}

void frmWageFilter::RunListLookup(int index, qint32 listId, const QString& condition, bool workBill) {
    const ListSelRowsPtr picked = listLookup_.ShowICList(listId, condition);
    if (!picked || picked->Count() < 1)
        return;
    // The picked ids go into the statement as numbers, never as text.
    QString number;
    const bool found = IgnoreErrors([&] {
        const ListSelRow& row = picked->Item(1);
        const QString interId = QString::number(Basic::Long(row.Value(QStringLiteral("FInterID"))));
        QString sql;
        QString field;
        if (workBill) {
            sql = QStringLiteral("Select FWorkBillNo From SHWorkBillEntry Where FWBInterID=") + interId +
                  QStringLiteral(" and  FEntryId = ") +
                  QString::number(Basic::Long(row.Value(QStringLiteral("FEntryID"))));
            field = QStringLiteral("FWorkBillNo");
        } else {
            sql = QStringLiteral("Select FBillNo From ICMO Where FInterID=") + interId;
            field = QStringLiteral("FBillNo");
        }
        auto connection = host_.NewConnection();
        RecordsetPtr rs = connection->Execute(sql);
        if (!rs || rs->Eof())
            throw ComError(ErrorNumber::NotFound, QStringLiteral("frmWageFilter"),
                           QStringLiteral("No row for %1").arg(interId));
        number = Basic::Text(rs->Field(field));
        rs->Close();
    });
    if (found)
        SetTxtItem(index, number);
}

QStringList frmWageFilter::GroupByItems() const { return FilterTexts::GroupByItems(); }

void frmWageFilter::SetGroupByIndex(int index) {
    if (index >= 0 && index < GroupByItems().size())
        groupBy_ = index;
}

void frmWageFilter::GetCondition() {
    result_ = NewDictionary();
    result_->Set(QStringLiteral("OK"), false);
    const QString section = SettingsSection();
    // Values the file holds but that cannot be read give empty boxes and stay in the file.
    const QStringList unreadable = ValueOrEmpty<QStringList>(
        [&] { return settings_ ? settings_->UnreadableKeys(section) : QStringList(); });
    for (int i = 0; i < kFilterBoxCount; ++i) {
        // A missing, unreadable or garbled file gives empty boxes.
        const QString value = ValueOrEmpty<QString>([&] {
            if (!settings_)
                return QString();
            return settings_->Read(section, FilterBoundKey(i), QString());
        });
        boxes_[static_cast<size_t>(i)] = FilterBoxInput::Clean(value);
        keptInFile_[static_cast<size_t>(i)] = unreadable.contains(FilterBoundKey(i));
    }
    Notify();
}

void frmWageFilter::cmdOK_Click() {
    result_->Set(QStringLiteral("OK"), true);
    for (int i = 0; i < kFilterBoxCount; ++i) result_->Set(FilterBoundKey(i), boxes_[static_cast<size_t>(i)]);
    Close();
}

void frmWageFilter::cmdCancel_Click() { Close(); }

void frmWageFilter::Close() {
    if (closeView)
        closeView();
}

void frmWageFilter::Notify() {
    if (changed)
        changed();
}

void frmWageFilter::ClearBounds() {
    for (int i = 0; i < kFilterBoxCount; ++i) ClerkSets(i, QString());
    groupBy_ = 2;
    Notify();
}

}  // namespace sp
