#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace sp {

// How a click changes a tool's checked state before the dispatcher hears it.
enum class ToolStyle {
    Button,  // state is the commands' business
    Toggle,  // a click flips it
    Radio,   // a click checks it and unchecks the others of its group
};

enum class BandKind { Toolbar, Menu, Status };

struct ToolState {
    QString name;
    QString caption;
    bool enabled = true;
    bool checked = false;
    bool isLabel = false;  // a caption in a band, not a command
    ToolStyle style = ToolStyle::Button;
    QString group;
    QString shortcutText;  // shown beside the caption in menus, e.g. "Ctrl+E"
};

struct BandState {
    QString name;
    QString caption;  // a menu's caption, e.g. "文件(&F)"
    BandKind kind = BandKind::Toolbar;
    QStringList tools;  // names, in order; the same tool may stand in several bands
};

// The toolbar control, headless: tools by name (compared without regard to case)
// with caption, enabled and checked states, shown in bands and menus. A click
// reports the tool's name to the dispatcher.
class ToolbarModel : public QObject {
    Q_OBJECT
  public:
    explicit ToolbarModel(QObject* parent = nullptr);

    void AddTool(const QString& name, const QString& caption, ToolStyle style = ToolStyle::Button,
                 const QString& group = QString());
    void AddLabel(const QString& name, const QString& caption);
    void AddBand(const QString& name, BandKind kind, const QStringList& tools,
                 const QString& caption = QString());

    bool HasTool(const QString& name) const;
    // Unknown names raise ComError.
    bool Enabled(const QString& name) const;
    void SetEnabled(const QString& name, bool enabled);
    bool Checked(const QString& name) const;
    void SetChecked(const QString& name, bool checked);
    QString Caption(const QString& name) const;
    void SetCaption(const QString& name, const QString& caption);
    // The key the window maps to the tool, shown in menus; the window handles the key.
    QString ShortcutText(const QString& name) const;
    void SetShortcutText(const QString& name, const QString& text);

    const QVector<ToolState>& Tools() const { return tools_; }
    const QVector<BandState>& Bands() const { return bands_; }
    QString Font() const { return font_; }
    void SetFont(const QString& family) { font_ = family; }

    void SetDispatcher(std::function<void(const QString& toolName)> dispatcher);
    // A user's click: ignored when disabled; applies the style's state change, then
    // reports to the dispatcher.
    void Click(const QString& name);
    // "Let the toolbar redraw": views repaint now.
    void Redraw();

  signals:
    void toolChanged(const QString& name);
    void redrawRequested();

  private:
    int IndexOf(const QString& name) const;
    int CheckedIndex(const QString& name) const;

    QVector<ToolState> tools_;
    QVector<BandState> bands_;
    QString font_;
    std::function<void(const QString&)> dispatcher_;
};

}  // namespace sp
