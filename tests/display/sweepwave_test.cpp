#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/ecgwave.h"
#include "display/plethwave.h"
#include "display/respwave.h"
#include "display/wavelayout.h"
#include "platform/headlessscreen.h"
#include "surfacecheck.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kPleth = RGB(128, 205, 255);
constexpr COLORREF kResp = RGB(238, 238, 98);

// Gives tests the picture that the view copies to the window.
template <typename View>
class CTestView : public View {
public:
    CTestView(unsigned int style = 0) : View(0, 0, style) {}
    CDC& Picture() { return this->m_dcMem; }
};

class SweepWaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent.Create(nullptr, CRect(0, 0, 1000, 200), 1);
        target.CreateBitmap(930, 180);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&target);
    }
    template <typename View>
    void Create(View& view, int gain = 0, int speed = 0, int unit = 30, int divisor = 820)
    {
        view.SetScaleUnit(unit);
        view.SetScaleDivisor(divisor);
        view.SetSpeed(speed);
        view.SetGain(gain);
        ASSERT_TRUE(view.Create(&parent, CRect(0, 0, view.Width(), view.Height()), 123,
                                WS_CHILD | WS_VISIBLE | SS_NOTIFY));
    }
    void Add(CSweepWave& view, int sample, int count)
    {
        for (int i = 0; i < count; ++i) view.AddSample(sample);
    }
    // As the screen does: the marked part becomes the paint rectangle, then the paint.
    void Paint(CSweepWave& view)
    {
        view.ClearNeedsPaint();
        view.OnPaint(&dc);
    }
    COLORREF At(int x, int y) const { return target.GetPixel(x, y); }
    // Rows of a column that hold the colour.
    std::vector<int> RowsOf(int x, COLORREF c, int height = 180) const
    {
        std::vector<int> rows;
        for (int y = 0; y < height; ++y)
            if (At(x, y) == c) rows.push_back(y);
        return rows;
    }
    std::vector<uint32_t> Pixels() const { return std::vector<uint32_t>(target.Bits(), target.Bits() + 930 * 180); }

    CWnd parent;
    CBitmap target;
    CDC dc;
};

TEST_F(SweepWaveTest, EcgSamplesLandAtTheirColumnsAndRowsForEachGainAndSpeed)
{
    const int unit = 30, divisor = 820;
    for (int gain = 0; gain <= 2; ++gain) {
        for (int speed = 0; speed <= 1; ++speed) {
            CTestView<CECGWave> view;
            Create(view, gain, speed, unit, divisor);
            int perColumn = 8 / (speed + 1);
            int sample = 2048 + 300;
            int expectedRow = 90 - ((300 * (1 << (gain + 1)) * unit) / divisor) / 4;
            // Ten columns' worth of samples plus one: the trace reaches column 40 + 10 (excluded).
            Add(view, sample, perColumn * 10 + 1);
            Paint(view);
            for (int x = 40; x < 50; ++x) EXPECT_EQ(RowsOf(x, kGreen), std::vector<int>{expectedRow}) << gain << speed << x;
            EXPECT_TRUE(RowsOf(50, kGreen).empty());
            EXPECT_EQ(view.LastX(), 10);
            EXPECT_EQ(view.SweepCount(), perColumn * 10 + 1);
            view.DestroyWindow();
        }
    }
}

TEST_F(SweepWaveTest, EcgCentreSampleAndClamping)
{
    CTestView<CECGWave> view;
    Create(view, 2);
    Add(view, 2048, 9);
    Paint(view);
    EXPECT_EQ(At(40, 90), kGreen);
    EXPECT_EQ(view.LastY(), 90);
    Add(view, 4095, 8);
    Paint(view);
    EXPECT_EQ(view.LastY(), 0);
    Add(view, 0, 8);
    Paint(view);
    EXPECT_EQ(view.LastY(), 179);
    // The jump from the top to the bottom row at column 42, whose end point the next
    // segment (42, 179) - (43, 179) fills in.
    EXPECT_EQ(RowsOf(42, kGreen).size(), 180u);
    EXPECT_EQ(RowsOf(43, kGreen).size(), 0u);
    // 2048 - 1230 comes out at row 90 + ((1230 * 8 * 30) / 820) / 4 = 180, one row below the
    // picture: it is drawn on the lowest row.
    Add(view, 2048 - 1230, 8);
    Paint(view);
    EXPECT_EQ(view.LastY(), 179);
    EXPECT_EQ(At(43, 179), kGreen);
}

