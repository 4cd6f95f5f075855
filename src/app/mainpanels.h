// The main screen's value panels and status strip, created and fed as one set: the six panels
// with their start-up setters, the alarm states and values every 500 ms, the beat heart and
// pulse bar every tick, and the strip's clock, power status and alarm lines every second.
#pragma once

#include <cstdint>
#include <memory>

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
    CMainPanels();
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

    CDisplayField* StatusStrip() const { return m_pStatus.get(); }
    CStaticValueECGNormal* EcgPanel() const { return m_pEcg.get(); }
    CStaticValueSPO2Normal* Spo2Panel() const { return m_pSpo2.get(); }
    CStaticValueTempNormal* TempPanel() const { return m_pTemp.get(); }
    CStaticValueRespNormal* RespPanel() const { return m_pResp.get(); }
    CStaticBPValueNormal* BpPanel() const { return m_pBp.get(); }
    CStaticValueFANormal* FaPanel() const { return m_pFa.get(); }

private:
    void CreateStatusStrip(CWnd* parent, CMonitorData& data);
    void CreateEcgPanel(CWnd* parent, const CMonitorData& data);
    void CreateBpPanel(CWnd* parent, const CMonitorData& data);
    void CreateOtherPanels(CWnd* parent, const CMonitorData& data);

    std::unique_ptr<CDisplayField> m_pStatus;
    std::unique_ptr<CStaticValueECGNormal> m_pEcg;
    std::unique_ptr<CStaticBPValueNormal> m_pBp;
    std::unique_ptr<CStaticValueTempNormal> m_pTemp;
    std::unique_ptr<CStaticValueSPO2Normal> m_pSpo2;
    std::unique_ptr<CStaticValueRespNormal> m_pResp;
    std::unique_ptr<CStaticValueFANormal> m_pFa;
};
