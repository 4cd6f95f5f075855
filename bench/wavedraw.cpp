// One second of sweep-wave drawing (three views 1400 pixels wide, 20 ticks of 50 ms) drawn by
// our device contexts and, for comparison, by Cairo on an image surface with antialiasing off;
// plus a 20-character Chinese string at height 32 drawn from the glyph cache.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "display/ecgwave.h"
#include "platform/dc.h"

namespace {

constexpr int kViewWidth = 1400;
constexpr int kMargin = 40;
constexpr int kTicks = 20;

struct Line {
    int x0, y0, x1, y1;
    COLORREF color;
};

struct ViewKind {
    int height;
    int samplesPerSecond;
    float samplesPerColumn;
    COLORREF color;
};

const ViewKind kViews[3] = {
    {180, 500, 8.0f, RGB(0, 255, 0)},      // ECG
    {120, 125, 4.0f, RGB(128, 205, 255)},  // pleth
    {120, 125, 4.0f, RGB(238, 238, 98)},   // respiration
};

// The lines of one tick of one view: the erase bar's seven columns per new sweep column, then
// the segment of each sample, as the sweep views draw them.
struct SweepState {
    int count = 400;  // mid-sweep
    int lastX = 50;
    int lastY = 60;
    int erased = 50;
    int phase = 0;
};

void TickLines(const ViewKind& v, SweepState& s, std::vector<Line>& out)
{
    int area = kViewWidth - kMargin;
    for (int i = 0; i < v.samplesPerSecond / kTicks; ++i) {
        int y = v.height / 2 + static_cast<int>(std::lround(0.4 * v.height * std::sin(s.phase++ * 0.05)));
        int x = static_cast<int>(static_cast<float>(s.count) / v.samplesPerColumn);
        if (x + kMargin >= kViewWidth) {
            s.count = 1;
            s.lastX = 0;
            s.erased = 0;
            continue;
        }
        for (int c = s.erased; c < x; ++c)
            for (int k = 0; k < 7; ++k) {
                int col = kMargin + (c + 1 + k) % area;
                out.push_back(Line{col, 0, col, v.height, 0});
            }
        s.erased = std::max(s.erased, x);
        out.push_back(Line{s.lastX + kMargin, s.lastY, x + kMargin, y, v.color});
        s.lastX = x;
        s.lastY = y;
        ++s.count;
    }
}

// lines[tick][view]
std::vector<std::vector<std::vector<Line>>> OneSecond()
{
    SweepState states[3];
    std::vector<std::vector<std::vector<Line>>> ticks(kTicks, std::vector<std::vector<Line>>(3));
    for (int t = 0; t < kTicks; ++t)
        for (int v = 0; v < 3; ++v) TickLines(kViews[v], states[v], ticks[static_cast<size_t>(t)][static_cast<size_t>(v)]);
    return ticks;
}

void BM_WaveSecondOurs(benchmark::State& state)
{
    auto ticks = OneSecond();
    CBitmap frameBmp, pictures[3];
    frameBmp.CreateBitmap(kViewWidth, 180 + 120 + 120);
    CDC frame, dcs[3];
    frame.CreateCompatibleDC(nullptr);
    frame.SelectObject(&frameBmp);
    std::map<COLORREF, CPen> pens;
    for (int v = 0; v < 3; ++v) {
        pictures[v].CreateBitmap(kViewWidth, kViews[v].height);
        dcs[v].CreateCompatibleDC(nullptr);
        dcs[v].SelectObject(&pictures[v]);
        pens[kViews[v].color].CreatePen(PS_SOLID, 1, kViews[v].color);
    }
    pens[0].CreatePen(PS_SOLID, 1, 0);
    for (auto _ : state) {
        for (const auto& tick : ticks) {
            int top = 0;
            for (int v = 0; v < 3; ++v) {
                CDC& dc = dcs[v];
                for (const Line& l : tick[static_cast<size_t>(v)]) {
                    CPen* old = dc.SelectObject(&pens[l.color]);
                    dc.MoveTo(l.x0, l.y0);
                    dc.LineTo(l.x1, l.y1);
                    dc.SelectObject(old);
                }
                frame.BitBlt(0, top, kViewWidth, kViews[v].height, &dc, 0, 0, SRCCOPY);
                top += kViews[v].height;
            }
        }
        benchmark::DoNotOptimize(frameBmp.Bits());
    }
}
BENCHMARK(BM_WaveSecondOurs)->Unit(benchmark::kMicrosecond);

void BM_WaveSecondCairo(benchmark::State& state)
{
    auto ticks = OneSecond();
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kViewWidth, 180 + 120 + 120);
    cairo_t* fc = cairo_create(frame);
    cairo_set_operator(fc, CAIRO_OPERATOR_SOURCE);
    cairo_surface_t* pictures[3];
    cairo_t* crs[3];
    for (int v = 0; v < 3; ++v) {
        pictures[v] = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kViewWidth, kViews[v].height);
        crs[v] = cairo_create(pictures[v]);
        cairo_set_antialias(crs[v], CAIRO_ANTIALIAS_NONE);
        cairo_set_line_width(crs[v], 1.0);
        cairo_set_line_cap(crs[v], CAIRO_LINE_CAP_BUTT);
    }
    for (auto _ : state) {
        for (const auto& tick : ticks) {
            int top = 0;
            for (int v = 0; v < 3; ++v) {
                cairo_t* cr = crs[v];
                for (const Line& l : tick[static_cast<size_t>(v)]) {
                    cairo_set_source_rgb(cr, GetRValue(l.color) / 255.0, GetGValue(l.color) / 255.0,
                                         GetBValue(l.color) / 255.0);
                    cairo_move_to(cr, l.x0 + 0.5, l.y0 + 0.5);
                    cairo_line_to(cr, l.x1 + 0.5, l.y1 + 0.5);
                    cairo_stroke(cr);
                }
                cairo_surface_flush(pictures[v]);
                cairo_set_source_surface(fc, pictures[v], 0, top);
                cairo_rectangle(fc, 0, top, kViewWidth, kViews[v].height);
                cairo_fill(fc);
                top += kViews[v].height;
            }
        }
        cairo_surface_flush(frame);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(frame));
    }
    for (int v = 0; v < 3; ++v) {
        cairo_destroy(crs[v]);
        cairo_surface_destroy(pictures[v]);
    }
    cairo_destroy(fc);
    cairo_surface_destroy(frame);
}
BENCHMARK(BM_WaveSecondCairo)->Unit(benchmark::kMicrosecond);

