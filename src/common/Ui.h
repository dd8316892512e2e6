#pragma once

#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "src/common/Export.h"

class QPagedPaintDevice;

namespace sp {

enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgButtons { Ok, YesNo, OkCancel };
enum class MsgAnswer { Ok, Yes, No, Cancel };
// The panes of the workbench that a long load fills.
enum class LoadPane { List, History };

struct MessageRequest {
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::Information;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer defaultButton = MsgAnswer::Ok;
};

// A file to write: the dialog opens at path (folder and suggested name) and offers
// the filters in order, e.g. "Excel 工作簿 (*.xlsx)".
struct SaveFileRequest {
    QString title;
    QString path;
    QStringList filters;
};

// Pages to preview before they are printed: paint draws them on the preview or on the
// printer the clerk picks; the preview's button of caption pdfCaption calls savePdf.
struct PrintPreviewRequest {
    std::function<void(QPagedPaintDevice&)> paint;
    QPageLayout layout;
    QString title;
    QString pdfCaption;
    std::function<void()> savePdf;
};

// A headless dialog (frmWageFilter, frmList, frmInfoFilter, frmSetCol, a lookup):
// its logic lives in src/, its Qt view in ui/ binds widgets to it.
class SPCOMMON_EXPORT DialogModel {
  public:
    virtual ~DialogModel();
    // The name the screen uses to find the dialog's view, e.g. "frmWageFilter".
    virtual QString DialogName() const = 0;
};

// Everything modal goes through here: Qt implements it in ui/, tests script it.
class SPCOMMON_EXPORT Ui {
  public:
    virtual ~Ui();
    virtual MsgAnswer MessageBox(const MessageRequest& request) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    // Nested calls count: the pointer is restored when every "on" has had its "off".
    virtual void SetWaitCursor(bool on) = 0;
    // Shows the model's view modally; returns when the dialog has closed.
    virtual void ShowModal(DialogModel& model) = 0;
    // Lets pending window events run, so a window closed just now is gone from the
    // screen before the caller goes on.
    virtual void ProcessEvents() = 0;
    // Shows the HTML guide at htmlPath, with its pictures, in the program's own help
    // window: modeless, one of it (shown again it comes to the front). False when the
    // file is missing or cannot be read.
    virtual bool ShowHelp(const QString& htmlPath) = 0;
    // A long load (LoadProgress) has read rowsRead of total rows (total -1 when not
    // known): the pane shows the count and a button to cancel, the screen repaints, and
    // the answer is false once the clerk has cancelled. Nothing else the clerk does
    // reaches the component meanwhile. Without a screen nothing shows and nobody cancels.
    virtual bool ShowLoadProgress(LoadPane pane, int rowsRead, int total);
    // The load has ended, read to its end or cancelled: the progress goes.
    virtual void EndLoadProgress(LoadPane pane);
    // The path the clerk chose to write, with the suffix of the chosen filter when the
    // name had none; nullopt when cancelled. Without a screen: nullopt.
    virtual std::optional<QString> ChooseSaveFile(const SaveFileRequest& request);
    // Shows the print preview until the clerk closes it. Without a screen: nothing.
    virtual void PreviewPrint(const PrintPreviewRequest& request);
};

// The system's message box title and the three shapes its messages take.
SPCOMMON_EXPORT QString MessageTitle();  // "Vorlane提示"
SPCOMMON_EXPORT void ShowInfo(Ui& ui, const QString& text);
SPCOMMON_EXPORT void ShowPlain(Ui& ui, const QString& text);  // OK only, no icon
// Yes/No, question icon, No as default; true when the answer is Yes.
SPCOMMON_EXPORT bool AskYesNo(Ui& ui, const QString& text);

// Keeps the wait cursor for a scope.
class SPCOMMON_EXPORT WaitCursor {
  public:
    explicit WaitCursor(Ui& ui);
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    Ui& ui_;
};

}  // namespace sp
