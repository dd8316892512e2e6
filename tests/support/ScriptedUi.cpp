#include "tests/support/ScriptedUi.h"

#include <QBuffer>
#include <QPdfWriter>

namespace sp {
namespace {

// The next of the scripted answers, or the fallback when none is left.
template <class T>
T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty())
        return fallback;
    T next = queue.front();
    queue.pop_front();
    return next;
}

QString PaneName(LoadPane pane) {
    return pane == LoadPane::List ? QStringLiteral("List") : QStringLiteral("History");
}

}  // namespace

MsgAnswer ScriptedUi::MessageBox(const MessageRequest& request) {
    messages.append(request);
    return request.buttons == MsgButtons::Ok ? MsgAnswer::Ok : Next(answers, request.defaultButton);
}

std::optional<QString> ScriptedUi::InputBox(const QString& prompt, const QString&, const QString&) {
    inputPrompts.append(prompt);
    return Next(inputs, std::optional<QString>());
}

void ScriptedUi::SetWaitCursor(bool on) {
    waitDepth += on ? 1 : -1;
    maxWaitDepth = std::max(maxWaitDepth, waitDepth);
}

void ScriptedUi::ShowModal(DialogModel& model) {
    const QString name = model.DialogName();
    dialogsShown.append(name);
    const auto it = dialogHandlers.constFind(name);
    if (it != dialogHandlers.cend() && it.value())
        it.value()(model);
}

std::optional<QString> ScriptedUi::ChooseSaveFile(const SaveFileRequest& request) {
    saveRequests.append(request.title + u'|' + request.path + u'|' + request.filters.join(u';'));
    return Next(saveFiles, std::optional<QString>());
}

void ScriptedUi::PreviewPrint(const PrintPreviewRequest& request) {
    previews.append(request.title);
    // The preview draws the pages, as the screen's would.
    QBuffer pages;
    pages.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pages);
        writer.setPageLayout(request.layout);
        if (request.paint)
            request.paint(writer);
    }
    previewBytes.append(pages.size());
    if (pressPdf && request.savePdf)
        request.savePdf();
}

bool ScriptedUi::ShowHelp(const QString& htmlPath) {
    helpShown.append(htmlPath);
    return helpShows;
}

bool ScriptedUi::ShowLoadProgress(LoadPane pane, int rowsRead, int total) {
    loadProgress.append(QStringLiteral("%1 %2/%3").arg(PaneName(pane)).arg(rowsRead).arg(total));
    return cancelLoadAfterRows < 0 || rowsRead < cancelLoadAfterRows;
}

void ScriptedUi::EndLoadProgress(LoadPane pane) { loadProgressEnded.append(PaneName(pane)); }

QStringList ScriptedUi::MessageTexts() const {
    QStringList texts;
    for (const auto& m : messages) texts.append(m.text);
    return texts;
}

void ScriptedUi::Clear() {
    messages.clear();
    inputPrompts.clear();
    dialogsShown.clear();
    helpShown.clear();
    loadProgress.clear();
    loadProgressEnded.clear();
}

}  // namespace sp
