#include "ui/controls/HelpWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextList>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/controls/Texts.h"

namespace sp {

namespace T = ControlViewTexts;

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(T::HelpTitle());
    resize(900, 700);

    auto* toolbar = new QToolBar(this);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_ = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), T::HelpBack());
    back_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    back_->setEnabled(false);
    forward_ = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), T::HelpForward());
    forward_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    forward_->setEnabled(false);
    QAction* find = toolbar->addAction(T::HelpFind());
    find->setShortcut(QKeySequence::Find);

    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    browser_->viewport()->installEventFilter(this);
    connect(back_, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward_, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(T::HelpTitleOf(browser_->documentTitle()));
        FitPictures();
    });
    connect(find, &QAction::triggered, this, &HelpWindow::ShowFindBar);

    findBar_ = new QWidget(this);
    auto* findRow = new QHBoxLayout(findBar_);
    findRow->setContentsMargins(6, 2, 6, 4);
    findBox_ = new QLineEdit(findBar_);
    findBox_->setPlaceholderText(T::HelpFindPlaceholder());
    findBox_->installEventFilter(this);
    findHint_ = new QLabel(findBar_);
    findHint_->setStyleSheet(QStringLiteral("color: #b00000;"));
    findRow->addWidget(new QLabel(T::HelpFindLabel(), findBar_));
    findRow->addWidget(findBox_, 1);
    findRow->addWidget(findHint_, 1);
    findBar_->hide();
    connect(findBox_, &QLineEdit::textEdited, findHint_, &QLabel::clear);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(browser_, 1);
    layout->addWidget(findBar_);
}

bool HelpWindow::Open(const QString& htmlPath) {
    const QFileInfo file(htmlPath);
    QFile probe(file.absoluteFilePath());
    if (!file.isFile() || !probe.open(QIODevice::ReadOnly))
        return false;
    // Pictures are named relative to the guide's folder.
    browser_->setSearchPaths({file.absolutePath()});
    browser_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    opened_ = file.absoluteFilePath();
    return true;
}

void HelpWindow::ShowFindBar() {
    findBar_->show();
    findBox_->setFocus(Qt::ShortcutFocusReason);
    findBox_->selectAll();
}

bool HelpWindow::FindNext(bool backward) {
    findHint_->clear();
    const QString text = findBox_->text();
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (browser_->find(text, flags))
        return true;
    // Past the last match: on from the other end of the guide.
    const QTextCursor kept = browser_->textCursor();
    QTextCursor fromEnd(browser_->document());
    fromEnd.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    browser_->setTextCursor(fromEnd);
    if (browser_->find(text, flags))
        return true;
    browser_->setTextCursor(kept);
    findHint_->setText(T::HelpNotFound(text));
    return false;
}

void HelpWindow::FitPictures() {
    QTextDocument* document = browser_->document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    const int page = browser_->viewport()->width() - browser_->verticalScrollBar()->sizeHint().width();
    // Found first and changed afterwards: a change of format renumbers the fragments (a
    // picture is one character, so positions stay). Each picture's room is the page less
    // its paragraph's indent on either side.
    struct Picture {
        int position;
        qreal room;
        QTextImageFormat image;
    };
    QList<Picture> pictures;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        // A list item stands in by its list's indent, which the block's own margin leaves out.
        const int steps =
            block.blockFormat().indent() + (block.textList() ? block.textList()->format().indent() : 0);
        const qreal indent = layout->blockBoundingRect(block).left() + block.blockFormat().leftMargin() +
                             steps * document->indentWidth();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
            if (image.isValid())
                pictures.append({it.fragment().position(), page - 2 * indent, image});
        }
    }
    QTextCursor cursor(document);
    for (auto& [position, room, image] : pictures) {
        const QVariant data = document->resource(QTextDocument::ImageResource, QUrl(image.name()));
        QImage picture = data.value<QImage>();
        if (picture.isNull())
            picture.loadFromData(data.toByteArray());
        if (picture.isNull() || room <= 0)
            continue;
        const qreal width = std::min<qreal>(picture.width(), room);
        if (qFuzzyCompare(image.width(), width))
            continue;
        image.setWidth(width);
        image.setHeight(picture.height() * width / picture.width());
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(image);
    }
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == browser_->viewport() && event->type() == QEvent::Resize)
        FitPictures();
    if (watched == findBox_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            FindNext((key->modifiers() & Qt::ShiftModifier) != 0);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            findHint_->clear();
            findBar_->hide();
            browser_->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace sp
