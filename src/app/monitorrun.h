// One run of the monitor: creates the data object (which loads and validates the settings),
// checks the screen pictures against the files the monitor keeps, opens the screen, runs the
// main dialog until it is closed, a signal arrives or the timed run ends, then shuts down in
// order and deletes the data object.
#pragma once

#include <string>

#include "platform/wintypes.h"

class CRunDeadline;

struct MonitorOptions {
    bool headless = false;        // never open a window
    int seconds = -1;             // end after this many seconds; negative: run until closed
    std::string snapshotPath;     // write the last frame here at the end
    DWORD screenshotPeriodMs = 5000;  // headless: how often the screen is written as a PNG
    std::string screenshotPath;   // headless: where; empty: "screen.png" in the program's folder
};

class CMonitorRun {
public:
    explicit CMonitorRun(MonitorOptions options) : m_options(std::move(options)) {}

    // Returns the process exit status: 0 after an orderly shutdown, 2 when the snapshot is
    // refused.
    int Run();

    // Asks a running monitor to close; safe to call from a signal handler.
    static void RequestStop();

private:
    // Once the settings have named the record files and before anything is written, checks the
    // pictures against the files the monitor keeps: a snapshot that would be written over one
    // ends the run before it starts (false, one line); a headless picture that would is not
    // written, and shotRefused says why. An accepted snapshot is added to theApp's pictures.
    bool AcceptPictures(const std::string& shotPath, std::string& shotRefused) const;
    bool ShouldStop(CRunDeadline& deadline) const;

    MonitorOptions m_options;
};
