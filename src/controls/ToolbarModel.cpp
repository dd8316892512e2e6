#include "src/controls/ToolbarModel.h"

#include "src/common/ComError.h"

namespace sp {

ToolbarModel::ToolbarModel(QObject* parent) : QObject(parent) {}

int ToolbarModel::IndexOf(const QString& name) const {
    for (int i = 0; i < tools_.size(); ++i) {
        if (tools_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int ToolbarModel::CheckedIndex(const QString& name) const {
    const int i = IndexOf(name);
    if (i < 0) {
        throw ComError(ErrorNumber::NotFound, QStringLiteral("ToolbarModel"),
                       QStringLiteral("No tool named %1").arg(name));
    }
    return i;
}

void ToolbarModel::AddTool(const QString& name, const QString& caption, ToolStyle style,
                           const QString& group) {
    ToolState tool;
    tool.name = name;
    tool.caption = caption;
    tool.style = style;
    tool.group = group;
    const int i = IndexOf(name);
    if (i >= 0) {
        // Designing the same tool twice redefines it; it keeps its place.
        tool.enabled = tools_[i].enabled;
        tool.checked = tools_[i].checked;
        tools_[i] = tool;
    } else {
        tools_.append(tool);
    }
    emit toolChanged(name);
}

void ToolbarModel::AddLabel(const QString& name, const QString& caption) {
    AddTool(name, caption);
    tools_[IndexOf(name)].isLabel = true;
}

void ToolbarModel::AddBand(const QString& name, BandKind kind, const QStringList& tools,
                           const QString& caption) {
    for (const QString& tool : tools) CheckedIndex(tool);
    BandState band;
    band.name = name;
    band.caption = caption;
    band.kind = kind;
    band.tools = tools;
    bands_.append(band);
}

bool ToolbarModel::HasTool(const QString& name) const { return IndexOf(name) >= 0; }

bool ToolbarModel::Enabled(const QString& name) const { return tools_[CheckedIndex(name)].enabled; }

void ToolbarModel::SetEnabled(const QString& name, bool enabled) {
    ToolState& tool = tools_[CheckedIndex(name)];
    if (tool.enabled == enabled)
        return;
    tool.enabled = enabled;
    emit toolChanged(tool.name);
}

bool ToolbarModel::Checked(const QString& name) const { return tools_[CheckedIndex(name)].checked; }

void ToolbarModel::SetChecked(const QString& name, bool checked) {
    const int i = CheckedIndex(name);
    if (tools_[i].checked == checked)
        return;
    tools_[i].checked = checked;
    emit toolChanged(tools_[i].name);
    // A radio group keeps one tool checked, whoever checks it.
    if (checked && tools_[i].style == ToolStyle::Radio && !tools_[i].group.isEmpty()) {
        for (ToolState& other : tools_) {
            if (&other != &tools_[i] && other.checked && other.style == ToolStyle::Radio &&
                other.group.compare(tools_[i].group, Qt::CaseInsensitive) == 0) {
                other.checked = false;
                emit toolChanged(other.name);
            }
        }
    }
}

QString ToolbarModel::Caption(const QString& name) const { return tools_[CheckedIndex(name)].caption; }

void ToolbarModel::SetCaption(const QString& name, const QString& caption) {
    ToolState& tool = tools_[CheckedIndex(name)];
    if (tool.caption == caption)
        return;
    tool.caption = caption;
    emit toolChanged(tool.name);
}

QString ToolbarModel::ShortcutText(const QString& name) const {
    return tools_[CheckedIndex(name)].shortcutText;
}

void ToolbarModel::SetShortcutText(const QString& name, const QString& text) {
    ToolState& tool = tools_[CheckedIndex(name)];
    if (tool.shortcutText == text)
        return;
    tool.shortcutText = text;
    emit toolChanged(tool.name);
}

void ToolbarModel::SetDispatcher(std::function<void(const QString&)> dispatcher) {
    dispatcher_ = std::move(dispatcher);
}

void ToolbarModel::Click(const QString& name) {
    const int i = CheckedIndex(name);
    const ToolState& tool = tools_[i];
    if (!tool.enabled || tool.isLabel)
        return;
    switch (tool.style) {
        case ToolStyle::Button:
            break;
        case ToolStyle::Toggle:
            SetChecked(tool.name, !tool.checked);
            break;
        case ToolStyle::Radio:
            SetChecked(tool.name, true);
            break;
    }
    // The dispatcher hears the name as designed, whatever case the caller used.
    const QString designed = tools_[i].name;
    if (dispatcher_)
        dispatcher_(designed);
}

void ToolbarModel::Redraw() { emit redrawRequested(); }

}  // namespace sp
