// The saved plans of the filter dialog: the plan list, its toolbar, and loading and
// storing a plan's bounds through the profile component.

#include <algorithm>

#include "src/common/Basic.h"
#include "src/common/ComponentRegistry.h"
#include "src/common/ErrorLog.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/filters/Texts.h"
#include "src/filters/frmWageFilter.h"

namespace sp {

namespace {

QString PlanKey(const QString& name) { return QStringLiteral("P") + name; }

}  // namespace

void frmWageFilter::FillPlanList() {
    // A store that cannot answer still leaves the default plan to pick.
    const RecordsetPtr stored = ValueOrEmpty<RecordsetPtr>([&] {
        auto profile = host_.Registry().Create<IPlanProfile>(ProgId::PlanProfile());
        return profile->GetPlanList(host_.PropsString(), rptId_);
    });
    plans_.Clear();
    plans_.Add(FilterTexts::DefaultPlan(), FilterTexts::DefaultPlan());
    if (stored) {
        IgnoreErrors([&] {
            for (stored->MoveFirst(); !stored->Eof(); stored->MoveNext()) {
                const QString name = Basic::Text(stored->Field(QStringLiteral("FPlan")));
                if (name != FilterTexts::DefaultPlan())
                    plans_.Add(PlanKey(name), name);
            }
        });
    }
    Notify();
}

void frmWageFilter::lvwProject_ItemClick(int index) {
    if (index < 0 || index >= plans_.Count())
        return;
    plans_.Select(index);
    QString name = plans_.At(index).text;
    GetProjectData(name);
}

void frmWageFilter::GetProjectData(QString& planName) {
    if (plans_.Count() == 0) {
        plans_.Add(FilterTexts::DefaultPlan(), FilterTexts::DefaultPlan());
        plans_.Select(0);
    }
    RecordsetPtr values;
    try {
        auto profile = host_.Registry().Create<IPlanProfile>(ProgId::PlanProfile());
        values = profile->GetPlanValue(host_.PropsString(), rptId_, Basic::SqlQuote(planName));
    } catch (const ComError& e) {
        // The boxes keep what they show.
        ShowFailure(e);
        return;
    }
    if (!values) {
        GetCondition();
        return;
    }
    // A plan without an entry for a key, or with an unreadable value, empties that box.
    for (int i = 0; i < kFilterBoxCount; ++i) {
        const QString key = FilterBoundKey(i);
        const QString value = ValueOrEmpty<QString>([&] {
            values->SetFilter(QStringLiteral("FKey='") + key + QLatin1Char('\''));
            if (values->Eof())
                return QString();
            return Basic::Text(values->Field(QStringLiteral("FValue")));
        });
        ClerkSets(i, value);
    }
    Notify();
}

void frmWageFilter::SaveProfile(const QString& planName) {
    planEntries_ = std::make_unique<Collection<DictionaryPtr>>();
    for (int i = 0; i < kFilterBoxCount; ++i) {
        DictionaryPtr entry = NewDictionary();
        entry->Set(QStringLiteral("RptID"), rptId_);
        entry->Set(QStringLiteral("Plan"), planName);
        entry->Set(QStringLiteral("Key"), FilterBoundKey(i));
        entry->Set(QStringLiteral("Value"), boxes_[static_cast<size_t>(i)]);
        planEntries_->Add(entry);
    }
    auto profile = host_.Registry().Create<IPlanProfile>(ProgId::PlanProfile());
    profile->SaveProfile(host_.PropsString(), *planEntries_);
}

void frmWageFilter::tlbProject_ButtonClick(const QString& key) {
    const QString command = key.toUpper();
    if (command == QStringLiteral("TLBSAVE")) {
        SaveCommand();
    } else if (command == QStringLiteral("TLBDEL")) {
        DeleteCommand();
    } else if (command == QStringLiteral("TLBCLEAR")) {
        ClearBounds();
    } else if (command == QStringLiteral("TLBVIEW")) {
        viewTag_ = (viewTag_ + 1) % 4;
        plans_.SetView(viewTag_);
        Notify();
    }
}

void frmWageFilter::tlbProject_ButtonMenuClick(int menuIndex) {
    if (menuIndex < 1 || menuIndex > 4)
        return;
    viewTag_ = menuIndex - 1;
    plans_.SetView(viewTag_);
    Notify();
}

void frmWageFilter::SaveCommand() {
    const FilterPlanList::Item* selected = plans_.SelectedItem();
    QString name;
    if (plans_.Count() == 0) {
        name = FilterTexts::DefaultPlan();
    } else {
        // Nothing selected counts as the default plan: it is never overwritten unasked.
        name = selected ? selected->text : FilterTexts::DefaultPlan();
        if (name == FilterTexts::DefaultPlan()) {
            const auto answer = host_.Screen().InputBox(FilterTexts::PlanNamePrompt(),
                                                        FilterTexts::PlanNameTitle(), QString());
            name = answer.value_or(QString());
        }
    }
    // A name of blanks only would be a plan nobody can tell from another: not saved.
    if (name.trimmed().isEmpty())
        return;
    // A plan name is one line of text; a pasted control character (a NUL would cut the
    // store's statement) is refused with the reason.
    if (std::any_of(name.cbegin(), name.cend(),
                    [](QChar c) { return c.category() == QChar::Other_Control; })) {
        ShowInfo(host_.Screen(), FilterTexts::PlanNameHasControlCharacters());
        return;
    }
    try {
        SaveProfile(name);
    } catch (const ComError& e) {
        ShowFailure(e);
        return;
    }
    FillPlanList();
    if (plans_.Count() > 0)
        plans_.Select(plans_.IndexOfKey(PlanKey(name)));
    Notify();
}

void frmWageFilter::DeleteCommand() {
    if (plans_.Count() == 0)
        return;
    const FilterPlanList::Item* selected = plans_.SelectedItem();
    if (!selected)
        return;
    const QString name = selected->text;
    try {
        auto profile = host_.Registry().Create<IPlanProfile>(ProgId::PlanProfile());
        profile->DelPlan(host_.PropsString(), rptId_, Basic::SqlQuote(name));
    } catch (const ComError& e) {
        ShowFailure(e);
        return;
    }
    FillPlanList();
    QString load = FilterTexts::DefaultPlan();
    if (plans_.Count() > 0) {
        plans_.Select(0);
        load = plans_.At(0).text;
    }
    GetProjectData(load);
}

void frmWageFilter::ShowFailure(const ComError& error) {
    ErrorLog::Write(error.Source(), error.Description());
    ShowInfo(host_.Screen(), error.Description());
}

}  // namespace sp
