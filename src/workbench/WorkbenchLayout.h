#pragma once

namespace sp {

// A control's place in the frame, in twips (15 per pixel at 96 dpi).
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const TwipRect&) const = default;
};

// Where the workbench's panes sit inside the frame fraBar, and how the two splitter
// bars move them. Headless: the window applies the rectangles.
//
// Upper part: the tree tvw, the bar imgSpliterH beside it and the work bill list
// vlgList (lblList on the same rectangle). Below the bar imgSpliterV, across the whole
// width: the record grid vlgProc (lblProc on the same rectangle).
//
// The tree is shown (it holds the work bills by department and production task or by
// work center), so the list starts right of imgSpliterH rather than at the frame's
// margin; every other measure is as the constants below give it.
//
// The list keeps its height when the window changes size, except that a frame too short
// for the list and the record grid's least height (the window sets it: the grid's header
// and three data rows) takes the difference from the list, down to MinPane; the list gets
// its height back as the frame grows again. The bar between them is never moved so far
// down that the grid would drop below that least height either.
class WorkbenchLayout {
  public:
    static constexpr int Margin = 120;    // around the panes
    static constexpr int Bar = 60;        // thickness of a splitter bar
    static constexpr int MinPane = 300;   // a bar stays this far from the pane it shrinks
    static constexpr int FarLimit = 480;  // and this far from the frame's far edge
    static constexpr int ListRightGap = 180;
    static constexpr int InitialTreeWidth = 3000;
    static constexpr int InitialListHeight = 3600;

    enum class Splitter { None, Vertical /* imgSpliterH */, Horizontal /* imgSpliterV */ };

    WorkbenchLayout();

    // The window's inner size changed.
    void Resize(int frameWidth, int frameHeight);

    // The least height the record grid keeps, in twips; 0 (the start) for none. Takes
    // effect with the next Resize or bar move.
    void SetMinGridHeight(int height) { minGridHeight_ = height > 0 ? height : 0; }
    int MinGridHeight() const { return minGridHeight_; }

    // A new position offered for a bar; false (and nothing moved) when it breaks a limit.
    bool MoveSpliterV(int newTop);
    bool MoveSpliterH(int newLeft);

    // Dragging with the left button, pointer positions in frame twips. Each move offers
    // the bar's position at the start plus the pointer's movement since then.
    void BeginDrag(Splitter bar, int pointerPos);
    bool DragTo(int pointerPos);
    void EndDrag();
    bool Dragging() const { return dragging_ != Splitter::None; }

    const TwipRect& fraBar() const { return fraBar_; }
    const TwipRect& tvw() const { return tvw_; }
    const TwipRect& imgSpliterH() const { return spliterH_; }
    const TwipRect& vlgList() const { return list_; }
    const TwipRect& lblList() const { return list_; }
    const TwipRect& imgSpliterV() const { return spliterV_; }
    const TwipRect& vlgProc() const { return grid_; }
    const TwipRect& lblProc() const { return grid_; }

  private:
    void PlaceList();

    TwipRect fraBar_;
    TwipRect tvw_;
    TwipRect spliterH_;
    TwipRect list_;
    TwipRect spliterV_;
    TwipRect grid_;
    int listHeight_ = InitialListHeight;  // the list's height when the frame has room for it
    int minGridHeight_ = 0;
    Splitter dragging_ = Splitter::None;
    int dragStartPointer_ = 0;
    int dragStartBar_ = 0;
};

}  // namespace sp
