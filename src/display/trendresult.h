// A trend tile: a 160 x 114 static that keeps the last 100 values of up to eight parameters
// and shows one of them: the scale top, caption and scale bottom in a 59-pixel column on the
// left, and on the right a dotted 100 x 100 grid with the history as single pixels, newest at
// the left. A double click selects the next item. UI thread only; no lock.
#pragma once

#include <cstdint>
#include <vector>

#include "display/trendresulttype.h"
#include "display/trendring.h"
#include "platform/dc.h"
#include "platform/static.h"

constexpr int g_i32TrendResultWidth = 160;
constexpr int g_i32TrendResultHeight = 114;

class CTrendResult : public CStatic {
public:
    static constexpr int kMaxItems = 8;
    static constexpr int kHistoryLen = 100;

    explicit CTrendResult(COLORREF crText);
    ~CTrendResult() override;

    // Appends a copy of item; with eight items already, the first is dropped together with its
    // history, and every other item keeps its own history.
    void AddItem(const TREND_RESULT_TYPE& item);
    // Stores value in the history of the first item whose id is id; other ids are dropped.
    void AddValue(int16_t id, int16_t value);
    // Redraws background, caption and history, then invalidates the window.
    void Refresh();
    void DrawBackground();
    void DrawCaption();
    void DrawHistory();

    int GetSel() const { return m_nSel; }
    int GetItemCount() const { return static_cast<int>(m_listItem.size()); }
    // The tile's picture, as it will be painted.
    CDC* GetPicture() { return &m_dcDraw; }

    // The no-value marker of a parameter id: -10000 for ST (2), -100 for the others.
    static int16_t InvalidValueOf(int16_t id);
    // Height 0..100 of value on a plot from bottom (0) to top (100).
    static int PlotLevel(int value, int top, int bottom);

protected:
    int OnCreate() override;
    void OnPaint(CDC* pDC) override;
    void OnDestroy() override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;

private:
    bool HasPicture() const;
    void DrawGrid();

    int m_nSel = 0;
    CRect m_rcClient;
    CDC m_dcDraw;
    CBitmap m_bmpDraw;
    CDC m_dcBack;
    CBitmap m_bmpBack;
    CFont m_font;
    COLORREF m_crText;
    int m_bDestroyed = 0;
    std::vector<TREND_RESULT_TYPE> m_listItem;
    char16_t m_szName[8] = {};
    // The history of the item at the same list position.
    std::vector<TREND_RING> m_pHistory;
};
