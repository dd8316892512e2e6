#include "src/common/Ui.h"

#include "src/common/Texts.h"

namespace sp {

DialogModel::~DialogModel() = default;
Ui::~Ui() = default;

bool Ui::ShowLoadProgress(LoadPane, int, int) { return true; }
void Ui::EndLoadProgress(LoadPane) {}
std::optional<QString> Ui::ChooseSaveFile(const SaveFileRequest&) { return std::nullopt; }
void Ui::PreviewPrint(const PrintPreviewRequest&) {}

QString MessageTitle() { return CommonTexts::MessageTitle(); }

void ShowInfo(Ui& ui, const QString& text) {
    ui.MessageBox({text, MessageTitle(), MsgIcon::Information, MsgButtons::Ok, MsgAnswer::Ok});
}

void ShowPlain(Ui& ui, const QString& text) {
    ui.MessageBox({text, MessageTitle(), MsgIcon::None, MsgButtons::Ok, MsgAnswer::Ok});
}

bool AskYesNo(Ui& ui, const QString& text) {
    return ui.MessageBox({text, MessageTitle(), MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No}) ==
           MsgAnswer::Yes;
}

WaitCursor::WaitCursor(Ui& ui) : ui_(ui) { ui_.SetWaitCursor(true); }
WaitCursor::~WaitCursor() { ui_.SetWaitCursor(false); }

}  // namespace sp
