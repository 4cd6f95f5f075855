#include "app/mainpanels.h"

#include "app/mainlayout.h"
#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "display/displayfield.h"
#include "display/staticbpvaluenormal.h"
#include "display/staticvalueecgnormal.h"
#include "display/staticvaluefanormal.h"
#include "display/staticvaluerespnormal.h"
#include "display/staticvaluespo2normal.h"
#include "display/staticvaluetempnormal.h"

namespace {

template <class Control>
std::unique_ptr<Control> CreateControl(CWnd* parent, const PLACEMENT& place)
{
    auto control = std::make_unique<Control>();
    PlaceControl(*control, place, parent);
    return control;
}

short Limit(int value) { return static_cast<short>(value); }

}  // namespace

CMainPanels::CMainPanels() = default;
CMainPanels::~CMainPanels() { Delete(); }

void CMainPanels::Create(CWnd* parent, CMonitorData& data)
{
    CreateStatusStrip(parent, data);
    CreateEcgPanel(parent, data);
    CreateBpPanel(parent, data);
    CreateOtherPanels(parent, data);
}

void CMainPanels::CreateStatusStrip(CWnd* parent, CMonitorData& data)
{
    m_pStatus = CreateControl<CDisplayField>(parent, MainLayout::kStatusStrip);
    CPatient patient;
    data.GetPatient(&patient);
    m_pStatus->SetPatient(patient);
    m_pStatus->DrawDateTime();
    m_pStatus->DrawAlarmMessages();
    m_pStatus->ShowWindow(SW_SHOW);
    m_pStatus->Invalidate();
}

void CMainPanels::CreateEcgPanel(CWnd* parent, const CMonitorData& data)
{
    m_pEcg = CreateControl<CStaticValueECGNormal>(parent, MainLayout::kEcgPanel);
    m_pEcg->SetHr(g_i16InvalidHr, true);
    m_pEcg->SetSt1(g_i16InvalidSt, true);
    m_pEcg->SetSt2(g_i16InvalidSt, true);
    m_pEcg->SetHrAlmH(Limit(data.m_nEcgHrAlmH), true);
    m_pEcg->SetHrAlmL(Limit(data.m_nEcgHrAlmL), true);
    m_pEcg->SetPaceSw(static_cast<short>(data.EcgPaceSwByte()), true);
    m_pEcg->SetBeat(0, true);
    m_pEcg->SetHrSource(Limit(data.m_nEcgHrForm), true);
    m_pEcg->SetAlmSw(data.m_nEcgAlmSw, true);
    m_pEcg->SetPvcs(0, true);
}

void CMainPanels::CreateBpPanel(CWnd* parent, const CMonitorData& data)
{
    m_pBp = CreateControl<CStaticBPValueNormal>(parent, MainLayout::kBpPanel);
    m_pBp->SetNibpTime(0, 0, 0, true);
    m_pBp->SetNibp(300, 120, true);
    m_pBp->SetNibpAlmH(data.m_nBpSbpAlmH, data.m_nBpDbpAlmH, true);
    m_pBp->SetNibpAlmL(data.m_nBpSbpAlmL, data.m_nBpDbpAlmL, true);
    m_pBp->SetNibpMidValue(0, true);
    m_pBp->SetAlmSw(data.m_nBpAlmSw, true);
    // The result lines the panel shows from start-up.
    const short sbp[9] = {120, 121, 122, 123, 124, 125, 125, 126, 127};
    for (int i = 0; i < 9; ++i) m_pBp->AddNibpResult(sbp[i], 80, 90, 80, i == 6 ? 1 : 0);
}

