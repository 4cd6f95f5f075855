#include "appbase/tesmorapp.h"

#include "platform/powerstatus.h"

CTesmorApp theApp;

int CTesmorApp::UpdatePowerStatus()
{
    SYSTEM_POWER_STATUS status;
    GetSystemPowerStatus(&status);
    CSingleLock guard(m_csPower);
    m_nAcLineStatus = status.ACLineStatus;
    m_nBatteryLifePercent = status.BatteryLifePercent;
    m_nBatteryFlag = status.BatteryFlag;
    return 0;
}

int CTesmorApp::GetPowerStatus(int* acLine, int* batteryFlag, int* percent)
{
    CSingleLock guard(m_csPower);
    if (acLine != nullptr) *acLine = m_nAcLineStatus;
    if (batteryFlag != nullptr) *batteryFlag = m_nBatteryFlag;
    if (percent != nullptr) *percent = m_nBatteryLifePercent;
    return 0;
}

void CTesmorApp::ResetForTests()
{
    m_pMonitorData = nullptr;
    m_pUartDataThread = nullptr;
    m_pThreadDataAlmRec = nullptr;
    m_pThreadDraw = nullptr;
    m_pMainWnd = nullptr;
    m_nAlmLatch = 0;
    m_strDataSavePath.clear();
    m_strNibpSavePath.clear();
    m_strAlmSavePath.clear();
    m_strSysSavePath.clear();
    m_strIniPath.clear();
    m_vecPicturePaths.clear();
    m_nComPort = 0;
    CSingleLock guard(m_csSim);
    m_nSimHr = 30;
    m_nSimSt = 0;
    m_bySimLeadOff = 0;
    m_bySimArra = 0;
    m_wSimRr = 15;
    m_bySimApnea = 0;
    m_nSimSpo2 = 100;
    m_nSimPr = 30;
    m_bySimSpo2Status = 0;
    m_wSimTemp = 371;
    m_bySimTempProbeOff = 0;
    m_bySimAirOxy = 30;
    m_bySimAirOxyProbeOff = 0;
}