// The real ECG view: one tick of 25 samples drawn and copied.
void BM_EcgViewTick(benchmark::State& state)
{
    CWnd parent;
    parent.Create(nullptr, CRect(0, 0, 930, 180), 1);
    CECGWave view(0, 0, 1);
    view.SetScaleUnit(30);
    view.SetScaleDivisor(820);
    view.SetGain(0);
    view.Create(&parent, CRect(0, 0, 930, 180), 123, WS_CHILD | WS_VISIBLE | SS_NOTIFY);
    CBitmap target;
    target.CreateBitmap(930, 180);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&target);
    int phase = 0;
    for (auto _ : state) {
        for (int i = 0; i < 25; ++i) view.AddSample(2048 + static_cast<int>(600 * std::sin(phase++ * 0.05)));
        view.OnPaint(&dc);
    }
}
BENCHMARK(BM_EcgViewTick)->Unit(benchmark::kMicrosecond);

void BM_ChineseText32Cached(benchmark::State& state)
{
    CBitmap bmp;
    bmp.CreateBitmap(700, 40);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bmp);
    CFont font;
    font.CreateFont(32, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0x20, u"宋体");
    dc.SelectObject(&font);
    dc.SetTextColor(RGB(0, 255, 0));
    dc.SetBkColor(0);
    const char16_t* text = u"心电监护仪血氧饱和度呼吸率体温无创血压报警";
    dc.TextOut(0, 0, text);  // fill the cache
    for (auto _ : state) {
        dc.TextOut(0, 0, text);
        benchmark::DoNotOptimize(bmp.Bits());
    }
}
BENCHMARK(BM_ChineseText32Cached)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration so the run can end with the comparison.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    // Plain text, so that the summary of scripts/bench can pick the lines up.
    CRatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ours = reporter.times.find("BM_WaveSecondOurs");
    auto cairo = reporter.times.find("BM_WaveSecondCairo");
    if (ours != reporter.times.end() && cairo != reporter.times.end() && ours->second > 0) {
        std::printf("one second of waves: ours %.1f us, Cairo %.1f us, Cairo / ours = %.2f\n", ours->second,
                    cairo->second, cairo->second / ours->second);
    }
    benchmark::Shutdown();
    return 0;
}
