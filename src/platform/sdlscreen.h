// A screen shown in an SDL2 desktop window. The frame is composed in software, so it is copied
// straight into the window's own surface: only the rectangles that changed since the last
// present, or the whole frame after the window was exposed, restored or got a new surface, or
// after a present that could not copy everything. No renderer and no GL context is made, so no
// graphics driver starts its threads. Mouse clicks go to the window under the pointer (two
// close clicks make a double click); closing the desktop window asks the loop to quit.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/screen.h"

struct SDL_Window;

class CSdlScreen : public CScreen {
public:
    CSdlScreen(int width, int height);
    ~CSdlScreen() override;

    // False when SDL could not open a window with a surface (no display); the screen then
    // works headless.
    bool IsOpen() const;
    // SDL's reason when IsOpen() is false.
    const std::string& Error() const { return m_error; }

    void Present(const std::vector<CRect>& changed) override;
    void PollInput() override;

    // The rectangles the latest present updated in the window (for tests).
    const std::vector<CRect>& LastPresented() const { return m_lastPresented; }
    // The desktop window; null when IsOpen() is false (for tests).
    SDL_Window* Window() const;
    // Reads one pixel back from the window surface as a COLORREF; CLR_INVALID outside or
    // without a surface (for tests).
    COLORREF WindowPixel(int x, int y) const;

private:
    struct Impl;
    bool Open();
    void Close();
    bool CopyToSurface(const std::vector<CRect>& rects);
    std::unique_ptr<Impl> m_impl;
    std::string m_error;
    std::vector<CRect> m_lastPresented;
};
