// The temperature, respiration and oxygen-concentration panels.
#include <gtest/gtest.h>

#include "panelfaces.h"
#include "surfacecheck.h"

using namespace surfacecheck;

namespace {

TEST(TempPanel, TemperatureHasNoRangeAndItsUnitOnlyNamesTheScale)
{
    CreatedPanel created(AllFaces()[2]);
    auto& temp = static_cast<CStaticValueTempNormal&>(*created.panel);
    ExpectShown(temp, 0, Setter(&CStaticValueTempNormal::SetTemp), {{-100, u"---"}, {-50, u"-5.0"}, {1000, u"100.0"}});
    temp.SetTempAlmH(390, true);
    temp.SetTempAlmL(355, true);
    temp.SetTempUnit(1, true);
    temp.SetTemp(365, false);
    temp.SetLargeMode(1);
    EXPECT_TRUE(ItemShows(temp, 0, u"36.5"));
    EXPECT_TRUE(ItemShows(temp, 1, u"39.0"));
    EXPECT_TRUE(ItemShows(temp, 2, u"35.5"));
    EXPECT_TRUE(ItemShows(temp, 3, u"F"));
    // Nor to the limits: the lowest 16-bit value shows whole beside the limit's box, also after
    // the value is redrawn as wide as it can be.
    for (int layout : {0, 1}) {
        temp.SetLargeMode(layout);
        temp.SetTempAlmH(-32768, false);
        temp.SetTempAlmL(-32768, false);
        temp.SetTemp(-32768, true);
        EXPECT_TRUE(ItemShows(temp, 1, u"-3276.8")) << layout;
        EXPECT_TRUE(ItemShows(temp, 2, u"-3276.8")) << layout;
    }
}

TEST(RespPanel, RateAndLimitsAreClampedToTheirRanges)
{
    CreatedPanel created(AllFaces()[4]);
    auto& resp = static_cast<CStaticValueRespNormal&>(*created.panel);
    resp.SetRr(200, true);
    resp.SetRrAlmH(120, true);  // the limit is shown within the panel's range
    resp.SetRrAlmL(8, true);
    for (int layout : {0, 1}) {
        resp.SetLargeMode(layout);
        EXPECT_TRUE(ItemShows(resp, 0, u"150")) << layout;
        EXPECT_TRUE(ItemShows(resp, 1, u"100")) << layout;
        EXPECT_TRUE(ItemShows(resp, 2, u"8")) << layout;
        EXPECT_TRUE(ItemShows(resp, 3, u"RPM")) << layout;
    }
    resp.SetRr(-100, false);
    EXPECT_TRUE(ItemShows(resp, 0, u"---"));
}

TEST(FaPanel, ConcentrationMarkerRangeAndUnit)
{
    CreatedPanel created(AllFaces()[5]);
    auto& fa = static_cast<CStaticValueFANormal&>(*created.panel);
    ExpectShown(fa, 0, Setter(&CStaticValueFANormal::SetAirOxy), {{-100, u"---"}, {101, u"100"}});
    fa.SetAirOxyAlmL(21, true);
    for (int layout : {0, 1}) {
        fa.SetLargeMode(layout);
        EXPECT_TRUE(ItemShows(fa, 2, u"21")) << layout;
        EXPECT_TRUE(ItemShows(fa, 3, u"%")) << layout;
    }
}

}  // namespace
