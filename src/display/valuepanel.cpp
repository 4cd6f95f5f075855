#include "display/valuepanel.h"

#include <algorithm>
#include <utility>

#include "display/displayfont.h"
#include "display/panelpicture.h"
#include "platform/textu16.h"

namespace {

constexpr COLORREF kBlack = 0x000000;
const CRect kCaptionBox = BoxAt(5, 0, 40, 20);

}  // namespace

CValuePanel::CValuePanel(const PANEL_LOOK& look, std::vector<const PANEL_ITEM*> items)
    : m_look(look), m_items(std::move(items))
{
}

CValuePanel::~CValuePanel() = default;

int CValuePanel::OnCreate()
{
    m_nWidth = m_look.szNormal.cx;
    m_nHeight = m_look.szNormal.cy;
    m_nLargeMode = 0;
    GetClientRect(&m_rcClient);
    m_dcMem.CreateCompatibleDC(nullptr);
    m_bmpMem.CreateBitmap(m_look.szLarge.cx, m_look.szLarge.cy);
    m_dcMem.SelectObject(&m_bmpMem);
    FillBox(BoxAt(0, 0, m_look.szLarge.cx, m_look.szLarge.cy), kBlack);
    LoadPicture(g_picBell, m_bmpBell, m_dcBell);
    DrawCaption(kBlack);
    DrawLabels();
    m_nBlinkCount = 0;
    m_nAlmFlag = 0;
    m_nAlmSw = 0;
    return 1;
}

// Copies the part to be painted: what changed since the last refresh, or all of it after the
// window was covered, moved or shown (or when painted outside the screen's pass).
void CValuePanel::OnPaint(CDC* pDC)
{
    CRect copy(0, 0, m_nWidth, m_nHeight);
    if (!PaintRect().IsRectEmpty()) copy.IntersectRect(copy, PaintRect());
    pDC->BitBlt(copy.left, copy.top, copy.Width(), copy.Height(), &m_dcMem, copy.left, copy.top, SRCCOPY);
}

BOOL CValuePanel::OnEraseBkgnd(CDC* /*pDC*/) { return TRUE; }

void CValuePanel::OnLButtonDblClk(UINT /*flags*/, CPoint /*point*/)
{
    if (CWnd* parent = GetParent()) parent->PostMessage(m_look.nDblClkMsg, 0, 0);
}

void CValuePanel::RefreshIfDirty()
{
    if (m_bDirty != 1) return;
    m_bDirty = 0;
    // Only the part of the picture drawn since the last refresh is marked: the beat heart and
    // the pulse bar change every tick, and copying the whole panel for them would be wasted.
    const CRect changed = m_dcMem.TakeWrittenBounds();
    if (!changed.IsRectEmpty()) InvalidateRect(&changed, TRUE);
}

void CValuePanel::BlinkAlmFrame()
{
    COLORREF colour = kBlack;
    if (m_nAlmFlag == 0) {
        m_nBlinkCount = 0;
    } else {
        // Steps 1, 2, 1, 2, ...: only odd or even matters, and an alarm that lasts for years
        // never overflows the count.
        m_nBlinkCount = m_nBlinkCount % 2 + 1;
        colour = (m_nBlinkCount == 1) ? m_look.crPanel : kAlarmColour;
    }
    FillBox(BoxAt(0, 0, 2, m_nHeight), colour);
    FillBox(CRect(70, 0, m_nWidth, 2), colour);
    FillBox(BoxAt(0, m_nHeight - 2, m_nWidth, 2), colour);
    m_bDirty = 1;
}

void CValuePanel::SetAlmFlag(int alm) { m_nAlmFlag = alm; }

void CValuePanel::SetAlmSw(int almSw, bool force)
{
    if (almSw == m_nAlmSw && !force) return;
    m_nAlmSw = almSw;
    if (almSw == 0) {
        CopyPicture(m_look.rcBell, m_dcBell);
    } else {
        FillBox(m_look.rcBell, kBlack);
    }
    m_bDirty = 1;
}

void CValuePanel::SetLargeMode(int mode)
{
    m_nLargeMode = mode;
    const CSize size = (mode == 0) ? m_look.szNormal : m_look.szLarge;
    FillBox(BoxAt(0, 0, size.cx, size.cy), kBlack);
    DrawCaption(m_look.crCaptionAfterSwitch);
    m_nWidth = size.cx;
    m_nHeight = size.cy;
    DrawLabels();
    RedrawItems();
    SetAlmSw(m_nAlmSw, true);
    UpdateWindow();
}

void CValuePanel::DrawCaption(COLORREF background)
{
    FillBox(kCaptionBox, background);
    m_dcMem.SelectObject(Font(kTextFont));
    m_dcMem.SetTextColor(m_look.crPanel);
    m_dcMem.TextOut(kCaptionBox.left, kCaptionBox.top, m_look.pszCaption);
}

CFont* CValuePanel::Font(int height)
{
    std::unique_ptr<CFont>& font = m_fonts[height];
    if (!font) {
        font = std::make_unique<CFont>();
        CreateDisplayFont(*font, height);
    }
    return font.get();
}

bool CValuePanel::TakeValue(int16_t& cache, int value, bool force)
{
    if (value == cache && !force) return false;
    cache = static_cast<int16_t>(value);
    return true;
}

bool CValuePanel::TakeValue(uint8_t& cache, int value, bool force)
{
    if (value == cache && !force) return false;
    cache = static_cast<uint8_t>(value);
    return true;
}