void CMainPanels::CreateOtherPanels(CWnd* parent, const CMonitorData& data)
{
    m_pTemp = CreateControl<CStaticValueTempNormal>(parent, MainLayout::kTempPanel);
    m_pTemp->SetTemp(g_i16InvalidTemp, true);
    m_pTemp->SetTempAlmH(Limit(data.m_nTempAlmH), true);
    m_pTemp->SetTempAlmL(Limit(data.m_nTempAlmL), true);
    m_pTemp->SetTempUnit(0, true);
    m_pTemp->SetAlmSw(data.m_nTempAlmSw, true);

    m_pSpo2 = CreateControl<CStaticValueSPO2Normal>(parent, MainLayout::kSpo2Panel);
    m_pSpo2->SetSpo2(g_i16InvalidSpo2, true);
    m_pSpo2->SetSpo2AlmH(Limit(data.m_nOxyAlmH), true);
    m_pSpo2->SetSpo2AlmL(Limit(data.m_nOxyAlmL), true);
    m_pSpo2->SetPr(g_i16InvalidPr, true);
    m_pSpo2->SetPrAlmH(Limit(data.m_nOxyPrAlmH), true);
    m_pSpo2->SetPrAlmL(Limit(data.m_nOxyPrAlmL), true);
    m_pSpo2->SetAlmSw(data.m_nOxyAlmSw, true);

    m_pResp = CreateControl<CStaticValueRespNormal>(parent, MainLayout::kRespPanel);
    m_pResp->SetRr(g_i16InvalidRr, true);
    m_pResp->SetRrAlmH(Limit(data.m_nRespRrAlmH), true);
    m_pResp->SetRrAlmL(Limit(data.m_nRespRrAlmL), true);
    m_pResp->SetAlmSw(data.m_nRespAlmSw, true);

    m_pFa = CreateControl<CStaticValueFANormal>(parent, MainLayout::kFaPanel);
    m_pFa->SetAirOxy(g_i16InvalidAirOxy, true);
    m_pFa->SetAirOxyAlmH(Limit(data.m_nAirOxyAlmH), true);
    m_pFa->SetAirOxyAlmL(Limit(data.m_nAirOxyAlmL), true);
    m_pFa->SetAlmSw(data.m_nAirOxyAlmSw, true);
}

void CMainPanels::OnTick(int beat, uint8_t strength)
{
    m_pEcg->SetBeat(static_cast<short>(beat), false);
    m_pSpo2->SetPulseBar(strength, false);
    m_pEcg->RefreshIfDirty();
    m_pSpo2->RefreshIfDirty();
}

void CMainPanels::OnAlarmStep(CMonitorData& data, const PANEL_VALUES& v, bool startup)
{
    if (!startup) {
        m_pEcg->SetAlmFlag(data.IsAnyEcgAlmOn());
        m_pBp->SetAlmFlag(data.IsNibpAlmOn());
        m_pTemp->SetAlmFlag(data.IsTempAlmOn());
        m_pSpo2->SetAlmFlag(data.IsSpo2AlmOn());
        m_pResp->SetAlmFlag(data.IsRespAlmOn());
        m_pFa->SetAlmFlag(data.IsAirOxyAlmOn());
    }
    m_pEcg->SetHr(v.hr, false);
    m_pEcg->SetSt1(v.st1, false);
    m_pEcg->SetSt2(v.st2, false);
    m_pSpo2->SetSpo2(v.spo2, false);
    m_pSpo2->SetPr(v.pr, false);
    m_pTemp->SetTemp(v.temp, false);
    m_pResp->SetRr(v.rr, false);
    m_pFa->SetAirOxy(v.airOxy, false);

    m_pEcg->BlinkAlmFrame();
    m_pBp->BlinkAlmFrame();
    m_pTemp->BlinkAlmFrame();
    m_pSpo2->BlinkAlmFrame();
    m_pResp->BlinkAlmFrame();
    m_pFa->BlinkAlmFrame();
    m_pBp->RefreshIfDirty();
    m_pTemp->RefreshIfDirty();
    m_pSpo2->RefreshIfDirty();
    m_pResp->RefreshIfDirty();
    m_pFa->RefreshIfDirty();
    m_pStatus->RefreshIfDirty();
}

void CMainPanels::OnSecond()
{
    m_pStatus->DrawDateTime();
    theApp.UpdatePowerStatus();
    int acLine = 255;
    int batteryFlag = 255;
    int percent = 255;
    theApp.GetPowerStatus(&acLine, &batteryFlag, &percent);
    m_pStatus->DrawPowerStatus(acLine, batteryFlag, percent);
    m_pStatus->DrawAlarmMessages();
    m_pStatus->RefreshIfDirty();
}

void CMainPanels::Delete()
{
    m_pStatus.reset();
    m_pEcg.reset();
    m_pBp.reset();
    m_pTemp.reset();
    m_pSpo2.reset();
    m_pResp.reset();
    m_pFa.reset();
}
