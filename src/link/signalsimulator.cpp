#include "link/signalsimulator.h"

#include <cstring>

#include "appbase/tesmorapp.h"
#include "link/framecodec.h"
#include "link/rxring.h"
#include "link/wavetemplates.h"
#include "platform/everynth.h"

namespace {

uint8_t High(int v) { return static_cast<uint8_t>((v >> 8) & 0xFF); }
uint8_t Low(int v) { return static_cast<uint8_t>(v & 0xFF); }

}  // namespace

void CSignalSimulator::FrameBatch::Add(uint8_t type, const uint8_t* data, int count)
{
    uint8_t* frame = m_byBuf + m_nLen;
    frame[0] = type;
    std::memcpy(frame + 1, data, static_cast<size_t>(count));
    CFrameCodec::EncodeFrame(frame, count + 4);
    m_nLen += count + 4;
}

void CSignalSimulator::FrameBatch::AppendTo(CRxRing& ring) const { ring.Append(m_byBuf, m_nLen); }

void CSignalSimulator::Tick(CRxRing& ring)
{
    SimEcg(ring);
    SimResp(ring);
    SimSpo2(ring);
    SimTemp(ring);
    SimAirOxy(ring);
}

void CSignalSimulator::SimEcg(CRxRing& ring)
{
    FrameBatch batch;
    uint8_t beat = 0;  // once set, the mark stays on every later frame of this tick
    for (int f = 0; f < 8; ++f) {
        uint8_t d[14];
        BuildEcgFrame(d, &beat);
        batch.Add(0x05, d, 14);
    }
    batch.AppendTo(ring);
    if (!EveryNth(&m_nEcgTicks, kValueTicks)) return;
    FrameBatch values;
    AddEcgValues(values);
    values.AppendTo(ring);
}

// Two template entries per frame: time point 1 from the first, time points 2 and 3 from the
// second; I, II and V all carry the same sample.
void CSignalSimulator::BuildEcgFrame(uint8_t* d, uint8_t* beat)
{
    const ECG_TEMPLATE_ENTRY* e = &g_stEcgTemplate[m_nEcgPos];
    int s1 = e->nSample;
    d[0] = Low(s1);
    d[1] = static_cast<uint8_t>(((s1 >> 8) & 0x0F) | ((s1 & 0x0F) << 4));
    d[2] = Low(s1 >> 4);
    d[3] = Low(s1);
    d[4] = static_cast<uint8_t>((s1 >> 8) & 0x0F);
    if (e->nMark == g_i32EcgBeatMark) *beat |= 0x40;
    m_nEcgPos = (m_nEcgPos + 1) % g_i32EcgTemplateLen;

    e = &g_stEcgTemplate[m_nEcgPos];
    int s2 = e->nSample;
    d[4] = static_cast<uint8_t>(d[4] | ((s2 & 0x0F) << 4));
    d[5] = Low(s2 >> 4);
    d[6] = Low(s2);
    d[7] = static_cast<uint8_t>(((s2 >> 8) & 0x0F) | ((s2 & 0x0F) << 4));
    d[8] = Low(s2 >> 4);
    if (e->nMark == g_i32EcgBeatMark) *beat |= 0x40;

    d[9] = Low(s2);
    d[10] = static_cast<uint8_t>(((s2 >> 8) & 0x0F) | ((s2 & 0x0F) << 4));
    d[11] = Low(s2 >> 4);
    d[12] = Low(s2);
    d[13] = static_cast<uint8_t>((s2 >> 8) & 0x0F);
    if (e->nMark == g_i32EcgBeatMark) *beat |= 0x40;
    d[13] = static_cast<uint8_t>(d[13] | *beat);
    m_nEcgPos = (m_nEcgPos + 1) % g_i32EcgTemplateLen;
}

