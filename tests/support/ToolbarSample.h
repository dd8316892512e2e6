#pragma once

#include <QStringList>

#include "src/controls/ToolbarModel.h"

namespace sp::test {

// The workbench's toolbar in small: a mode label and radio pair, a check toggle, Save in
// a band and a menu, and a status pane. Clicks are written to `clicks`.
inline void AddSampleTools(ToolbarModel& bar, QStringList* clicks) {
    using namespace Qt::StringLiterals;
    bar.AddLabel(u"lblMode"_s, u"汇报模式："_s);
    bar.AddTool(u"btnModeNew"_s, u"新增"_s, ToolStyle::Radio, u"mode"_s);
    bar.AddTool(u"btnModeEdit"_s, u"修改"_s, ToolStyle::Radio, u"mode"_s);
    bar.AddTool(u"btnCtlChk"_s, u"控制"_s, ToolStyle::Toggle);
    bar.AddTool(u"btnFileSave"_s, u"保存"_s);
    bar.AddTool(u"btnSttInfo"_s, u"就绪"_s);
    bar.AddBand(u"bndMain"_s, BandKind::Toolbar,
                {u"lblMode"_s, u"btnModeNew"_s, u"btnModeEdit"_s, u"btnFileSave"_s});
    bar.AddBand(u"mnuFile"_s, BandKind::Menu, {u"btnFileSave"_s}, u"文件(&F)"_s);
    bar.AddBand(u"mnuMode"_s, BandKind::Menu, {u"btnModeNew"_s, u"btnModeEdit"_s}, u"模式(&M)"_s);
    bar.AddBand(u"bndStatus"_s, BandKind::Status, {u"btnSttInfo"_s});
    bar.SetDispatcher([clicks](const QString& name) { *clicks << name; });
}

}  // namespace sp::test
