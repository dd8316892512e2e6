#pragma once

#include <QString>
#include <cstdio>
#include <optional>

#include "src/common/Ui.h"

namespace sp {

// A clerk who takes every message box's default button and closes every dialog; what
// was said is counted (and echoed to stderr when asked), so a benchmark that meets a
// message can tell.
class DefaultAnswers final : public Ui {
  public:
    explicit DefaultAnswers(bool echo = false) : echo_(echo) {}

    MsgAnswer MessageBox(const MessageRequest& request) override {
        ++messages;
        last = request.text;
        if (echo_)
            std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return request.defaultButton;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void SetWaitCursor(bool) override {}
    void ShowModal(DialogModel& model) override {
        ++dialogs;
        if (echo_)
            std::fprintf(stderr, "dialog closed: %s\n", qPrintable(model.DialogName()));
    }
    void ProcessEvents() override {}
    bool ShowHelp(const QString&) override { return false; }

    int messages = 0;
    int dialogs = 0;
    QString last;

  private:
    bool echo_;
};

}  // namespace sp
