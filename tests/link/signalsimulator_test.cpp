#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "link/signalsimulator.h"
#include "link/wavetemplates.h"
#include "linktest.h"
#include "support/columns.h"

using namespace linktest;

namespace {

std::vector<int> EcgSamples()
{
    std::vector<int> v;
    for (const auto& e : g_stEcgTemplate) v.push_back(e.nSample);
    return v;
}

std::vector<int> Rows(const std::vector<int>& v, int value)
{
    std::vector<int> rows;
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i] == value) rows.push_back(static_cast<int>(i));
    return rows;
}

std::vector<int> Range(int from, int to)
{
    std::vector<int> r;
    for (int i = from; i <= to; ++i) r.push_back(i);
    return r;
}

int MaxOf(const std::vector<int>& v, int from, int to) { return *std::max_element(v.begin() + from, v.begin() + to + 1); }

// A template's length, its values at the given rows, and its lowest and highest values.
void ExpectShape(const std::vector<int>& v, size_t length, const std::map<int, int>& rows, int lowest, int highest)
{
    ASSERT_EQ(v.size(), length);
    for (auto [row, value] : rows) EXPECT_EQ(v[static_cast<size_t>(row)], value) << "row " << row;
    EXPECT_EQ(*std::min_element(v.begin(), v.end()), lowest);
    EXPECT_EQ(*std::max_element(v.begin(), v.end()), highest);
}

}  // namespace

TEST(WaveTemplateTest, EcgBeatHasItsRowsPeaksAndMarks)
{
    auto ecg = EcgSamples();
    ASSERT_NO_FATAL_FAILURE(ExpectShape(ecg, static_cast<size_t>(g_i32EcgTemplateLen),
                                        {{0, 2010}, {160, 1948}, {163, 2182}, {165, 2510}, {167, 2838}, {169, 2602},
                                         {171, 2272}, {174, 1906}, {193, 2020}, {248, 2010}},
                                        1906, 2838));
    EXPECT_EQ(Rows(ecg, 2838), std::vector<int>{167});
    EXPECT_EQ(Rows(ecg, 1906), std::vector<int>{174});
    EXPECT_EQ(ecg[161], 1918);
    EXPECT_EQ(*std::min_element(ecg.begin() + 158, ecg.begin() + 166), 1918);
    // P wave with its top at 125 and flat baseline around it.
    EXPECT_EQ(MaxOf(ecg, 117, 134), 2116);
    EXPECT_EQ(Rows(std::vector<int>(ecg.begin() + 117, ecg.begin() + 135), 2116), std::vector<int>{125 - 117});
    for (int i = 0; i < 117; ++i) ASSERT_EQ(ecg[i], 2010) << i;
    for (int i = 135; i < 158; ++i) ASSERT_EQ(ecg[i], 2010) << i;
    // T wave with its top at 230.
    EXPECT_EQ(MaxOf(ecg, 195, 245), 2178);
    EXPECT_EQ(Rows(std::vector<int>(ecg.begin() + 195, ecg.begin() + 246), 2178), std::vector<int>{230 - 195});
    for (int i = 0; i < g_i32EcgTemplateLen; ++i) {
        int mark = g_stEcgTemplate[i].nMark;
        int want = i == 193 ? 1 : (i == 0 || i == 60 || i == 120 || i == 180) ? 2 : 0;
        ASSERT_EQ(mark, want) << "row " << i;
    }
}

TEST(WaveTemplateTest, RespirationBreathHasItsRowsAndPlateaus)
{
    std::vector<int> resp(g_i32RespTemplate, g_i32RespTemplate + g_i32RespTemplateLen);
    ASSERT_NO_FATAL_FAILURE(
        ExpectShape(resp, 375, {{0, 127}, {50, 201}, {88, 227}, {187, 128}, {276, 27}, {300, 32}, {374, 125}}, 27, 227));
    EXPECT_EQ(Rows(resp, 227), Range(88, 99));
    EXPECT_EQ(Rows(resp, 27), Range(276, 287));
    // One smooth breath: up to the plateau, down to the trough, back up.
    for (int i = 1; i <= 88; ++i) ASSERT_GE(resp[i], resp[i - 1]) << i;
    for (int i = 100; i <= 276; ++i) ASSERT_LE(resp[i], resp[i - 1]) << i;
    for (int i = 288; i < 375; ++i) ASSERT_GE(resp[i], resp[i - 1]) << i;
}

