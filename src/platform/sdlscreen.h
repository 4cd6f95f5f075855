// A screen shown in an SDL2 desktop window. Mouse clicks go to the window under the pointer
// (two close clicks make a double click); closing the desktop window asks the loop to quit.
#pragma once

#include <memory>
#include <string>

#include "platform/screen.h"

class CSdlScreen : public CScreen {
public:
    CSdlScreen(int width, int height);
    ~CSdlScreen() override;

    // False when SDL could not open a window (no display); the screen then works headless.
    bool IsOpen() const;
    // SDL's reason when IsOpen() is false.
    const std::string& Error() const { return m_error; }

    void Present() override;
    void PollInput() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_error;
};
