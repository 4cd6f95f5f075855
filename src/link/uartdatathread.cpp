#include "link/uartdatathread.h"

#include <cstring>

#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "link/framecodec.h"
#include "link/serialport.h"
#include "platform/clock.h"

UartDataThread::UartDataThread(CMonitorData* data) : m_pData(data), m_pSerialPort(new CSerialPort) {}

UartDataThread::~UartDataThread() { delete m_pSerialPort; }

CMonitorData* UartDataThread::Data() const { return m_pData != nullptr ? m_pData : theApp.m_pMonitorData; }

BOOL UartDataThread::InitInstance()
{
    if (m_pSerialPort != nullptr) m_pSerialPort->Open();
    return TRUE;
}

int UartDataThread::ExitInstance()
{
    if (m_pSerialPort != nullptr) {
        m_pSerialPort->Close();
        delete m_pSerialPort;
        m_pSerialPort = nullptr;
    }
    return CWinThread::ExitInstance();
}

int UartDataThread::Run()
{
    BeginLoop(GetTickCount());
    for (;;) {
        LoopPass(GetTickCount());
        if (m_bExit.load() != 0) return ExitInstance();
        Sleep(kPassSleepMs);
    }
}

void UartDataThread::BeginLoop(DWORD now)
{
    m_dwStartTick = now;
    m_dwLastSimTick = now;
    m_bStartupDone = false;
}

void UartDataThread::LoopPass(DWORD now)
{
    if (!m_bStartupDone && now - m_dwStartTick > kStartupMs) {
        if (CMonitorData* data = Data()) data->EndStartupPhase();
        m_bStartupDone = true;
    }
    // A late pass is made up by the following ones: one simulator tick per pass.
    bool simulate = now - m_dwLastSimTick >= kSimTickMs;
    if (simulate) m_dwLastSimTick += kSimTickMs;
    Pass(simulate);
}

void UartDataThread::Pass(bool simulate)
{
    if (simulate) m_sim.Tick(m_rxRing);
    ParseRxData();
    m_queue.SendCmdStep(&m_nSendStatus);
    if (m_nSendStatus == CCommandQueue::kStatusNewFrame || m_nSendStatus == CCommandQueue::kStatusResend) {
        SendCurFrame();
    }
}

void UartDataThread::ParseRxData() { m_parser.ParseRxData(m_rxRing, Data(), m_queue); }

// ---- command builders ----------------------------------------------------------------------

int UartDataThread::PushCommand(uint8_t letter, const uint8_t* data, int count)
{
    uint8_t frame[CFrameCodec::kMaxFrameLen];
    frame[0] = letter;
    if (count > 0) std::memcpy(frame + 1, data, static_cast<size_t>(count));
    CFrameCodec::EncodeFrame(frame, count + 4);
    return m_queue.PushSendCmd(frame, letter, count + 4);
}

namespace {

uint8_t High(unsigned v) { return static_cast<uint8_t>((v >> 8) & 0xFF); }
uint8_t Low(unsigned v) { return static_cast<uint8_t>(v & 0xFF); }

}  // namespace

int UartDataThread::SendStIsoPoint(uint16_t st, uint16_t iso)
{
    const uint8_t data[4] = {High(st), Low(st), High(iso), Low(iso)};
    return PushCommand('L', data, 4);
}

int UartDataThread::SendRespApneaTime(uint8_t index) { return PushCommand('R', &index, 1); }
int UartDataThread::SendEcgCal(uint8_t on) { return PushCommand('I', &on, 1); }
int UartDataThread::SendEcgHrLead(uint8_t lead) { return PushCommand('M', &lead, 1); }
int UartDataThread::SendEcgWaveGain(uint8_t gain) { return PushCommand('H', &gain, 1); }
int UartDataThread::SendCmdN() { return PushCommand('N', nullptr, 0); }
int UartDataThread::SendEcgPaceSw(uint8_t sw) { return PushCommand('K', &sw, 1); }
int UartDataThread::SendEcgTrap(uint8_t trap) { return PushCommand('J', &trap, 1); }
int UartDataThread::SendEcgWaveFilter(uint8_t filter) { return PushCommand('G', &filter, 1); }
int UartDataThread::SendEcgLeadMode(uint8_t mode) { return PushCommand('E', &mode, 1); }
int UartDataThread::SendCmdF(uint8_t value) { return PushCommand('F', &value, 1); }
int UartDataThread::SendNibpCal() { return PushCommand('X', nullptr, 0); }
int UartDataThread::SendCmdRBracket() { return PushCommand(']', nullptr, 0); }
int UartDataThread::SendCmdV() { return PushCommand('V', nullptr, 0); }
int UartDataThread::SendCmdCaret() { return PushCommand('^', nullptr, 0); }

int UartDataThread::SendCmdW(uint32_t value)
{
    uint8_t low = Low(value);
    return PushCommand('W', &low, 1);
}

int UartDataThread::SendNibpLeakTest() { return PushCommand('Z', nullptr, 0); }
int UartDataThread::SendCmdLBracket() { return PushCommand('[', nullptr, 0); }

int UartDataThread::SendNibpPreInflate(uint8_t first, uint8_t second)
{
    const uint8_t data[2] = {first, second};
    return PushCommand('\\', data, 2);
}

int UartDataThread::SendNibpReset() { return PushCommand('Y', nullptr, 0); }
int UartDataThread::SendCmdU() { return PushCommand('U', nullptr, 0); }
int UartDataThread::SendCmdB(uint8_t value) { return PushCommand('B', &value, 1); }
int UartDataThread::SendRespGain(uint8_t index) { return PushCommand('P', &index, 1); }

int UartDataThread::SendCmdT(uint32_t value)
{
    uint8_t low = Low(value);
    return PushCommand('T', &low, 1);
}

int UartDataThread::SendCmdS(uint32_t value)
{
    uint8_t low = Low(value);
    return PushCommand('S', &low, 1);
}
