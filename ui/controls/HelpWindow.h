#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QTextBrowser;

namespace sp {

// The program's own help window: an HTML guide with its pictures, links followed inside
// the window, Back and Forward (buttons, Alt+Left, Alt+Right) and a find bar (Ctrl+F;
// Enter finds the next match, Shift+Enter the one before, Esc closes the bar). It needs
// nothing of the desktop but Qt itself.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the guide at htmlPath from its top; false, and the window unchanged, when the
    // file is missing or cannot be read.
    bool Open(const QString& htmlPath);
    // The absolute path of the guide last opened.
    QString Opened() const { return opened_; }

    QTextBrowser* Browser() const { return browser_; }
    QLineEdit* FindBox() const { return findBox_; }
    QLabel* FindHint() const { return findHint_; }
    QAction* BackAction() const { return back_; }
    QAction* ForwardAction() const { return forward_; }

    // Shows the find bar with its text selected, ready for a new word.
    void ShowFindBar();
    // Finds the find box's text after the selection (before it with backward), going
    // round the guide's end; a word not in the guide leaves a hint in the bar.
    bool FindNext(bool backward);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Narrows the pictures wider than the page to its width (the browser knows no
    // max-width), and gives the others back their own size; again whenever the page's
    // width changes.
    void FitPictures();

    QTextBrowser* browser_;
    QAction* back_;
    QAction* forward_;
    QWidget* findBar_;
    QLineEdit* findBox_;
    QLabel* findHint_;
    QString opened_;
};

}  // namespace sp
