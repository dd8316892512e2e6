#pragma once

#include <QHash>
#include <QStringList>
#include <QVector>
#include <deque>
#include <functional>

#include "src/common/Ui.h"

namespace sp {

// The Ui port for tests: records every message, answers questions and input boxes
// from queues, and runs a handler per dialog name in place of the user.
class ScriptedUi : public Ui {
  public:
    MsgAnswer MessageBox(const MessageRequest& request) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    void SetWaitCursor(bool on) override;
    void ShowModal(DialogModel& model) override;
    void ProcessEvents() override {}
    bool ShowHelp(const QString& htmlPath) override;
    bool ShowLoadProgress(LoadPane pane, int rowsRead, int total) override;
    void EndLoadProgress(LoadPane pane) override;
    std::optional<QString> ChooseSaveFile(const SaveFileRequest& request) override;
    void PreviewPrint(const PrintPreviewRequest& request) override;

    // Answers for Yes/No questions, in order; when empty a question gets its default button.
    std::deque<MsgAnswer> answers;
    // Answers for input boxes; nullopt is a cancel. When empty an input box is cancelled.
    std::deque<std::optional<QString>> inputs;
    // What the user does in a dialog, by DialogModel::DialogName(). A dialog without a
    // handler closes untouched.
    QHash<QString, std::function<void(DialogModel&)>> dialogHandlers;

    QVector<MessageRequest> messages;
    QStringList inputPrompts;
    QStringList dialogsShown;
    // Each guide the help window was asked to show; helpShows false: it could not.
    QStringList helpShown;
    bool helpShows = true;
    int waitDepth = 0;
    int maxWaitDepth = 0;
    // The clerk presses 取消 once a long load shows at least this many rows read
    // (negative: never).
    int cancelLoadAfterRows = -1;
    // Each progress shown, as "List 5/20" or "History 3/-1", and the progress ended.
    QStringList loadProgress;
    QStringList loadProgressEnded;

    // Answers for save-file dialogs, in order (nullopt: cancelled; none left: cancelled),
    // and each dialog's request as "title|path|filter;filter".
    std::deque<std::optional<QString>> saveFiles;
    QStringList saveRequests;
    // Each preview's title and the size of the pages it drew; with pressPdf the clerk
    // presses its PDF button.
    QStringList previews;
    QVector<qint64> previewBytes;
    bool pressPdf = false;

    QStringList MessageTexts() const;
    void Clear();
};

}  // namespace sp