TEST(WaveTemplateTest, PlethPulsesHaveTheirRowsPeaksAndNotch)
{
    std::vector<int> pleth(g_i32PlethTemplate, g_i32PlethTemplate + g_i32PlethTemplateLen);
    ASSERT_NO_FATAL_FAILURE(
        ExpectShape(pleth, 250, {{0, 38}, {53, 6}, {88, 79}, {125, 41}, {182, 6}, {207, 76}, {249, 37}}, 6, 79));
    std::vector<int> minima = Range(53, 60);
    for (int r : Range(182, 185)) minima.push_back(r);
    EXPECT_EQ(Rows(pleth, 6), minima);
    EXPECT_EQ(Rows(pleth, 79), (std::vector<int>{88, 210, 211}));
    for (int i = 112; i <= 118; ++i) {
        EXPECT_GE(pleth[i], 34) << i;
        EXPECT_LE(pleth[i], 35) << i;
    }
}

class SignalSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override { theApp.ResetForTests(); }

    std::vector<Decoded> TickAndDrain(int* bytes = nullptr)
    {
        sim.Tick(ring);
        if (bytes != nullptr) *bytes = ring.Count();
        return DrainFrames(ring);
    }

    CRxRing ring;
    CSignalSimulator sim;
};

TEST_F(SignalSimulatorTest, BytesPerTickFollowThePeriodicSchedule)
{
    for (int tick = 1; tick <= 200; ++tick) {
        int bytes = 0;
        auto frames = TickAndDrain(&bytes);
        int expected = 174;
        if (tick % 20 == 0) expected += 32 + 13 + 8;  // ECG values, RR and apnoea, SpO2
        if (tick % 25 == 0) expected += 9 + 10;       // temperature, oxygen
        ASSERT_EQ(bytes, expected) << "tick " << tick;
        std::vector<uint8_t> types;
        for (const auto& f : frames) types.push_back(f.type);
        ASSERT_EQ(std::count(types.begin(), types.end(), 0x05), 8);
        ASSERT_EQ(std::count(types.begin(), types.end(), 0x10), 2);
        ASSERT_EQ(std::count(types.begin(), types.end(), 0x16), 2);
        ASSERT_EQ(std::count(types.begin(), types.end(), 0x07), tick % 20 == 0 ? 1 : 0);
        ASSERT_EQ(std::count(types.begin(), types.end(), 0x15), tick % 25 == 0 ? 1 : 0);
        if (tick == 100) {
            EXPECT_EQ(bytes, 246);
            const std::vector<uint8_t> order = {5, 5, 5, 5, 5, 5, 5, 5, 0x06, 0x07, 0x0B, 0x06, 0x0A, 0x10, 0x10,
                                                0x11, 0x12, 0x16, 0x16, 0x17, 0x15, 0x30, 0x31};
            EXPECT_EQ(types, order);
        }
    }
}

TEST_F(SignalSimulatorTest, BeatMarkStaysOnForTheRestOfItsTick)
{
    sim.SetEcgPosition(188);
    auto frames = TickAndDrain();
    for (int f = 0; f < 8; ++f) {
        bool marked = (frames[f].data[13] & 0x40) != 0;
        EXPECT_EQ(marked, f >= 2) << "frame " << f;  // frame 2 holds entries 192 and 193
    }
    frames = TickAndDrain();
    for (int f = 0; f < 8; ++f) EXPECT_EQ(frames[f].data[13] & 0x40, 0) << "next tick, frame " << f;
}

