// The link thread: owns the receive ring, the packet parser, the command queue, the signal
// simulator and the serial port. Each pass of its loop runs a simulator tick when one is due
// (every 48 ms on average), parses everything received into the data object and advances the
// command queue; 15 s after it started it ends the system's start-up phase.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/commandqueue.h"
#include "link/packetparser.h"
#include "link/rxring.h"
#include "link/signalsimulator.h"
#include "platform/winthread.h"
#include "platform/wintypes.h"

class CMonitorData;
class CSerialPort;

class UartDataThread : public CWinThread {
public:
    static constexpr DWORD kSimTickMs = 48;
    static constexpr DWORD kStartupMs = 15000;
    static constexpr DWORD kPassSleepMs = 4;

    // The data object defaults to the application's; tests may hand in their own.
    explicit UartDataThread(CMonitorData* data = nullptr);
    ~UartDataThread() override;

    // Opens the serial port; the thread runs whether or not that worked.
    BOOL InitInstance() override;
    // The loop; returns ExitInstance's result once the stop flag is seen.
    int Run() override;
    // Closes and deletes the serial port.
    int ExitInstance() override;

    // One simulator tick (the five steps), then the parse, then the command step.
    void Tick() { Pass(true); }
    // One pass of the loop at tick count `now`: the start-up check, a simulator tick when one
    // is due, the parse and the command step.
    void LoopPass(DWORD now);
    // Starts the loop's clock: the start-up phase and the simulator schedule count from `now`.
    void BeginLoop(DWORD now);

    void ParseRxData();
    int SendCmdStep(int* status) { return m_queue.SendCmdStep(status); }
    // The transmit step: in this system nothing is sent on the port.
    void SendCurFrame() {}

    // Command builders (UI thread). Each returns 0 when queued, non-zero when the queue is full.
    int SendStIsoPoint(uint16_t st, uint16_t iso);
    int SendRespApneaTime(uint8_t index);
    int SendEcgCal(uint8_t on);
    int SendEcgHrLead(uint8_t lead);
    int SendEcgWaveGain(uint8_t gain);
    int SendCmdN();
    int SendEcgPaceSw(uint8_t sw);
    int SendEcgTrap(uint8_t trap);
    int SendEcgWaveFilter(uint8_t filter);
    int SendEcgLeadMode(uint8_t mode);
    int SendCmdF(uint8_t value);
    int SendNibpCal();
    int SendCmdRBracket();
    int SendCmdV();
    int SendCmdCaret();
    int SendCmdW(uint32_t value);
    int SendNibpLeakTest();
    int SendCmdLBracket();
    int SendNibpPreInflate(uint8_t first, uint8_t second);
    int SendNibpReset();
    int SendCmdU();
    int SendCmdB(uint8_t value);
    int SendRespGain(uint8_t index);
    int SendCmdT(uint32_t value);
    int SendCmdS(uint32_t value);

    // Stop flag: set non-zero (any thread) to end the loop after its current pass.
    std::atomic<int> m_bExit{0};

    CRxRing& RxRing() { return m_rxRing; }
    CCommandQueue& Queue() { return m_queue; }
    CSignalSimulator& Simulator() { return m_sim; }
    const CPacketParser& Parser() const { return m_parser; }
    CSerialPort* SerialPort() { return m_pSerialPort; }
    int SendStatus() const { return m_nSendStatus; }

private:
    void Pass(bool simulate);
    int PushCommand(uint8_t letter, const uint8_t* data, int count);
    CMonitorData* Data() const;

    CMonitorData* m_pData;
    CRxRing m_rxRing;
    CPacketParser m_parser;
    CSignalSimulator m_sim;
    CSerialPort* m_pSerialPort;
    CCommandQueue m_queue;
    int m_nSendStatus = 0;
    DWORD m_dwStartTick = 0;
    DWORD m_dwLastSimTick = 0;
    bool m_bStartupDone = false;
};
