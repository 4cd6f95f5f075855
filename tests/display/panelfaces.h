// The six value panels as the tests meet them: how to make one, its message, and its numeric
// items with a setter, the widest value and shorter ones with the text each shows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/monitordefs.h"
#include "display/staticbpvaluenormal.h"
#include "display/staticvalueecgnormal.h"
#include "display/staticvaluefanormal.h"
#include "display/staticvaluerespnormal.h"
#include "display/staticvaluespo2normal.h"
#include "display/staticvaluetempnormal.h"
#include "recordingparent.h"
#include "surfacecheck.h"

struct ValueCase {
    int value;
    std::u16string text;
};

struct NumericItem {
    const char* name;
    size_t index;  // into the panel's Items()
    std::function<void(CValuePanel&, int)> set;
    ValueCase widest;
    std::vector<ValueCase> shorter;
};

// A fixed label of a panel: drawn by the panel itself, or by show (a label setter) when given.
struct LabelItem {
    size_t index;  // into the panel's Items()
    std::u16string text;
    COLORREF colour;
    std::function<void(CValuePanel&)> show;
};

struct PanelFace {
    const char* name;
    std::function<std::unique_ptr<CValuePanel>()> make;
    UINT message;
    std::vector<NumericItem> numbers;
    std::vector<LabelItem> labels;
};

template <typename Panel>
std::function<void(CValuePanel&, int)> Setter(int (Panel::*set)(short, bool))
{
    return [set](CValuePanel& p, int v) { (static_cast<Panel&>(p).*set)(static_cast<short>(v), false); };
}

template <typename Panel>
std::function<void(CValuePanel&, int)> PairSetter(int (Panel::*set)(int, int, bool))
{
    return [set](CValuePanel& p, int v) { (static_cast<Panel&>(p).*set)(v, v, false); };
}

template <typename Panel>
std::function<void(CValuePanel&)> Show(int (Panel::*set)(short, bool), short value)
{
    return [set, value](CValuePanel& p) { (static_cast<Panel&>(p).*set)(value, true); };
}

template <typename Panel>
std::function<std::unique_ptr<CValuePanel>()> Maker()
{
    return [] { return std::make_unique<Panel>(); };
}

