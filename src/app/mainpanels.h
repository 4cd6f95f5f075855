// The main screen's value panels and status strip, created and fed as one set: the six panels
// with their start-up setters, the alarm states and values every 500 ms, the beat heart and
// pulse bar every tick, and the strip's clock, power status and alarm lines every second.
#pragma once

#include <cstdint>

class CWnd;
class CMonitorData;
class CDisplayField;
class CStaticValueECGNormal;
class CStaticBPValueNormal;
class CStaticValueTempNormal;
class CStaticValueSPO2Normal;
class CStaticValueRespNormal;
class CStaticValueFANormal;

// The values a panel shows, as the 50 ms loop copied them.
struct PANEL_VALUES {
    int16_t hr;
    int16_t st1;
    int16_t st2;
    int16_t spo2;
    int16_t pr;
    int16_t temp;
    int16_t rr;
    int16_t airOxy;
};

class CMainPanels {
public:
    CMainPanels() = default;
    ~CMainPanels();
    CMainPanels(const CMainPanels&) = delete;
    CMainPanels& operator=(const CMainPanels&) = delete;

    void Create(CWnd* parent, CMonitorData& data);
    // Every tick: the beat heart and the pulse bar.
    void OnTick(int beat, uint8_t strength);
    // Every 500 ms: alarm states (not during the start-up phase), values, blinking.
    void OnAlarmStep(CMonitorData& data, const PANEL_VALUES& values, bool startup);
    // Every second: clock, power status and the rotating alarm lines.
    void OnSecond();
    void Delete();

    CDisplayField* StatusStrip() const { return m_pStatus; }
    CStaticValueECGNormal* EcgPanel() const { return m_pEcg; }
    CStaticValueSPO2Normal* Spo2Panel() const { return m_pSpo2; }
    CStaticValueTempNormal* TempPanel() const { return m_pTemp; }
    CStaticValueRespNormal* RespPanel() const { return m_pResp; }

private:
    void CreateStatusStrip(CWnd* parent, CMonitorData& data);
    void CreateEcgPanel(CWnd* parent, const CMonitorData& data);
    void CreateBpPanel(CWnd* parent, const CMonitorData& data);
    void CreateOtherPanels(CWnd* parent, const CMonitorData& data);

    CDisplayField* m_pStatus = nullptr;
    CStaticValueECGNormal* m_pEcg = nullptr;
    CStaticBPValueNormal* m_pBp = nullptr;
    CStaticValueTempNormal* m_pTemp = nullptr;
    CStaticValueSPO2Normal* m_pSpo2 = nullptr;
    CStaticValueRespNormal* m_pResp = nullptr;
    CStaticValueFANormal* m_pFa = nullptr;
};
