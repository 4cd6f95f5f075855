#include "platform/font.h"

#include <algorithm>
#include <cstdlib>

#include "platform/dc.h"
#include "platform/glyphcache.h"
#include "platform/textu16.h"

namespace {
constexpr int kMaxCellHeight = 512;
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                       BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                       BYTE nQuality, BYTE nPitchAndFamily, const char16_t* lpszFacename)
{
    if (lpszFacename == nullptr) return FALSE;
    LOGFONT lf;
    lf.lfHeight = nHeight;
    lf.lfWidth = nWidth;
    lf.lfEscapement = nEscapement;
    lf.lfOrientation = nOrientation;
    lf.lfWeight = nWeight;
    lf.lfItalic = bItalic;
    lf.lfUnderline = bUnderline;
    lf.lfStrikeOut = cStrikeOut;
    lf.lfCharSet = nCharSet;
    lf.lfOutPrecision = nOutPrecision;
    lf.lfClipPrecision = nClipPrecision;
    lf.lfQuality = nQuality;
    lf.lfPitchAndFamily = nPitchAndFamily;
    if (U16Len(lpszFacename) >= static_cast<size_t>(LF_FACESIZE)) return FALSE;
    U16Copy(lf.lfFaceName, LF_FACESIZE, lpszFacename);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lf)
{
    if (lf == nullptr) return FALSE;
    size_t len = 0;
    while (len < static_cast<size_t>(LF_FACESIZE) && lf->lfFaceName[len] != 0) ++len;
    if (len == 0 || len >= static_cast<size_t>(LF_FACESIZE)) return FALSE;
    auto info = std::make_shared<FontInfo>();
    info->faceId = CGlyphCache::Instance().FaceFor(std::u16string(lf->lfFaceName, len));
    int h = lf->lfHeight == 0 ? kDefaultHeight : std::abs(lf->lfHeight);
    info->cellHeight = std::clamp(h, 1, kMaxCellHeight);
    info->italic = lf->lfItalic != 0;
    m_logFont = *lf;
    m_info = std::move(info);
    return TRUE;
}

BOOL CFont::CreatePointFont(int nPointSize, const char16_t* lpszFaceName, CDC* pDC)
{
    if (lpszFaceName == nullptr || U16Len(lpszFaceName) >= static_cast<size_t>(LF_FACESIZE)) return FALSE;
    LOGFONT lf;
    lf.lfHeight = nPointSize;
    U16Copy(lf.lfFaceName, LF_FACESIZE, lpszFaceName);
    return CreatePointFontIndirect(&lf, pDC);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONT* lf, CDC* /*pDC*/)
{
    if (lf == nullptr) return FALSE;
    LOGFONT scaled = *lf;
    // Tenths of a point at 96 dots per inch, rounded: 160 -> 21 pixels.
    int tenths = std::abs(lf->lfHeight);
    scaled.lfHeight = -((tenths * kScreenDpi + 360) / 720);
    if (scaled.lfHeight == 0) scaled.lfHeight = -1;
    return CreateFontIndirect(&scaled);
}

BOOL CFont::DeleteObject()
{
    if (!m_info) return FALSE;
    m_info.reset();
    return TRUE;
}

int CFont::GetLogFont(LOGFONT* lf) const
{
    if (lf == nullptr || !m_info) return 0;
    *lf = m_logFont;
    return static_cast<int>(sizeof(LOGFONT));
}

CFont* CFont::StockDefault()
{
    static CFont* font = [] {
        auto* f = new CFont;
        f->CreateFont(kDefaultHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, u"宋体");
        return f;
    }();
    return font;
}
