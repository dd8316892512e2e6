#pragma once

#include <QString>
#include <QStringList>

// The filter dialog's and the saved plans' own texts.
namespace sp::FilterTexts {

inline QString Caption() { return QStringLiteral("过滤条件"); }
inline QString ConditionTab() { return QStringLiteral("条件"); }
inline QString To() { return QStringLiteral("至:"); }
inline QString GroupByLabel() { return QStringLiteral("统计方式:"); }
inline QStringList GroupByItems() {
    return {QStringLiteral("计件工资"), QStringLiteral("计时工资"), QStringLiteral("全部")};
}
inline QString OkButton() { return QStringLiteral("确定(&O)"); }
inline QString CancelButton() { return QStringLiteral("取消(&C)"); }
inline QString StartDateLabel() { return QStringLiteral("实际开工日期:"); }
inline QString FinishDateLabel() { return QStringLiteral("实际完工日期:"); }

// Plans.
inline QString PlanColumn() { return QStringLiteral("方案"); }
inline QString PlanLabel() { return QStringLiteral("方案："); }
inline QString DefaultPlan() { return QStringLiteral("默认方案"); }
inline QString PlanNamePrompt() { return QStringLiteral("请输入方案名："); }
inline QString PlanNameTitle() { return QStringLiteral("保存方案"); }
inline QString PlanNameHasControlCharacters() {
    return QStringLiteral("方案名不能包含换行符等控制字符，方案未保存。");
}
inline QString SaveTool() { return QStringLiteral("保存"); }
inline QString DeleteTool() { return QStringLiteral("删除"); }
inline QString ClearTool() { return QStringLiteral("清除"); }
inline QString ViewTool() { return QStringLiteral("查看"); }
inline QStringList ViewMenuItems() {
    return {QStringLiteral("大图标(&G)"), QStringLiteral("小图标(&M)"), QStringLiteral("列表(&L)"),
            QStringLiteral("详细资料(&D)")};
}

// Local list database.
inline QString SettingsSectionPrefix() { return QStringLiteral("Q8SHProcRpt"); }
inline QString GroupByKey() { return QStringLiteral("GroupBy"); }
inline QString LocalFileName() { return QStringLiteral("ErpSwitch.sss"); }
inline QString LocalFileSubFolder() { return QStringLiteral("erpSystem"); }
inline QString LocalConnectionFailed(const QString& path) {
    return QStringLiteral("由于你的ODBC有误，系统不能与文件:'") + path + QStringLiteral("'建立连接。");
}
inline QString LocalFileIsFolder(const QString& path) {
    return QStringLiteral("本地列表文件:'") + path + QStringLiteral("'是一个文件夹，无法打开列表。");
}
inline QString SettingsUnreadable(const QStringList& keys) {
    return QStringLiteral("设置文件中有无法读取的内容，已忽略：") + keys.join(QStringLiteral("、"));
}
inline QString SettingsNotWritable(const QString& path) {
    return QStringLiteral("设置文件无法写入：") + path;
}

// List lookups: production tasks and work bills.
inline QString ProductionTaskCondition() {
    return QStringLiteral(
        "(v1.FCanCellation = 0 And v1.FStatus in(1,2)  and v1.FTranType=85 and v1.froutingid>0)");
}
inline QString WorkBillCondition() { return QStringLiteral("(v1.FCanCellation = 0 And v1.FStatus > 0)"); }
inline QString DepartmentFilter() { return QStringLiteral("FDProperty = 1070"); }

}  // namespace sp::FilterTexts