TEST_F(SweepWaveTest, PlethAndRespirationRiseFromTheBottomRow)
{
    CTestView<CPlethWave> pleth;
    CTestView<CRespWave> resp;
    Create(pleth, 1, 0, 105, 120);
    Create(resp, 0, 1, 105, 256);
    Add(pleth, 0, 4 * 5 + 1);  // four samples per column at speed factor 1
    Paint(pleth);
    for (int x = 40; x < 45; ++x) EXPECT_EQ(RowsOf(x, kPleth, 120), std::vector<int>{119}) << x;
    EXPECT_EQ(pleth.LastX(), 5);
    Add(resp, 100, 2 * 5 + 1);  // two per column at speed factor 2
    Paint(resp);
    int row = 120 - (100 * 2 * 105 / 256) / 4;
    for (int x = 40; x < 45; ++x) EXPECT_EQ(RowsOf(x, kResp, 120), std::vector<int>{row}) << x;
    EXPECT_EQ(resp.LastX(), 5);
    // Only the low 16 bits of a sample are kept: 65536 + 0 is 0.
    resp.ResetSweep();
    resp.ClearSamples();
    Add(resp, 65536, 3);
    Paint(resp);
    EXPECT_EQ(resp.LastY(), 119);
}

TEST_F(SweepWaveTest, BracketMarkOfThePlethView)
{
    CTestView<CPlethWave> pleth;
    Create(pleth, 1, 0, 105, 120);
    Paint(pleth);
    for (int y = 0; y < 120; ++y) EXPECT_EQ(At(2, y), kPleth) << y;
    EXPECT_EQ(At(19, 2), kPleth);
    EXPECT_EQ(At(20, 2), 0u);
    EXPECT_EQ(At(19, 117), kPleth);
    EXPECT_EQ(At(19, 60), 0u);
}

TEST_F(SweepWaveTest, EraseBarRunsSevenColumnsAheadOfTheTrace)
{
    CTestView<CECGWave> view;
    Create(view, 2, 1);  // full-scale samples clamp to the top and bottom rows
    // A first sweep across the whole width at the top row.
    Add(view, 4095, (930 - 40) * 4 + 1);
    Paint(view);
    EXPECT_EQ(view.SweepCount(), 1);  // wrapped
    EXPECT_EQ(At(500, 0), kGreen);
    // The second sweep at the bottom row, up to column 40 + 100 (end point excluded).
    Add(view, 0, 100 * 4);
    Paint(view);
    int x = view.LastX();
    ASSERT_EQ(x, 100);  // the wrap left the sweep count at 1
    for (int c = x + 40; c < x + 47; ++c) EXPECT_TRUE(RowsOf(c, kGreen).empty()) << c;
    EXPECT_EQ(At(x + 47, 0), kGreen);  // old trace just past the bar
    EXPECT_EQ(At(x + 39, 179), kGreen);
}

TEST_F(SweepWaveTest, WrapJoinsAtColumn40AndTheBarNeverEntersTheMargin)
{
    CTestView<CECGWave> view;
    Create(view, 2, 1);
    Paint(view);
    const CRect marginArea(0, 0, 40, 180);
    surfacecheck::Scratch margin(marginArea, 0);
    margin.dc.BitBlt(0, 0, 40, 180, &dc, 0, 0);
    Add(view, 2048, (930 - 40) * 4);
    Paint(view);
    EXPECT_EQ(view.LastX(), 889);
    Add(view, 4095, 1);  // reaches the right edge: joins at column 40
    Paint(view);
    EXPECT_EQ(view.LastX(), 0);
    EXPECT_EQ(view.SweepCount(), 1);
    EXPECT_EQ(RowsOf(40, kGreen).size(), 90u);  // rows 90 down to 1
    EXPECT_EQ(RowsOf(41, kGreen).size(), 0u);
    Add(view, 2048, 30 * 4);
    Paint(view);
    EXPECT_EQ(margin.DifferingIn(target), 0);
}

TEST_F(SweepWaveTest, FreezeStopsDrawingButKeepsTheSweepMoving)
{
    CTestView<CECGWave> view;
    Create(view);
    Add(view, 2048, 81);
    Paint(view);
    std::vector<uint32_t> before = Pixels();
    view.SetFreeze(TRUE);
    Add(view, 3000, 160);
    Paint(view);
    EXPECT_EQ(Pixels(), before);
    EXPECT_EQ(view.PendingCount(), 0);
    EXPECT_EQ(view.SweepCount(), 81 + 160);
    EXPECT_EQ(view.ReadIndex(), view.WriteIndex());
    // Unfreeze as the owner does: the trace restarts flat at the left.
    view.ResetSweep();
    view.ClearSamples();
    view.SetFreeze(FALSE);
    Add(view, 2048 + 820, 17);
    Paint(view);
    int row = 90 - (820 * 2 * 30 / 820) / 4;
    EXPECT_EQ(RowsOf(40, kGreen), std::vector<int>{row});
    EXPECT_EQ(RowsOf(41, kGreen), std::vector<int>{row});
    EXPECT_TRUE(RowsOf(45, kGreen).empty());  // the old trace was restored away
}