inline std::vector<PanelFace> AllFaces()
{
    using Ecg = CStaticValueECGNormal;
    using Spo2 = CStaticValueSPO2Normal;
    using Temp = CStaticValueTempNormal;
    using Resp = CStaticValueRespNormal;
    using Fa = CStaticValueFANormal;
    using Bp = CStaticBPValueNormal;
    const std::vector<ValueCase> toShort = {{5, u"5"}, {42, u"42"}};
    const std::vector<ValueCase> toShortOrMarker = {{5, u"5"}, {-100, u"---"}, {42, u"42"}};
    return {
        {"ECG", Maker<Ecg>(), WM_PANEL_ECG_DBLCLK,
         {{"HR", 0, Setter(&Ecg::SetHr), {300, u"300"}, toShortOrMarker},
          {"HR high", 1, Setter(&Ecg::SetHrAlmH), {300, u"300"}, toShort},
          {"HR low", 2, Setter(&Ecg::SetHrAlmL), {300, u"300"}, toShort},
          {"PVCs", 4, Setter(&Ecg::SetPvcs), {99, u"PVCs 99"}, {{0, u"PVCs 0"}}},
          {"ST1", 5, Setter(&Ecg::SetSt1), {-100, u"ST1 -1.00"}, {{5, u"ST1 0.05"}, {-10000, u"ST1 ---"}}},
          {"ST2", 6, Setter(&Ecg::SetSt2), {-100, u"ST2 -1.00"}, {{0, u"ST2 0.00"}, {-10000, u"ST2 ---"}}}},
         {{3, u"ECG", Ecg::kPanelColour, Show(&Ecg::SetHrSource, 0)},
          {3, u"血氧", Ecg::kSpo2SourceColour, Show(&Ecg::SetHrSource, 1)},
          {7, u"起搏关", Ecg::kPanelColour, Show(&Ecg::SetPaceSw, 0)},
          {7, u"起搏开", Ecg::kPanelColour, Show(&Ecg::SetPaceSw, 1)}}},
        {"NIBP", Maker<Bp>(), WM_PANEL_BP_DBLCLK,
         {{"NIBP", 0, PairSetter(&Bp::SetNibp), {300, u"300/300"}, {{0, u"0/0"}, {80, u"80/80"}}},
          {"NIBP high", 1, PairSetter(&Bp::SetNibpAlmH), {300, u"300/300"}, {{0, u"0/0"}}},
          {"NIBP low", 2, PairSetter(&Bp::SetNibpAlmL), {300, u"300/300"}, {{0, u"0/0"}}},
          {"NIBP middle", 3, [](CValuePanel& p, int v) { static_cast<Bp&>(p).SetNibpMidValue(v, false); },
           {300, u"300"}, {{0, u"0"}}}},
         {{5, u"mmHg", Bp::kTextColour, nullptr}}},
        {"TEMP", Maker<Temp>(), WM_PANEL_TEMP_DBLCLK,
         {{"TEMP", 0, Setter(&Temp::SetTemp), {-32768, u"-3276.8"},
           {{5, u"0.5"}, {-100, u"---"}, {-3276, u"-327.6"}, {365, u"36.5"}}},
          {"TEMP high", 1, Setter(&Temp::SetTempAlmH), {-32768, u"-3276.8"}, {{5, u"0.5"}, {-3276, u"-327.6"}}},
          {"TEMP low", 2, Setter(&Temp::SetTempAlmL), {-32768, u"-3276.8"}, {{5, u"0.5"}, {-3276, u"-327.6"}}}},
         {{3, u"C", Temp::kPanelColour, Show(&Temp::SetTempUnit, 0)},
          {3, u"F", Temp::kPanelColour, Show(&Temp::SetTempUnit, 1)}}},
        {"SPO2", Maker<Spo2>(), WM_PANEL_SPO2_DBLCLK,
         {{"SpO2", 0, Setter(&Spo2::SetSpo2), {100, u"100"}, toShortOrMarker},
          {"PR", 1, Setter(&Spo2::SetPr), {300, u"300"}, toShortOrMarker},
          {"SpO2 high", 2, Setter(&Spo2::SetSpo2AlmH), {100, u"100"}, toShort},
          {"SpO2 low", 3, Setter(&Spo2::SetSpo2AlmL), {100, u"100"}, toShort},
          {"PR high", 4, Setter(&Spo2::SetPrAlmH), {300, u"300"}, toShort},
          {"PR low", 5, Setter(&Spo2::SetPrAlmL), {300, u"300"}, toShort}},
         {{6, u"%", Spo2::kValueColour, nullptr}, {7, u"PR(BPM)", Spo2::kValueColour, nullptr}}},
        {"RESP", Maker<Resp>(), WM_PANEL_RESP_DBLCLK,
         {{"RR", 0, Setter(&Resp::SetRr), {150, u"150"}, toShortOrMarker},
          {"RR high", 1, Setter(&Resp::SetRrAlmH), {100, u"100"}, toShort},
          {"RR low", 2, Setter(&Resp::SetRrAlmL), {100, u"100"}, toShort}},
         {{3, u"RPM", Resp::kValueColour, nullptr}}},
        {"FA", Maker<Fa>(), WM_PANEL_FA_DBLCLK,
         {{"O2", 0, Setter(&Fa::SetAirOxy), {100, u"100"}, toShortOrMarker},
          {"O2 high", 1, Setter(&Fa::SetAirOxyAlmH), {100, u"100"}, toShort},
          {"O2 low", 2, Setter(&Fa::SetAirOxyAlmL), {100, u"100"}, toShort}},
         {{3, u"%", Fa::kValueColour, nullptr}}},
    };
}

// A panel created as a child of a recording parent, at its normal size.
struct CreatedPanel {
    RecordingParent parent;
    std::unique_ptr<CValuePanel> panel;
    explicit CreatedPanel(const PanelFace& face) : panel(face.make())
    {
        const CSize size = panel->Look().szNormal;
        panel->Create(u"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(CPoint(940, 60), size), &parent, 123);
    }
};

// True when the item of the panel's current layout shows exactly text in colour: its box and
// what the text covers beyond it, outside other items' regions, hold the text on black alone.
inline bool ItemShows(CValuePanel& panel, size_t index, const std::u16string& text, COLORREF colour)
{
    const int layout = panel.GetLargeMode() == 0 ? g_nLayoutNormal : g_nLayoutLarge;
    const PANEL_ITEM& item = *panel.Items().at(index);
    const CRect box = item.rcBox[layout];
    const CRect wide = surfacecheck::TextRect(box.TopLeft(), text, item.nFont[layout]);
    const CSize size = panel.GetLayoutSize();
    const CRect area(box.left, box.top, std::min(size.cx, std::max(box.right, wide.right)),
                     std::min(size.cy, std::max(box.bottom, wide.bottom)));
    std::vector<CRect> others;
    for (const PANEL_ITEM* other : panel.Items()) {
        if (other == &item) continue;
        for (const CRect& r : panel.ClearRegion(*other, layout)) others.push_back(r);
    }
    return surfacecheck::ShowsOnly(panel.Surface(), area, box.TopLeft(), text, item.nFont[layout], colour, 0, false, others);
}

inline bool ItemShows(CValuePanel& panel, size_t index, const std::u16string& text)
{
    return ItemShows(panel, index, text, panel.Items().at(index)->crText);
}

// Sets each value in turn and expects the item to show its text.
inline void ExpectShown(CValuePanel& panel, size_t index, const std::function<void(CValuePanel&, int)>& set,
                        const std::vector<ValueCase>& cases)
{
    for (const ValueCase& c : cases) {
        set(panel, c.value);
        EXPECT_TRUE(ItemShows(panel, index, c.text)) << c.value;
    }
}
