#!/usr/bin/env python3
"""Generates the signal simulator's wave templates (src/link/wavetemplates.cpp).

Each template is a monotone cubic (PCHIP) through a few anchor points, rounded to integers.
PCHIP never overshoots its anchors, so every peak, trough and plateau sits exactly on an
anchor and the whole wave stays inside the range the anchors span. The script checks every
stated row, range, plateau and mark before it writes anything.

Usage: tools/gen_wave_templates.py [output.cpp]   (default: src/link/wavetemplates.cpp)
"""
import os
import sys


def pchip_slopes(xs, ys):
    n = len(xs)
    h = [xs[k + 1] - xs[k] for k in range(n - 1)]
    delta = [(ys[k + 1] - ys[k]) / h[k] for k in range(n - 1)]
    d = [0.0] * n
    for k in range(1, n - 1):
        if delta[k - 1] * delta[k] <= 0:
            d[k] = 0.0
        else:
            w1 = 2 * h[k] + h[k - 1]
            w2 = h[k] + 2 * h[k - 1]
            d[k] = (w1 + w2) / (w1 / delta[k - 1] + w2 / delta[k])
    d[0] = end_slope(h[0], h[1] if n > 2 else h[0], delta[0], delta[1] if n > 2 else delta[0])
    d[-1] = end_slope(h[-1], h[-2] if n > 2 else h[-1], delta[-1], delta[-2] if n > 2 else delta[-1])
    return d


def end_slope(h0, h1, del0, del1):
    d = ((2 * h0 + h1) * del0 - h0 * del1) / (h0 + h1)
    if d * del0 <= 0:
        return 0.0
    if del0 * del1 <= 0 and abs(d) > abs(3 * del0):
        return 3 * del0
    return d


def pchip(anchors, length):
    xs = [a[0] for a in anchors]
    ys = [float(a[1]) for a in anchors]
    assert xs[0] == 0 and xs[-1] == length - 1, "anchors must cover the whole template"
    assert all(xs[k] < xs[k + 1] for k in range(len(xs) - 1)), "anchors must be in order"
    d = pchip_slopes(xs, ys)
    out = []
    seg = 0
    for x in range(length):
        while x > xs[seg + 1]:
            seg += 1
        h = xs[seg + 1] - xs[seg]
        t = (x - xs[seg]) / h
        h00 = (1 + 2 * t) * (1 - t) ** 2
        h10 = t * (1 - t) ** 2
        h01 = t * t * (3 - 2 * t)
        h11 = t * t * (t - 1)
        v = h00 * ys[seg] + h10 * h * d[seg] + h01 * ys[seg + 1] + h11 * h * d[seg + 1]
        out.append(keep_inside(int(round(v)), x, xs[seg], xs[seg + 1], ys[seg], ys[seg + 1]))
    return out


def keep_inside(v, x, xa, xb, ya, yb):
    """Keeps a rounded value between two anchors off their extreme values, so that a peak,
    trough or plateau is exactly as wide as its anchors say (rounding would widen it)."""
    lo, hi = int(min(ya, yb)), int(max(ya, yb))
    if x in (xa, xb) or hi - lo < 2:
        return v
    return min(max(v, lo + 1), hi - 1)


# ECG beat on a baseline of 2010: P wave 117..134, QRS 158..177, ST segment, T wave 195..245.
ECG_ANCHORS = [
    (0, 2010), (117, 2010), (125, 2116), (134, 2010),
    (158, 2010), (160, 1948), (161, 1918), (163, 2182), (165, 2510), (167, 2838),
    (169, 2602), (171, 2272), (174, 1906), (177, 2012),
    (193, 2020), (195, 2022), (230, 2178), (245, 2010), (248, 2010),
]
ECG_BEAT_MARK_ROW = 193
ECG_MARK2_ROWS = (0, 60, 120, 180)

# One breath: up from 127 to a plateau of 227, down to a trough of 27, back towards 125.
RESP_ANCHORS = [
    (0, 127), (50, 201), (88, 227), (99, 227), (187, 128),
    (276, 27), (287, 27), (300, 32), (374, 125),
]

