#pragma once

#include <QHash>
#include <QWidget>

#include "src/controls/GridModel.h"
#include "ui/controls/GridTableView.h"

class QLineEdit;
class QTableView;

namespace sp {

class GridEditorValidator;
class GridTableModel;

// The grid control on screen: a table of a GridModel's data rows under its fixed
// rows as header, the frozen columns in a second table that stays put while the rest
// scrolls, and one in-cell editor. Every key, click and column drag becomes a
// GridModel call; what the grid then does (move, open or close the editor, refuse a
// locked cell) is the model's decision, which this widget only shows.
class GridView : public QWidget, private GridInputHandler {
    Q_OBJECT
  public:
    explicit GridView(GridModel* model, QWidget* parent = nullptr);
    ~GridView() override;

    GridModel* Model() const { return model_; }
    // Forms name their grids as the rules know them ("vlgProc", "vlgList").
    void SetName(const QString& name) { setObjectName(name); }

    QTableView* Table() const;
    QTableView* FrozenTable() const;
    QLineEdit* Editor() const { return editor_; }

    // Pixels of a twips measure on this widget's screen, and back.
    int ToPixels(double twips) const;
    double ToTwips(int pixels) const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // GridInputHandler
    void GridKeyPressed(QKeyEvent* event) override;
    void GridTextTyped(const QString& text) override;
    void GridMousePressed(QTableView* view, QMouseEvent* event) override;
    void GridMouseDragged(QTableView* view, QMouseEvent* event) override;
    void GridDoubleClicked(QTableView* view, QMouseEvent* event) override;

    void ApplyLayout();
    void ApplyColumn(int col);
    void ApplyRowHeight(int row);
    void ApplyCurrent();
    void ApplySelection();
    void ApplyEditor(bool open);
    void ApplyScroll(int topRow, int leftCol);
    void ApplyHeaderHeight();
    void UpdateFrozenGeometry();
    void UpdateEditorGeometry();
    void EnsureVisible(int row, int col);
    void ReportScroll();
    void ReportClientSize();
    int FrozenWidth() const;
    bool PageKey(int key);
    // The grid cell under a mouse position of one of the tables; false outside the data.
    bool CellAt(QTableView* view, const QPoint& pos, int* row, int* col) const;
    void OnSectionResized(int logical, int oldSize, int newSize);
    void OnSectionMoved(int logical, int oldVisual, int newVisual);
    // Whether the user may drag the header of this grid column, or drop one there.
    bool UserMayMove(int col) const;
    void CommitUserResizes();

    GridModel* model_;
    GridTableModel* adapter_;
    GridTableView* table_;
    GridTableView* frozen_;
    QLineEdit* editor_ = nullptr;
    GridEditorValidator* validator_;
    bool syncing_ = false;  // applying the model to the views: no feedback
    int anchorRow_ = 0;
    QHash<int, int> pendingResizes_;  // column -> pixels, until the mouse lets go
};

}  // namespace sp