TEST_F(SweepWaveTest, CalibrationBarAndLeadLabel)
{
    CTestView<CECGWave> view(1);  // "II"
    Create(view, 1);
    Paint(view);
    int bar = 60, top = (180 - bar) / 2;
    for (int c = 30; c <= 32; ++c) {
        std::vector<int> rows = RowsOf(c, kGreen);
        ASSERT_EQ(rows.size(), static_cast<size_t>(bar)) << c;
        EXPECT_EQ(rows.front(), top);
        EXPECT_EQ(rows.back(), top + bar - 1);
    }
    const int label = surfacecheck::CountColour(target, CRect(0, 80, 30, 100), kGreen);
    EXPECT_GT(label, 5);
    EXPECT_EQ(surfacecheck::CountColour(target, CRect(0, 0, 30, 180), kGreen), label);  // none above or below
    // A label index beyond the table draws no label; the bar stays.
    view.SetLeadLabel(12);
    view.DrawLeftMargin();
    Paint(view);
    EXPECT_TRUE(surfacecheck::AllColour(target, CRect(0, 0, 30, 180), 0));
    EXPECT_EQ(RowsOf(31, kGreen).size(), static_cast<size_t>(bar));
}

TEST_F(SweepWaveTest, GainIsRefusedWhenTheBarWouldNotFit)
{
    CTestView<CECGWave> view;
    Create(view);
    view.SetLayoutMode(2);
    EXPECT_EQ(view.Height(), 95);
    view.SetGain(2);  // 90 < 95
    EXPECT_EQ(view.GainStep(), 3);
    Paint(view);
    EXPECT_EQ(RowsOf(30, kGreen, 95).size(), 90u);
    view.SetScaleUnit(32);
    view.SetGain(1);
    EXPECT_EQ(view.GainStep(), 2);
    view.SetGain(2);  // 96 >= 95
    EXPECT_EQ(view.GainStep(), 2);
}

TEST_F(SweepWaveTest, LayoutModesSetTheSizes)
{
    CTestView<CECGWave> ecg;
    CTestView<CRespWave> resp;
    Create(ecg);
    Create(resp, 0, 0, 105, 256);
    ecg.SetLayoutMode(3);
    EXPECT_EQ(CSize(ecg.Width(), ecg.Height()), CSize(770, 180));
    ecg.SetLayoutMode(4);
    EXPECT_EQ(CSize(ecg.Width(), ecg.Height()), CSize(930, 180));
    resp.SetLayoutMode(1);
    EXPECT_EQ(CSize(resp.Width(), resp.Height()), CSize(863, 120));
    resp.SetLayoutMode(4);
    EXPECT_EQ(CSize(resp.Width(), resp.Height()), CSize(770, 120));
    Add(resp, 10, 5);
    resp.SetLayoutMode(2);
    EXPECT_EQ(resp.PendingCount(), 0);
}

TEST_F(SweepWaveTest, ResetSweepRestoresOnlyTheViewsWaveArea)
{
    CTestView<CECGWave> view;
    Create(view);
    view.SetLayoutMode(3);  // 770 wide inside the 930-wide picture
    view.Picture().SetPixel(780, 10, kGreen);
    view.Picture().SetPixel(500, 10, kGreen);
    view.ResetSweep();
    EXPECT_EQ(view.Picture().GetPixel(500, 10), 0u);
    EXPECT_EQ(view.Picture().GetPixel(780, 10), kGreen);
}

TEST_F(SweepWaveTest, FullRingDropsItsOldestSamples)
{
    CTestView<CECGWave> view;
    Create(view);
    Add(view, 1000, 10);
    Add(view, 2048, CSweepWave::kRingSize - 10);
    EXPECT_EQ(view.PendingCount(), CSweepWave::kRingSize);
    Add(view, 3000, 10);  // overwrite the ten oldest
    EXPECT_EQ(view.PendingCount(), CSweepWave::kRingSize);
    EXPECT_EQ(view.WriteIndex(), 10);
    EXPECT_EQ(view.ReadIndex(), 10);
    Paint(view);
    // Drawn in time order: the newest samples come last.
    EXPECT_EQ(view.LastY(), 90 - ((3000 - 2048) * 2 * 30 / 820) / 4);
    EXPECT_EQ(view.PendingCount(), 0);
}

