#include "platform/middletier/PlanProfile.h"

#include <QPair>
#include <QSet>
#include <QVector>

#include "src/common/Basic.h"

namespace sp::platform {

RecordsetPtr PlanProfile::GetPlanList(const QString&, const qint32& rptId) {
    return db_->Query(
        QStringLiteral("SELECT DISTINCT FPlan FROM t_FilterPlan WHERE FRptID = ? ORDER BY FPlan"), {rptId});
}

RecordsetPtr PlanProfile::GetPlanValue(const QString&, const qint32& rptId, const QString& planName) {
    // The name arrives as SQL literal text (quotes doubled); it is bound, not pasted.
    RecordsetPtr rs = db_->Query(
        QStringLiteral("SELECT FKey, FValue FROM t_FilterPlan WHERE FRptID = ? AND FPlan = ? ORDER BY FKey"),
        {rptId, Basic::SqlUnquote(planName)});
    return rs->Eof() ? nullptr : rs;
}

void PlanProfile::SaveProfile(const QString&, const Collection<DictionaryPtr>& entries) {
    // Entries of one save normally belong to one plan; each plan named in them is
    // replaced as a whole, so a key dropped from the dialog does not linger.
    Transaction transaction(*db_);
    QSet<QPair<qint32, QString>> replaced;
    for (const DictionaryPtr& entry : entries) {
        if (!entry)
            continue;
        const qint32 rptId = Basic::Long(entry->Item(QStringLiteral("RptID")));
        const QString plan = Basic::Text(entry->Item(QStringLiteral("Plan")));
        const QString key = Basic::Text(entry->Item(QStringLiteral("Key")));
        if (plan.isEmpty() || key.isEmpty())
            continue;
        if (!replaced.contains({rptId, plan})) {
            db_->Exec(QStringLiteral("DELETE FROM t_FilterPlan WHERE FRptID = ? AND FPlan = ?"),
                      {rptId, plan});
            replaced.insert({rptId, plan});
        }
        db_->Exec(QStringLiteral("DELETE FROM t_FilterPlan WHERE FRptID = ? AND FPlan = ? AND FKey = ?"),
                  {rptId, plan, key});
        const QString value = Basic::Text(entry->Item(QStringLiteral("Value")));
        db_->Exec(
            QStringLiteral("INSERT INTO t_FilterPlan (FRptID, FPlan, FKey, FValue) VALUES (?, ?, ?, ?)"),
            {rptId, plan, key, value.isNull() ? QStringLiteral("") : value});
    }
    transaction.Commit();
}

void PlanProfile::DelPlan(const QString&, const qint32& rptId, const QString& planName) {
    db_->Exec(QStringLiteral("DELETE FROM t_FilterPlan WHERE FRptID = ? AND FPlan = ?"),
              {rptId, Basic::SqlUnquote(planName)});
}

}  // namespace sp::platform
