// The main screen's panels as the main dialog feeds them every 500 ms.
#include <gtest/gtest.h>

#include <vector>

#include "app/mainpanels.h"
#include "appbase/tesmorapp.h"
#include "core/monitordata.h"
#include "display/staticbpvaluenormal.h"
#include "display/staticvalueecgnormal.h"
#include "display/staticvaluefanormal.h"
#include "display/staticvaluerespnormal.h"
#include "display/staticvaluespo2normal.h"
#include "display/staticvaluetempnormal.h"
#include "platform/textu16.h"
#include "platform/wnd.h"
#include "support/tempfolder.h"

namespace {

// An alarm of each type, raised alone, blinks the frame of its own group's panel and of no
// other: the frame's left strip shows the panel colour on the first blink step, black otherwise.
TEST(MainPanelsTest, AnAlarmBlinksOnlyThePanelOfItsGroup)
{
    TempFolder folder;
    theApp.ResetForTests();
    CMonitorData data;
    CWnd parent;
    parent.Create(nullptr, CRect(0, 0, 1400, 800), 1);
    CMainPanels panels;
    panels.Create(&parent, data);
    const std::vector<CValuePanel*> all = {panels.EcgPanel(),  panels.BpPanel(),   panels.TempPanel(),
                                           panels.Spo2Panel(), panels.RespPanel(), panels.FaPanel()};
    struct GROUP {
        int type;
        CValuePanel* panel;
    };
    // ECG, ST and arrhythmia share the ECG panel.
    const GROUP groups[] = {{1, all[0]}, {7, all[0]}, {8, all[0]}, {5, all[1]},
                            {4, all[2]}, {3, all[3]}, {2, all[4]}, {6, all[5]}};
    const PANEL_VALUES markers = {-100, -10000, -10000, -100, -100, -100, -100, -100};
    for (const GROUP& group : groups) {
        ASSERT_EQ(data.RaiseAlarm(group.type, 1, u"2026-12-07 08:00:00", 0, 0), 0) << group.type;
        panels.OnAlarmStep(data, markers, false);
        for (const CValuePanel* panel : all) {
            const COLORREF expected = panel == group.panel ? panel->Look().crPanel : 0;
            EXPECT_EQ(panel->GetSurfacePixel(0, panel->GetLayoutSize().cy / 2), expected)
                << "type " << group.type << ", panel " << ToUtf8(panel->Look().pszCaption);
        }
        data.RemoveAlarmsByType(group.type, 1);
        panels.OnAlarmStep(data, markers, false);
    }
    panels.Delete();
}

}  // namespace
