// Fonts. A font is a face name, a height and a style; the glyphs come from the glyph cache
// (FreeType, faces found through fontconfig). Text is laid out in fixed cells of the cell
// height h: a half-width character is h/2 wide, a full-width one h wide.
#pragma once

#include <memory>

#include "platform/wintypes.h"

class CDC;

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FF_SWISS = 0x20;
constexpr int LF_FACESIZE = 32;

struct LOGFONT {
    int lfHeight = 0;  // > 0: cell height; < 0: em height (the same for these faces); 0: 16
    int lfWidth = 0;
    int lfEscapement = 0;
    int lfOrientation = 0;
    int lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = ANSI_CHARSET;
    BYTE lfOutPrecision = OUT_DEFAULT_PRECIS;
    BYTE lfClipPrecision = CLIP_DEFAULT_PRECIS;
    BYTE lfQuality = DEFAULT_QUALITY;
    BYTE lfPitchAndFamily = 0;
    char16_t lfFaceName[LF_FACESIZE] = {};
};

// What a device context needs to draw with a font; shared so a selected font stays usable.
struct FontInfo {
    int faceId = 0;     // from CGlyphCache::FaceFor
    int cellHeight = 16;
    bool italic = false;
};

class CFont {
public:
    static constexpr int kDefaultHeight = 16;

    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, const char16_t* lpszFacename);
    // Fails for a missing or empty face name or one longer than LF_FACESIZE - 1 characters.
    BOOL CreateFontIndirect(const LOGFONT* lf);
    // nPointSize in tenths of a point, at 96 dpi: h = nPointSize * 96 / 720, rounded.
    BOOL CreatePointFont(int nPointSize, const char16_t* lpszFaceName, CDC* pDC = nullptr);
    // lf->lfHeight in tenths of a point.
    BOOL CreatePointFontIndirect(const LOGFONT* lf, CDC* pDC = nullptr);
    BOOL DeleteObject();
    bool IsValid() const { return m_info != nullptr; }
    int GetLogFont(LOGFONT* lf) const;

    // Cell height in pixels (0 when not created).
    int CellHeight() const { return m_info ? m_info->cellHeight : 0; }
    const std::shared_ptr<const FontInfo>& Info() const { return m_info; }

    // The font a device context starts with: "宋体", cell height 16.
    static CFont* StockDefault();

private:
    LOGFONT m_logFont;
    std::shared_ptr<const FontInfo> m_info;
};
