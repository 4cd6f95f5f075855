#include <gtest/gtest.h>

#include "panelfaces.h"
#include "platform/fakeclock.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

constexpr COLORREF kText = CStaticBPValueNormal::kTextColour;
const CRect kListArea(480, 10, 868, 190);

class BpPanelTest : public ::testing::Test {
protected:
    BpPanelTest() : created(AllFaces()[1]), bp(static_cast<CStaticBPValueNormal&>(*created.panel))
    {
        clock.SetLocalTime({2026, 5, 6, 7, 8, 9, 0});
    }

    bool ValueShows(const std::u16string& text) { return ItemShows(bp, 0, text); }
    // The start-up results: dbp 80, mean 90, the seventh without a result.
    void AddStartupResults()
    {
        const short sbps[] = {120, 121, 122, 123, 124, 125, 125, 126, 127};
        for (int i = 0; i < 9; ++i) bp.AddNibpResult(sbps[i], 80, 90, 80, i == 6 ? 1 : 0);
    }
    bool LineShows(int i, const std::u16string& text)
    {
        const int y = 10 + 20 * i;
        return ShowsOnly(bp.Surface(), CRect(480, y, 868, y + 20), {480, y}, text, 16, kText);
    }

    FakeClock clock;
    CreatedPanel created;
    CStaticBPValueNormal& bp;
};

TEST_F(BpPanelTest, PressurePairIsClampedDiastolicUnderSystolic)
{
    const std::pair<std::pair<int, int>, std::u16string> cases[] = {
        {{300, 120}, u"300/120"}, {{350, 400}, u"300/300"}, {{-5, -5}, u"0/0"}, {{120, 130}, u"120/120"}};
    for (const auto& [pair, text] : cases) {
        bp.SetNibp(pair.first, pair.second, false);
        EXPECT_TRUE(ValueShows(text)) << pair.first << "/" << pair.second;
    }
}

TEST_F(BpPanelTest, PairSetterComparesWithTheRawCache)
{
    bp.SetNibp(350, 80, true);
    bp.RefreshIfDirty();
    bp.SetNibp(350, 80, false);
    EXPECT_EQ(bp.IsDirty(), 0);
    bp.SetNibp(300, 80, false);  // shown the same, but the cache holds 350
    EXPECT_EQ(bp.IsDirty(), 1);
    bp.RefreshIfDirty();
    bp.SetNibpMidValue(90, false);
    bp.RefreshIfDirty();
    bp.SetNibpMidValue(90, false);
    EXPECT_EQ(bp.IsDirty(), 0);
}

TEST_F(BpPanelTest, TimePadsEachNumberWithASpace)
{
    bp.SetNibpTime(9, 5, 0, true);
    EXPECT_TRUE(ShowsOnly(bp.Surface(), BoxAt(100, 5, 120, 28), {100, 5}, u" 9: 5: 0", 24, kText));
    bp.SetLargeMode(1);
    EXPECT_TRUE(ShowsOnly(bp.Surface(), BoxAt(100, 5, 160, 40), {100, 5}, u" 9: 5: 0", 32, kText));
}

TEST_F(BpPanelTest, StartupResultsShowInTheLargeLayoutOnly)
{
    AddStartupResults();
    EXPECT_TRUE(AllColour(bp.Surface(), kListArea, 0));
    bp.SetLargeMode(1);
    EXPECT_TRUE(LineShows(0, u"120/ 80 ( 90)   2026-05-06 07:08:09"));
    EXPECT_TRUE(LineShows(6, u"无结果          2026-05-06 07:08:09"));
    EXPECT_TRUE(LineShows(8, u"127/ 80 ( 90)   2026-05-06 07:08:09"));
    // Back in the normal layout the panel shows only its 340 x 140 part.
    bp.SetLargeMode(0);
    EXPECT_EQ(bp.GetLayoutSize(), CSize(340, 140));
}

TEST_F(BpPanelTest, ShortListLeavesTheRowsBelowBlack)
{
    for (short sbp : {110, 111, 112}) bp.AddNibpResult(sbp, 70, 85, 0, 0);
    bp.SetLargeMode(2);  // any nonzero mode is the large layout and shows the list
    EXPECT_TRUE(LineShows(2, u"112/ 70 ( 85)   2026-05-06 07:08:09"));
    EXPECT_TRUE(AllColour(bp.Surface(), CRect(480, 70, 868, 203), 0));
}

TEST_F(BpPanelTest, FullListGivesUpItsOldestLine)
{
    AddStartupResults();
    clock.SetLocalTime({2026, 5, 6, 8, 0, 0, 0});
    bp.AddNibpResult(140, 95, 110, 0, 0);
    ASSERT_EQ(bp.Results().size(), CStaticBPValueNormal::kMaxResults);
    EXPECT_EQ(bp.Results().front().Sbp, 121);
    EXPECT_EQ(bp.Results().back().Sbp, 140);
    bp.SetLargeMode(1);
    EXPECT_TRUE(LineShows(0, u"121/ 80 ( 90)   2026-05-06 07:08:09"));
    EXPECT_TRUE(LineShows(5, u"无结果          2026-05-06 07:08:09"));
    EXPECT_TRUE(LineShows(8, u"140/ 95 (110)   2026-05-06 08:00:00"));
}

}  // namespace
