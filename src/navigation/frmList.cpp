#include "src/navigation/frmList.h"

#include "src/common/Basic.h"
#include "src/common/IgnoreErrors.h"
#include "src/entry/HostServices.h"
#include "src/navigation/frmListTexts.h"

namespace sp {

frmList::frmList(HostServices& host) : host_(host), control_(host.Registry()) {
    caption_ =
        ValueOrEmpty<QString>([&] { return host_.TranslateText(frmListTexts::ProvisionalCaption(), 0); });
    control_.commandHandler = [this](const QString& command) { ControlCommand(command); };
}

frmList::~frmList() {
    control_.commandHandler = nullptr;
    if (!unloaded_)
        Unload();
}

void frmList::InitData() {
    loadOk_ = control_.InitData();
    ok_ = loadOk_;
    const QString suffix =
        ValueOrEmpty<QString>([&] { return host_.TranslateText(frmListTexts::JournalSuffix(), 0); });
    caption_ = control_.ListName() + suffix;
}

void frmList::ShowModal() {
    unloaded_ = false;
    // A list that could not be loaded closes as soon as it would be activated; not
    // showing it at all spares the user an empty window.
    if (!loadOk_) {
        Unload();
        return;
    }
    host_.Screen().ShowModal(*this);
}

void frmList::Activated() {
    if (!loadOk_) {
        Unload();
        RequestClose();
    }
}

void frmList::ControlCommand(const QString& command) {
    if (command == QStringLiteral("SelectOK")) {
        const ListSelRowsPtr picked = control_.Selected();
        if (!picked || picked->Count() == 0)
            return;
        ok_ = true;
        Hide();
    } else if (command == QStringLiteral("Exit")) {
        Hide();
        ok_ = false;
    }
}

void frmList::Resize(int innerWidth, int innerHeight) {
    if (innerWidth > 0)
        controlWidth_ = innerWidth;
    if (innerHeight > 0)
        controlHeight_ = innerHeight;
}

void frmList::SetSearchText(const QString& text) {
    control_.SetSearchText(text);
    NotifyRowsChanged();
}

void frmList::Hide() { RequestClose(); }

void frmList::Unload() {
    ok_ = false;
    unloaded_ = true;
    control_.CloseList();
}

QString frmList::ConnectionTextOf(const QString& propsString) {
    const qsizetype open = propsString.indexOf(QLatin1Char('{'));
    if (open < 0)
        return {};
    const qsizetype close = propsString.indexOf(QLatin1Char('}'), open + 1);
    return close < 0 ? propsString.mid(open + 1) : propsString.mid(open + 1, close - open - 1);
}

QString frmList::BaseInfoOf(const QString& propsString) {
    const qint32 userId =
        Basic::RoundWhole(Basic::Val(HostServices::PropsValueOf(propsString, QStringLiteral("UserID"))));
    return ConnectionTextOf(propsString) + QLatin1Char('|') + QString::number(userId) + QLatin1Char('|') +
           HostServices::PropsValueOf(propsString, QStringLiteral("UserName"));
}

}  // namespace sp
