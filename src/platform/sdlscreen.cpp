#include "platform/sdlscreen.h"

#include <SDL.h>

#include "platform/uiloop.h"

struct CSdlScreen::Impl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
};

CSdlScreen::CSdlScreen(int width, int height) : CScreen(width, height), m_impl(std::make_unique<Impl>())
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        m_error = SDL_GetError();
        return;
    }
    m_impl->window = SDL_CreateWindow("tesmor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, Width(), Height(), 0);
    if (m_impl->window != nullptr) m_impl->renderer = SDL_CreateRenderer(m_impl->window, -1, 0);
    if (m_impl->renderer != nullptr) {
        m_impl->texture = SDL_CreateTexture(m_impl->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                            Width(), Height());
    }
    if (m_impl->texture == nullptr) {
        m_error = SDL_GetError();
        if (m_impl->renderer != nullptr) SDL_DestroyRenderer(m_impl->renderer);
        if (m_impl->window != nullptr) SDL_DestroyWindow(m_impl->window);
        m_impl->renderer = nullptr;
        m_impl->window = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

CSdlScreen::~CSdlScreen()
{
    if (!IsOpen()) return;
    SDL_DestroyTexture(m_impl->texture);
    SDL_DestroyRenderer(m_impl->renderer);
    SDL_DestroyWindow(m_impl->window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool CSdlScreen::IsOpen() const { return m_impl->texture != nullptr; }

void CSdlScreen::Present()
{
    if (!IsOpen()) return;
    SDL_UpdateTexture(m_impl->texture, nullptr, Frame().Bits(), Width() * 4);
    SDL_RenderClear(m_impl->renderer);
    SDL_RenderCopy(m_impl->renderer, m_impl->texture, nullptr, nullptr);
    SDL_RenderPresent(m_impl->renderer);
}

void CSdlScreen::PollInput()
{
    if (!IsOpen()) return;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) {
            CUiLoop::Instance().PostQuit();
        } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT) {
            Click(CPoint(event.button.x, event.button.y));
        }
    }
}
