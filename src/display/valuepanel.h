// The numeric value panels of the right-hand side of the main screen share this one mechanism:
// an off-screen surface at the large size that the window only copies, items redrawn only when
// their value changed or a redraw is forced, a dirty flag the main dialog turns into a repaint,
// the blinking alarm frame, the crossed bell of a switched-off alarm, the normal and large
// layouts and the double click that asks the main dialog for the parameter's settings dialog.
// Each parameter group's panel is a subclass that names its items and setters.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/bitmap.h"
#include "platform/dc.h"
#include "platform/font.h"
#include "platform/static.h"

// Layout indices of the panels' item tables.
constexpr int g_nLayoutNormal = 0;
constexpr int g_nLayoutLarge = 1;

// A rectangle given as left, top, width and height, as the layout tables give them.
inline CRect BoxAt(int x, int y, int width, int height) { return CRect(x, y, x + width, y + height); }

// Where one item of a panel stands in each layout, in which font and colour, and the widest
// text it can show (a label's own text; null for pictures and bars).
struct PANEL_ITEM {
    CRect rcBox[2];
    int nFont[2];
    COLORREF crText;
    const char16_t* pszWidest;
};

// How a number becomes its text: the no-value marker (compared before clamping), the range a
// copy of the value is clamped into, and the format. A divisor above 1 prints the value as a
// fixed-point number (tenths or hundredths) through a single-precision float.
struct NUMBER_RULE {
    const char* pszFormat;      // "%d" for whole numbers, a float format otherwise
    int nDivisor;               // 1, 10 or 100
    const char* pszMarkerText;  // text shown for the marker; null: the item has no marker
    int16_t i16Marker;
    bool bRange;
    int nLow;
    int nHigh;
};

// What differs between the panel classes besides their items.
struct PANEL_LOOK {
    const char16_t* pszCaption;   // drawn at (5, 0) in 24 px
    COLORREF crPanel;             // caption, frame on odd blink steps
    CSize szNormal;
    CSize szLarge;
    CRect rcBell;                 // the same in both layouts
    UINT nDblClkMsg;              // posted to the parent on a double click
    COLORREF crCaptionAfterSwitch;  // background of the caption after a layout change
};

class CValuePanel : public CStatic {
public:
    static constexpr COLORREF kAlarmColour = 0x408CFF;
    static constexpr int kTextFont = 24;

    CValuePanel(const PANEL_LOOK& look, std::vector<const PANEL_ITEM*> items);
    ~CValuePanel() override;

    // Marks for painting the part of the window whose picture changed since the last refresh.
    void RefreshIfDirty();
    // One 500 ms step of the alarm frame; always marks the surface dirty.
    void BlinkAlmFrame();
    // Stores whether the group is in alarm; the next BlinkAlmFrame shows it.
    void SetAlmFlag(int alm);
    // Shows the crossed bell while the alarm switch is 0, clears the bell box otherwise.
    void SetAlmSw(int almSw, bool force);
    // 0 normal layout, any other value large; redraws everything.
    void SetLargeMode(int mode);

    // The off-screen picture and its state, for the main dialog's painting and for tests.
    const CBitmap& Surface() const { return m_bmpMem; }
    COLORREF GetSurfacePixel(int x, int y) const { return m_bmpMem.GetPixel(x, y); }
    int IsDirty() const { return m_bDirty; }
    int GetLargeMode() const { return m_nLargeMode; }
    CSize GetLayoutSize() const { return CSize(m_nWidth, m_nHeight); }
    const PANEL_LOOK& Look() const { return m_look; }
    const std::vector<const PANEL_ITEM*>& Items() const { return m_items; }
    // The item's own part of the surface in a layout, cleared before each of its texts and the
    // only part a text of it draws into: its box, and whatever the widest text the item can
    // show covers beyond it except the other items' boxes and the pixels beyond their boxes
    // that another item keeps (see KeepsSharedRoom). So no two items' regions share a pixel
    // beyond their boxes, and drawing one item never changes what another shows. The first
    // rectangle is the box.
    std::vector<CRect> ClearRegion(const PANEL_ITEM& item, int layout);

    int OnCreate() override;
    void OnPaint(CDC* pDC) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;

protected:

    // Draws the unit labels of the current layout (the caption is drawn by the base).
    virtual void DrawLabels() = 0;
    // Calls every item setter with its cached value and force true, in the class's order.
    virtual void RedrawItems() = 0;

    int Layout() const { return m_nLargeMode == 0 ? g_nLayoutNormal : g_nLayoutLarge; }
    CFont* Font(int height);
    void MarkDirty() { m_bDirty = 1; }

    // The cached-setter rule: false (nothing to do) when value equals the cache and force is
    // false; otherwise stores the raw value in the cache and returns true.
    static bool TakeValue(int16_t& cache, int value, bool force);
    static bool TakeValue(uint8_t& cache, int value, bool force);
    // Clears the item's region (see ClearRegion) and draws the text at its top-left corner in the
    // item's font of the current layout, clipped to that region; marks the surface dirty.
    void DrawItemText(const PANEL_ITEM& item, const char16_t* text, COLORREF colour);
    void DrawItemText(const PANEL_ITEM& item, const char16_t* text) { DrawItemText(item, text, item.crText); }
    // A complete numeric setter: the cached-setter rule, the marker, the clamp, the format.
    int SetNumber(const PANEL_ITEM& item, const NUMBER_RULE& rule, int16_t& cache, int value, bool force);
    // Fills a rectangle of the surface.
    void FillBox(const CRect& box, COLORREF colour);
    // Copies a picture into a box of the surface; the copy is clipped to the picture.
    void CopyPicture(const CRect& box, CDC& picture);

    CDC m_dcMem;

private:
    // The text of a number under a rule.
    static void FormatNumber(const NUMBER_RULE& rule, int value, char16_t* text, size_t cap);
    void DrawCaption(COLORREF background);
    // The item's box together with what its widest text covers, within the layout's size.
    CRect WideRect(const PANEL_ITEM& item, int layout);
    // Whether item keeps, before other, the pixels beyond both boxes that both widest texts reach.
    bool KeepsSharedRoom(const PANEL_ITEM& item, const PANEL_ITEM& other, int layout) const;
    void CollectObstacles(const PANEL_ITEM& item, int layout, std::vector<CRect>& obstacles);
    // Appends rectangles that together cover from less cut.
    static void SubtractRect(const CRect& from, const CRect& cut, std::vector<CRect>& pieces);

    const PANEL_LOOK& m_look;
    std::vector<const PANEL_ITEM*> m_items;

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nLargeMode = 0;
    CRect m_rcClient;
    CBitmap m_bmpMem;
    CBitmap m_bmpBell;
    CDC m_dcBell;
    std::map<int, std::unique_ptr<CFont>> m_fonts;
    int m_bDirty = 0;
    int m_nBlinkCount = 0;
    int m_nAlmFlag = 0;
    int m_nAlmSw = 0;
};
