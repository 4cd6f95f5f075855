// The application object: what every subsystem reaches through the one global `theApp`.
// It holds the data object and worker-thread pointers, the alarm latching mode, the power
// status, the simulator panel's values, the four record-file paths, the settings file's path
// and the paths of the screen pictures.
#pragma once

#include <string>
#include <vector>

#include "platform/criticalsection.h"
#include "platform/wintypes.h"

class CMonitorData;
class UartDataThread;
class CThreadDataAlmRec;
class CThreadDraw;
class CWnd;

class CTesmorApp {
public:
    CTesmorApp() = default;
    CTesmorApp(const CTesmorApp&) = delete;
    CTesmorApp& operator=(const CTesmorApp&) = delete;

    // Reads the platform's power status into the three power members under m_csPower.
    int UpdatePowerStatus();
    // Copies the three power members out under m_csPower.
    int GetPowerStatus(int* acLine, int* batteryFlag, int* percent);

    CMonitorData* m_pMonitorData = nullptr;
    UartDataThread* m_pUartDataThread = nullptr;
    CThreadDataAlmRec* m_pThreadDataAlmRec = nullptr;
    CThreadDraw* m_pThreadDraw = nullptr;
    CWnd* m_pMainWnd = nullptr;

    // Alarm latching: 0 non-latching, any other value latching. Not saved.
    int m_nAlmLatch = 0;

    // Full paths of the record files, set once by the data object's constructor.
    std::string m_strDataSavePath;
    std::string m_strNibpSavePath;
    std::string m_strAlmSavePath;
    std::string m_strSysSavePath;
    // Full path of the settings file, set with the record paths: no record file may be it.
    std::string m_strIniPath;
    // The screen pictures this run may write (the headless picture, the snapshot), set by the
    // program before it makes the data object: no record file may be one of them or the
    // temporary file it is written through.
    std::vector<std::string> m_vecPicturePaths;

    // Serial port number; nothing writes it.
    int m_nComPort = 0;

    // Simulator values, written by the simulator panel and read by the link thread under m_csSim.
    CCriticalSection m_csSim;
    int m_nSimHr = 30;
    int m_nSimSt = 0;
    BYTE m_bySimLeadOff = 0;
    BYTE m_bySimArra = 0;
    WORD m_wSimRr = 15;
    BYTE m_bySimApnea = 0;
    int m_nSimSpo2 = 100;
    int m_nSimPr = 30;
    BYTE m_bySimSpo2Status = 0;
    WORD m_wSimTemp = 371;
    BYTE m_bySimTempProbeOff = 0;
    BYTE m_bySimAirOxy = 30;
    BYTE m_bySimAirOxyProbeOff = 0;

    // Puts every member back to its start value (for tests that run several starts).
    void ResetForTests();

private:
    CCriticalSection m_csPower;
    int m_nAcLineStatus = 255;
    int m_nBatteryLifePercent = 255;
    int m_nBatteryFlag = 255;
};

extern CTesmorApp theApp;