TEST_F(SignalSimulatorTest, PlethStatusByteCarriesStrengthAndProbeBits)
{
    theApp.m_bySimSpo2Status = 0x9F;  // only the high nibble travels
    bool sawPeak = false;
    for (int tick = 0; tick < 60; ++tick) {
        for (const auto& f : TickAndDrain()) {
            if (f.type != 0x16) continue;
            int third = f.data[2];
            EXPECT_EQ(f.data[3], (third / 6) | 0x90);
            if (third == 79) {
                EXPECT_EQ(f.data[3], 0x9D);
                sawPeak = true;
            }
        }
    }
    EXPECT_TRUE(sawPeak);
}

// Two rows of simulator values, no column like another: a value sent in another's place shows.
// Of the SpO2 only the low byte travels.
struct SimRow {
    int hr, st, leadOff, arra, rr, apnea, pr, spo2, temp, tempOff, oxy, oxyOff;
};
const SimRow kSimRows[] = {{0x1A4, -100, 0x05, 7, 0x123, 1, 250, 0x161, 385, 3, 45, 2},
                           {72, 25, 0x0A, 2, 18, 4, 0x1C2, 97, 366, 1, 21, 5}};

TEST_F(SignalSimulatorTest, PeriodicFramesCarryTheSimulatorValues)
{
    ExpectColumnsApart(IntColumns(kSimRows, "hr st leadOff arra rr apnea pr spo2 temp tempOff oxy oxyOff"));
    for (const SimRow& r : kSimRows) {
        theApp.m_nSimHr = r.hr;
        theApp.m_nSimSt = r.st;
        theApp.m_bySimLeadOff = r.leadOff;
        theApp.m_bySimArra = r.arra;
        theApp.m_wSimRr = r.rr;
        theApp.m_bySimApnea = r.apnea;
        theApp.m_nSimPr = r.pr;
        theApp.m_nSimSpo2 = r.spo2;
        theApp.m_wSimTemp = r.temp;
        theApp.m_bySimTempProbeOff = r.tempOff;
        theApp.m_bySimAirOxy = r.oxy;
        theApp.m_bySimAirOxyProbeOff = r.oxyOff;
        std::map<uint8_t, Bytes> last;
        for (int tick = 0; tick < 100; ++tick)
            for (const auto& f : TickAndDrain()) last[f.type] = f.data;
        const std::map<uint8_t, Bytes> expected = {
            {0x06, Of({r.leadOff, 0})}, {0x07, Of({r.hr >> 8, r.hr})}, {0x0B, Of({r.st >> 8, r.st, r.st >> 8, r.st})},
            {0x0A, Of({r.arra, 0})}, {0x11, Of({r.rr >> 8, r.rr})}, {0x12, Of({r.apnea, 0, 0})},
            {0x17, Of({0, r.pr >> 8, r.pr, r.spo2})}, {0x15, Of({r.tempOff, r.temp >> 8, r.temp, r.temp >> 8, r.temp})},
            {0x30, Of({r.oxy})}, {0x31, Of({r.oxyOff})}};
        for (const auto& [type, bytes] : expected) EXPECT_EQ(last[type], bytes) << "type " << int(type);
    }
}

TEST_F(SignalSimulatorTest, FullRingRefusesATickWithoutOverwriting)
{
    Bytes filler(4000, 0x85);
    ASSERT_TRUE(ring.Append(filler.data(), 4000));
    sim.Tick(ring);
    // The ECG frames (144 bytes) do not fit the 96 free bytes; the smaller groups do.
    EXPECT_EQ(ring.Count(), 4000 + 14 + 16);
    EXPECT_EQ(ring.RefusedAppends(), 1u);
    EXPECT_EQ(ring.RefusedBytes(), 144u);
    for (int i = 0; i < 4000; ++i) ASSERT_EQ(ring.Peek(i), 0x85);
}