void CSignalSimulator::AddEcgValues(FrameBatch& batch) const
{
    uint16_t hr;
    int16_t st;
    uint8_t leadOff, arra;
    {
        CSingleLock guard(theApp.m_csSim);
        hr = static_cast<uint16_t>(theApp.m_nSimHr);
        st = static_cast<int16_t>(theApp.m_nSimSt);
        leadOff = theApp.m_bySimLeadOff;
        arra = theApp.m_bySimArra;
    }
    const uint8_t lead[2] = {leadOff, 0};
    const uint8_t hrData[2] = {High(hr), Low(hr)};
    const uint8_t stData[4] = {High(st), Low(st), High(st), Low(st)};
    const uint8_t arraData[2] = {arra, 0};
    batch.Add(0x06, lead, 2);
    batch.Add(0x07, hrData, 2);
    batch.Add(0x0B, stData, 4);
    batch.Add(0x06, lead, 2);
    batch.Add(0x0A, arraData, 2);
}

void CSignalSimulator::SimResp(CRxRing& ring)
{
    FrameBatch batch;
    for (int f = 0; f < 2; ++f) {
        uint8_t d[3];
        for (auto& sample : d) {
            sample = Low(g_i32RespTemplate[m_nRespPos]);
            m_nRespPos = (m_nRespPos + 1) % g_i32RespTemplateLen;
        }
        batch.Add(0x10, d, 3);
    }
    batch.AppendTo(ring);
    if (!EveryNth(&m_nRespTicks, kValueTicks)) return;
    uint16_t rr;
    uint8_t apnea;
    {
        CSingleLock guard(theApp.m_csSim);
        rr = theApp.m_wSimRr;
        apnea = theApp.m_bySimApnea;
    }
    FrameBatch values;
    const uint8_t rrData[2] = {High(rr), Low(rr)};
    const uint8_t apneaData[3] = {apnea, 0, 0};
    values.Add(0x11, rrData, 2);
    values.Add(0x12, apneaData, 3);
    values.AppendTo(ring);
}

void CSignalSimulator::SimSpo2(CRxRing& ring)
{
    uint8_t status;
    {
        CSingleLock guard(theApp.m_csSim);
        status = theApp.m_bySimSpo2Status;
    }
    FrameBatch batch;
    AddPleth(batch, status);
    AddPleth(batch, status);
    batch.AppendTo(ring);
    if (!EveryNth(&m_nSpo2Ticks, kValueTicks)) return;
    uint16_t pr;
    uint8_t spo2;
    {
        CSingleLock guard(theApp.m_csSim);
        pr = static_cast<uint16_t>(theApp.m_nSimPr);
        spo2 = Low(theApp.m_nSimSpo2);
    }
    FrameBatch values;
    const uint8_t data[4] = {0, High(pr), Low(pr), spo2};
    values.Add(0x17, data, 4);
    values.AppendTo(ring);
}

// Three pleth samples and a status byte: the signal strength follows the third sample.
void CSignalSimulator::AddPleth(FrameBatch& batch, uint8_t status)
{
    uint8_t d[4];
    int third = 0;
    for (int i = 0; i < 3; ++i) {
        third = g_i32PlethTemplate[m_nPlethPos];
        d[i] = Low(third);
        m_nPlethPos = (m_nPlethPos + 1) % g_i32PlethTemplateLen;
    }
    int strength = third <= 96 ? third / 6 : 15;
    d[3] = static_cast<uint8_t>(strength | (status & 0xF0));
    batch.Add(0x16, d, 4);
}

void CSignalSimulator::SimTemp(CRxRing& ring)
{
    if (!EveryNth(&m_nTempTicks, kSlowTicks)) return;
    uint16_t temp;
    uint8_t probeOff;
    {
        CSingleLock guard(theApp.m_csSim);
        temp = theApp.m_wSimTemp;
        probeOff = theApp.m_bySimTempProbeOff;
    }
    FrameBatch batch;
    const uint8_t data[5] = {probeOff, High(temp), Low(temp), High(temp), Low(temp)};
    batch.Add(0x15, data, 5);
    batch.AppendTo(ring);
}

void CSignalSimulator::SimAirOxy(CRxRing& ring)
{
    if (!EveryNth(&m_nAirOxyTicks, kSlowTicks)) return;
    uint8_t airOxy, probeOff;
    {
        CSingleLock guard(theApp.m_csSim);
        airOxy = theApp.m_bySimAirOxy;
        probeOff = theApp.m_bySimAirOxyProbeOff;
    }
    FrameBatch batch;
    batch.Add(0x30, &airOxy, 1);
    batch.Add(0x31, &probeOff, 1);
    batch.AppendTo(ring);
}