void CValuePanel::FormatNumber(const NUMBER_RULE& rule, int value, char16_t* text, size_t cap)
{
    if (rule.pszMarkerText != nullptr && value == rule.i16Marker) {
        U16Format(text, cap, "%s", rule.pszMarkerText);
        return;
    }
    if (rule.bRange) value = std::clamp(value, rule.nLow, rule.nHigh);
    if (rule.nDivisor <= 1) {
        U16Format(text, cap, rule.pszFormat, value);
        return;
    }
    // The value goes through single precision as the device's numbers always have.
    const float scaled = static_cast<float>(static_cast<double>(static_cast<float>(value)) / rule.nDivisor);
    U16Format(text, cap, rule.pszFormat, static_cast<double>(scaled));
}

int CValuePanel::SetNumber(const PANEL_ITEM& item, const NUMBER_RULE& rule, int16_t& cache, int value, bool force)
{
    if (!TakeValue(cache, value, force)) return 0;
    char16_t text[32];
    FormatNumber(rule, value, text, 32);
    DrawItemText(item, text);
    return 0;
}

void CValuePanel::DrawItemText(const PANEL_ITEM& item, const char16_t* text, COLORREF colour)
{
    const int layout = Layout();
    const CPoint at = item.rcBox[layout].TopLeft();
    CFont* font = Font(item.nFont[layout]);
    // Each piece of the region is cleared and gets only the part of the text that falls in it:
    // a text wider than the item's region never reaches a neighbour, and whatever it drew is
    // cleared again by the next text of the item.
    for (const CRect& piece : ClearRegion(item, layout)) {
        FillBox(piece, kBlack);
        CDC clipped;
        clipped.AttachTarget(m_bmpMem, CPoint(0, 0), piece);
        clipped.SelectObject(font);
        clipped.SetTextColor(colour);
        clipped.SetBkColor(kBlack);
        clipped.TextOut(at.x, at.y, text);
    }
    m_bDirty = 1;
}

void CValuePanel::FillBox(const CRect& box, COLORREF colour) { m_dcMem.FillSolidRect(box, colour); }

void CValuePanel::CopyPicture(const CRect& box, CDC& picture)
{
    m_dcMem.BitBlt(box.left, box.top, box.Width(), box.Height(), &picture, 0, 0, SRCCOPY);
}

// Of two items whose widest texts reach the same pixels beyond both boxes, the one in the
// smaller font keeps them (the one listed first when the fonts are the same size): a small
// text needs little room beside its box to show whole, while a large text that reaches that
// far has already run past the small item's box.
bool CValuePanel::KeepsSharedRoom(const PANEL_ITEM& item, const PANEL_ITEM& other, int layout) const
{
    if (item.nFont[layout] != other.nFont[layout]) return item.nFont[layout] < other.nFont[layout];
    return std::find(m_items.begin(), m_items.end(), &item) < std::find(m_items.begin(), m_items.end(), &other);
}

void CValuePanel::CollectObstacles(const PANEL_ITEM& item, int layout, std::vector<CRect>& obstacles)
{
    obstacles.push_back(kCaptionBox);
    obstacles.push_back(m_look.rcBell);
    for (const PANEL_ITEM* other : m_items) {
        if (other == &item || other->rcBox[layout].IsRectEmpty()) continue;
        obstacles.push_back(other->rcBox[layout]);
        // Its room beyond its box too, so that no pixel belongs to two items' regions.
        if (KeepsSharedRoom(*other, item, layout)) obstacles.push_back(WideRect(*other, layout));
    }
}

CRect CValuePanel::WideRect(const PANEL_ITEM& item, int layout)
{
    const CRect box = item.rcBox[layout];
    if (item.pszWidest == nullptr) return box;
    m_dcMem.SelectObject(Font(item.nFont[layout]));
    const CSize extent = m_dcMem.GetTextExtent(item.pszWidest);
    const CSize size = (layout == g_nLayoutNormal) ? m_look.szNormal : m_look.szLarge;
    return CRect(box.left, box.top, std::min<int>(size.cx, std::max<int>(box.right, box.left + extent.cx)),
                 std::min<int>(size.cy, std::max<int>(box.bottom, box.top + extent.cy)));
}

std::vector<CRect> CValuePanel::ClearRegion(const PANEL_ITEM& item, int layout)
{
    const CRect box = item.rcBox[layout];
    std::vector<CRect> region{box};
    if (item.pszWidest == nullptr) return region;
    // What the widest text covers beyond the box, less every other item's box and the room
    // beyond their boxes that the items keeping it before this one may take.
    std::vector<CRect> obstacles{box};
    CollectObstacles(item, layout, obstacles);
    std::vector<CRect> beyond{WideRect(item, layout)};
    for (const CRect& other : obstacles) {
        std::vector<CRect> left;
        for (const CRect& piece : beyond) SubtractRect(piece, other, left);
        beyond.swap(left);
    }
    region.insert(region.end(), beyond.begin(), beyond.end());
    return region;
}

void CValuePanel::SubtractRect(const CRect& from, const CRect& cut, std::vector<CRect>& pieces)
{
    CRect overlap;
    if (!overlap.IntersectRect(from, cut)) {
        pieces.push_back(from);
        return;
    }
    if (from.top < overlap.top) pieces.emplace_back(from.left, from.top, from.right, overlap.top);
    if (overlap.bottom < from.bottom) pieces.emplace_back(from.left, overlap.bottom, from.right, from.bottom);
    if (from.left < overlap.left) pieces.emplace_back(from.left, overlap.top, overlap.left, overlap.bottom);
    if (overlap.right < from.right) pieces.emplace_back(overlap.right, overlap.top, from.right, overlap.bottom);
}
