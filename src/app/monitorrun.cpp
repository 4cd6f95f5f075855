#include "app/monitorrun.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "appbase/tesmorapp.h"
#include "app/rundeadline.h"
#include "app/tesmordlg.h"
#include "core/monitordata.h"
#include "platform/apppaths.h"
#include "platform/clock.h"
#include "platform/headlessscreen.h"
#include "platform/recurringerror.h"
#include "platform/sdlscreen.h"
#include "platform/textu16.h"
#include "platform/uiloop.h"

namespace {

std::atomic<bool> g_stopRequested{false};

bool DisplayAvailable()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != 0) || (wayland != nullptr && *wayland != 0);
}

std::unique_ptr<CScreen> OpenScreen(bool headless)
{
    if (!headless && DisplayAvailable()) {
        auto sdl = std::make_unique<CSdlScreen>(CTesmorDlg::kWidth, CTesmorDlg::kHeight);
        if (sdl->IsOpen()) return sdl;
        std::fprintf(stderr, "tesmor: no window could be opened (%s); running headless\n", sdl->Error().c_str());
    }
    return std::make_unique<CHeadlessScreen>(CTesmorDlg::kWidth, CTesmorDlg::kHeight);
}

// Writes the headless screen's picture, as it is every few seconds: a failure is said once
// while it lasts, and once more when writing works again.
void WriteScreenPicture(const CScreen& screen, const std::string& path, CRecurringError& said)
{
    std::string reason;
    if (screen.SavePng(path, &reason)) {
        said.Worked("tesmor: the screen is written to " + path + " again");
    } else {
        said.Failed("tesmor: cannot write PNG " + path + ": " + reason);
    }
}

}  // namespace

void CMonitorRun::RequestStop() { g_stopRequested.store(true); }

bool CMonitorRun::ShouldStop(CRunDeadline& deadline) const
{
    if (g_stopRequested.load()) return true;
    return deadline.Passed(GetTickCount());
}

bool CMonitorRun::AcceptPictures(const std::string& shotPath, std::string& shotRefused) const
{
    const CParaIni& settings = theApp.m_pMonitorData->m_ParaIni;
    const std::string& snapshot = m_options.snapshotPath;
    const std::string refused = snapshot.empty() ? "" : settings.RefusedPicturePath(snapshot);
    if (!refused.empty()) {
        std::fprintf(stderr, "tesmor: --snapshot %s %s; nothing is written\n", EscapedText(snapshot).c_str(),
                     refused.c_str());
        return false;
    }
    // A picture that is not written keeps no record file from its name.
    shotRefused = settings.RefusedPicturePath(shotPath);
    if (!shotRefused.empty()) theApp.m_vecPicturePaths.clear();
    if (!snapshot.empty()) theApp.m_vecPicturePaths.push_back(snapshot);
    return true;
}

int CMonitorRun::Run()
{
    g_stopRequested.store(false);
    CUiLoop::Instance().ResetQuit();
    const std::string shotPath = m_options.screenshotPath.empty() ? JoinAppPath(GetExeFolder(), "screen.png")
                                                                  : m_options.screenshotPath;
    // Known before the settings are read, so that no record file is put where the headless
    // picture goes; it counts in a window too, since a run without a display writes it.
    theApp.m_vecPicturePaths = {shotPath};
    theApp.m_pMonitorData = new CMonitorData();
    std::string shotRefused;
    if (!AcceptPictures(shotPath, shotRefused)) {
        delete theApp.m_pMonitorData;
        theApp.m_pMonitorData = nullptr;
        return 2;
    }

    std::unique_ptr<CScreen> screen = OpenScreen(m_options.headless);
    const bool headless = dynamic_cast<CSdlScreen*>(screen.get()) == nullptr;
    const bool writeShot = headless && shotRefused.empty();
    CRecurringError shotError;
    if (writeShot) {
        std::printf("tesmor: headless; the screen is written to %s every %u s\n", shotPath.c_str(),
                    m_options.screenshotPeriodMs / 1000);
    } else if (headless) {
        std::fprintf(stderr, "tesmor: headless; the screen picture %s %s, so the screen is not written\n",
                     EscapedText(shotPath).c_str(), shotRefused.c_str());
    }
    std::fflush(stdout);

    int status = 0;
    {
        CTesmorDlg dlg;
        theApp.m_pMainWnd = &dlg;
        if (!dlg.CreateMain()) {
            status = 1;
        } else {
            const DWORD started = GetTickCount();
            CRunDeadline deadline(m_options.seconds, started);
            DWORD lastShot = started;
            while (screen->RunOnce(100) && !ShouldStop(deadline)) {
                if (writeShot && GetTickCount() - lastShot >= m_options.screenshotPeriodMs) {
                    WriteScreenPicture(*screen, shotPath, shotError);
                    lastShot = GetTickCount();
                }
            }
            screen->PaintPass();
            if (!m_options.snapshotPath.empty() && !screen->SavePng(m_options.snapshotPath)) {
                std::fprintf(stderr, "tesmor: could not write the snapshot %s\n", m_options.snapshotPath.c_str());
            }
            dlg.DestroyWindow();
        }
        theApp.m_pMainWnd = nullptr;
    }
    delete theApp.m_pMonitorData;
    theApp.m_pMonitorData = nullptr;
    return status;
}