# Two pulses with minima of 6, peaks of 79 and a dicrotic notch after the first peak.
PLETH_ANCHORS = [
    (0, 38), (53, 6), (60, 6), (88, 79), (112, 35), (115, 34), (118, 35), (125, 41),
    (182, 6), (185, 6), (207, 76), (210, 79), (211, 79), (249, 37),
]


def rows_where(values, v):
    return [i for i, x in enumerate(values) if x == v]


def check_ecg(ecg):
    assert len(ecg) == 249
    rows = {0: 2010, 160: 1948, 161: 1918, 163: 2182, 165: 2510, 167: 2838, 169: 2602,
            171: 2272, 174: 1906, 193: 2020, 248: 2010, 125: 2116, 230: 2178}
    for r, v in rows.items():
        assert ecg[r] == v, (r, ecg[r], v)
    assert min(ecg) == 1906 and rows_where(ecg, 1906) == [174]
    assert max(ecg) == 2838 and rows_where(ecg, 2838) == [167]
    assert all(v == 2010 for v in ecg[:117]) and all(v == 2010 for v in ecg[134:159])
    assert max(ecg[117:135]) == 2116 and rows_where(ecg[117:135], 2116) == [125 - 117]
    assert max(ecg[195:246]) == 2178 and rows_where(ecg[195:246], 2178) == [230 - 195]
    assert ecg[160] == 1948 and min(ecg[158:163]) == 1918


def check_resp(resp):
    assert len(resp) == 375
    for r, v in {0: 127, 50: 201, 88: 227, 187: 128, 276: 27, 300: 32, 374: 125}.items():
        assert resp[r] == v, (r, resp[r], v)
    assert max(resp) == 227 and rows_where(resp, 227) == list(range(88, 100))
    assert min(resp) == 27 and rows_where(resp, 27) == list(range(276, 288))


def check_pleth(pleth):
    assert len(pleth) == 250
    for r, v in {0: 38, 53: 6, 88: 79, 125: 41, 182: 6, 207: 76, 249: 37}.items():
        assert pleth[r] == v, (r, pleth[r], v)
    assert min(pleth) == 6 and rows_where(pleth, 6) == list(range(53, 61)) + list(range(182, 186))
    assert max(pleth) == 79 and rows_where(pleth, 79) == [88, 210, 211]
    assert all(34 <= v <= 35 for v in pleth[112:119])


def format_rows(items, per_line):
    lines = []
    for i in range(0, len(items), per_line):
        lines.append("    " + " ".join(items[i:i + per_line]))
    return "\n".join(lines)


def render(ecg, resp, pleth):
    marks = [0] * len(ecg)
    marks[ECG_BEAT_MARK_ROW] = 1
    for r in ECG_MARK2_ROWS:
        marks[r] = 2
    ecg_items = ["{%d, %d}," % (s, m) for s, m in zip(ecg, marks)]
    return f"""// Generated by tools/gen_wave_templates.py; do not edit by hand.
#include "link/wavetemplates.h"

const ECG_TEMPLATE_ENTRY g_stEcgTemplate[g_i32EcgTemplateLen] = {{
{format_rows(ecg_items, 8)}
}};

const int32_t g_i32RespTemplate[g_i32RespTemplateLen] = {{
{format_rows([str(v) + "," for v in resp], 15)}
}};

const int32_t g_i32PlethTemplate[g_i32PlethTemplateLen] = {{
{format_rows([str(v) + "," for v in pleth], 15)}
}};
"""


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "src", "link", "wavetemplates.cpp")
    ecg = pchip(ECG_ANCHORS, 249)
    resp = pchip(RESP_ANCHORS, 375)
    pleth = pchip(PLETH_ANCHORS, 250)
    check_ecg(ecg)
    check_resp(resp)
    check_pleth(pleth)
    with open(target, "w", encoding="utf-8") as f:
        f.write(render(ecg, resp, pleth))
    print("wrote", target)


if __name__ == "__main__":
    main()