TEST_F(SweepWaveTest, RedrawIsRequestedOnlyWithPendingSamples)
{
    CTestView<CECGWave> view;
    Create(view);
    view.ClearNeedsPaint();
    view.RequestRedraw();
    EXPECT_FALSE(view.NeedsPaint());
    view.AddSample(2048);
    view.RequestRedraw();
    EXPECT_TRUE(view.NeedsPaint());
    EXPECT_EQ(view.ClearSamples(), 0);
    EXPECT_EQ(view.PendingCount(), 0);
}

TEST_F(SweepWaveTest, StyleChoosesColourAndGrid)
{
    EXPECT_EQ(CECGWave::StyleColor(0x000), RGB(0, 255, 0));
    EXPECT_EQ(CECGWave::StyleColor(0x100), RGB(255, 215, 0));
    EXPECT_EQ(CECGWave::StyleColor(0x700), RGB(221, 160, 221));
    EXPECT_EQ(CECGWave::LabelText(3), std::u16string(u"avF"));
    EXPECT_EQ(CECGWave::LabelText(12), nullptr);
    CTestView<CECGWave> grid(0x10);
    Create(grid);
    Paint(grid);
    constexpr COLORREF kGrid = RGB(0, 0, 255);
    EXPECT_EQ(At(40, 0), kGrid);
    EXPECT_EQ(At(40, 4), kGrid);
    EXPECT_EQ(At(70, 8), kGrid);
    EXPECT_EQ(At(44, 30), kGrid);
    EXPECT_EQ(At(44, 4), 0u);
    EXPECT_EQ(At(41, 0), 0u);
}

TEST_F(SweepWaveTest, AppendAndCopyKeepTheRingRules)
{
    CTestView<CECGWave> a, b;
    std::vector<int> samples(CSweepWave::kRingSize + 5, 2048);
    a.AppendSamples(samples.data(), static_cast<int>(samples.size()));
    EXPECT_EQ(a.PendingCount(), CSweepWave::kRingSize);
    a.AppendSamples(nullptr, 5);
    a.AppendSamples(samples.data(), 3);
    EXPECT_EQ(a.WriteIndex(), 3);
    EXPECT_EQ(a.ReadIndex(), 3);
    b.CopySamplesFrom(a);
    EXPECT_EQ(b.PendingCount(), CSweepWave::kRingSize);
    EXPECT_EQ(b.ReadIndex(), 3);
}

// The screen copies only the columns a sweep step changed; over several sweeps, a lead change
// and the erase bar's wrap, what the screen shows must stay the view's whole picture.
TEST(SweepWavePaintTest, PartialCopiesKeepTheScreenEqualToThePicture)
{
    CHeadlessScreen screen(1000, 200);
    CWnd parent;
    parent.Create(nullptr, CRect(0, 0, 1000, 200), 1);
    CTestView<CECGWave> view(0x10);  // with the grid
    view.SetScaleUnit(30);
    view.SetScaleDivisor(820);
    view.SetGain(1);
    ASSERT_TRUE(view.Create(&parent, CRect(20, 10, 20 + view.Width(), 10 + view.Height()), 123,
                            WS_CHILD | WS_VISIBLE | SS_NOTIFY));
    screen.PaintPass();
    auto screenMatchesPicture = [&] {
        const CRect picture(0, 0, view.Width(), view.Height());
        return PixelsDiffering(*view.Picture().GetCurrentBitmap(), picture, screen.Frame(), CPoint(20, 10));
    };
    int phase = 0;
    for (int tick = 0; tick < 400; ++tick) {
        for (int i = 0; i < 50; ++i, ++phase) view.AddSample(2048 + ((phase * 37) % 900) - 450);
        if (tick == 150) {
            view.SetLeadLabel(2);
            view.DrawLeftMargin();
        }
        view.RequestRedraw();
        screen.PaintPass();
        if (tick % 50 == 0) {
            ASSERT_EQ(screenMatchesPicture(), 0) << "tick " << tick;
        }
    }
    EXPECT_GT(phase, 2 * 8 * (view.Width() - 40));  // more than two whole sweeps
    EXPECT_EQ(screenMatchesPicture(), 0);
}

}  // namespace
