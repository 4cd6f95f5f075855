#include "platform/sdlscreen.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>

#include "platform/uiloop.h"

namespace {

// The video drivers that show a window on a desktop there is: SDL would otherwise fall back to
// its offscreen driver when the display cannot be reached, and run with nothing shown.
std::string DesktopDrivers()
{
    std::string drivers;
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (x11 != nullptr && *x11 != 0) drivers = "x11";
    if (wayland != nullptr && *wayland != 0) drivers += drivers.empty() ? "wayland" : ",wayland";
    return drivers;
}

// Sets SDL up for a plain window surface on a desktop driver; false when there is no display.
bool ChooseVideo()
{
    // Without this SDL may back the window surface with a GL texture (and first probe GL with a
    // hidden test window), which starts the graphics driver's threads.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
    // SDL_VIDEODRIVER in the environment still chooses (tests use the dummy driver).
    std::string drivers = DesktopDrivers();
    if (drivers.empty() && SDL_getenv("SDL_VIDEODRIVER") == nullptr) return false;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    return true;
}

}  // namespace

// GCC says it builds with the address sanitizer through __SANITIZE_ADDRESS__, clang through
// __has_feature(address_sanitizer).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESMOR_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESMOR_ADDRESS_SANITIZER 1
#endif

#if defined(TESMOR_ADDRESS_SANITIZER)
// Leak-checking builds only. With no session bus address in the environment (as under a
// virtual display) libdbus, started by SDL's video subsystem, tries to launch a session bus
// and keeps a read buffer from that attempt that no call of SDL or libdbus frees (SDL_Quit and
// dbus_shutdown leave it): leak reports pass over what libdbus allocated.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
#endif

struct CSdlScreen::Impl {
    bool videoStarted = false;
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;  // the surface last presented to
    bool wholeFrame = true;          // the next present copies the whole frame
};

CSdlScreen::CSdlScreen(int width, int height) : CScreen(width, height), m_impl(std::make_unique<Impl>())
{
    if (!Open()) Close();
}

bool CSdlScreen::Open()
{
    if (!ChooseVideo()) {
        m_error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        m_error = SDL_GetError();
        return false;
    }
    m_impl->videoStarted = true;
    m_impl->window = SDL_CreateWindow("tesmor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, Width(), Height(), 0);
    if (m_impl->window == nullptr) {
        m_error = SDL_GetError();
        return false;
    }
    m_impl->surface = SDL_GetWindowSurface(m_impl->window);
    if (m_impl->surface == nullptr) {
        m_error = std::string("the window has no surface: ") + SDL_GetError();
        return false;
    }
    return true;
}

CSdlScreen::~CSdlScreen() { Close(); }

void CSdlScreen::Close()
{
    if (m_impl->window != nullptr) SDL_DestroyWindow(m_impl->window);
    if (m_impl->videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // Quitting the video subsystem leaves what SDL started beside it (its D-Bus connection
    // among them): the last user shuts SDL down as a whole.
    if (m_impl->videoStarted && SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    *m_impl = Impl();
}

bool CSdlScreen::IsOpen() const { return m_impl->window != nullptr; }

SDL_Window* CSdlScreen::Window() const { return m_impl->window; }

void CSdlScreen::Present(const std::vector<CRect>& changed)
{
    if (!IsOpen()) return;
    SDL_Surface* surface = SDL_GetWindowSurface(m_impl->window);
    if (surface != m_impl->surface) m_impl->wholeFrame = true;
    m_impl->surface = surface;
    m_lastPresented.clear();
    if (surface == nullptr) return;  // a surface on a later present differs: the whole frame
    CRect whole(0, 0, Width(), Height());
    // The screen forgets what changed once it was presented: when any of it could not be
    // shown, the next present shows the whole frame.
    m_impl->wholeFrame = !CopyToSurface(m_impl->wholeFrame ? std::vector<CRect>{whole} : changed);
}

// Copies the rectangles from the frame into the window surface, converting the pixel format
// where the surface's differs, and updates them on the display.
bool CSdlScreen::CopyToSurface(const std::vector<CRect>& rects)
{
    SDL_Surface* surface = m_impl->surface;
    CRect bounds(0, 0, std::min(Width(), surface->w), std::min(Height(), surface->h));
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    std::vector<SDL_Rect> updates;
    bool copied = true;
    const int framePitch = Width() * static_cast<int>(sizeof(uint32_t));
    for (const CRect& rect : rects) {
        CRect r;
        if (!r.IntersectRect(rect, bounds)) continue;
        const uint32_t* from = Frame().Bits() + static_cast<size_t>(r.top) * Width() + r.left;
        auto* to = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(r.top) * surface->pitch +
                   static_cast<size_t>(r.left) * surface->format->BytesPerPixel;
        // The frame's 0x00RRGGBB words are SDL's RGB888 layout.
        if (SDL_ConvertPixels(r.Width(), r.Height(), SDL_PIXELFORMAT_RGB888, from, framePitch,
                              surface->format->format, to, surface->pitch) != 0) {
            copied = false;
            continue;
        }
        updates.push_back(SDL_Rect{r.left, r.top, r.Width(), r.Height()});
        m_lastPresented.push_back(r);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (updates.empty()) return copied;
    return SDL_UpdateWindowSurfaceRects(m_impl->window, updates.data(), static_cast<int>(updates.size())) == 0 && copied;
}

// Read through the surface's own channel masks, apart from the copy's conversion.
COLORREF CSdlScreen::WindowPixel(int x, int y) const
{
    SDL_Surface* surface = m_impl->surface;
    if (surface == nullptr || x < 0 || y < 0 || x >= surface->w || y >= surface->h) return CLR_INVALID;
    const int bytes = surface->format->BytesPerPixel;
    const auto* at = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch +
                     static_cast<size_t>(x) * bytes;
    Uint32 raw = 0;
    if (bytes == 4) raw = *reinterpret_cast<const Uint32*>(at);
    if (bytes == 2) raw = *reinterpret_cast<const Uint16*>(at);
    if (bytes == 3) raw = SDL_BYTEORDER == SDL_LIL_ENDIAN ? at[0] | at[1] << 8 | at[2] << 16 : at[2] | at[1] << 8 | at[0] << 16;
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return RGB(r, g, b);
}

void CSdlScreen::PollInput()
{
    if (!IsOpen()) return;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) {
            CUiLoop::Instance().PostQuit();
        } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
            CUiLoop::Instance().PostQuit();  // Esc closes the monitor like the close box
        } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT) {
            Click(CPoint(event.button.x, event.button.y));
        } else if (event.type == SDL_WINDOWEVENT) {
            Uint8 what = event.window.event;
            // The window system may have lost what was shown: show all of it again.
            if (what == SDL_WINDOWEVENT_EXPOSED || what == SDL_WINDOWEVENT_RESTORED ||
                what == SDL_WINDOWEVENT_SIZE_CHANGED) {
                m_impl->wholeFrame = true;
            }
        }
    }
}
