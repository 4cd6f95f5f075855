#include "platform/glyphcache.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/textu16.h"

namespace {

// A character every Chinese face has ("监").
constexpr FcChar32 kChineseProbe = 0x76D1;
// The family that serves the Song-style face names of the monitor's texts.
constexpr const char* kSongFamily = "AR PL UMing CN";
constexpr const char* kChinesePackage = "fonts-arphic-uming";

bool IsSongName(const std::u16string& name)
{
    return name == u"宋体" || name == u"新宋体" || name == u"SimSun" || name == u"NSimSun";
}

struct FontFileRef {
    std::string path;
    int index = 0;
    bool chinese = false;
    std::string family;
};

// Asks fontconfig for the best face of a family, or of a language when lang is given.
bool MatchFace(const char* family, const char* lang, FontFileRef* out)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    if (family != nullptr) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    if (lang != nullptr) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    FcChar8* file = nullptr;
    FcChar8* fam = nullptr;
    int index = 0;
    FcCharSet* chars = nullptr;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr;
    if (ok) {
        out->path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) out->index = index;
        if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam != nullptr) {
            out->family = reinterpret_cast<const char*>(fam);
        }
        out->chinese = FcPatternGetCharSet(match, FC_CHARSET, 0, &chars) == FcResultMatch && chars != nullptr &&
                       FcCharSetHasChar(chars, kChineseProbe);
    }
    FcPatternDestroy(match);
    return ok;
}

}  // namespace

struct CGlyphCache::Impl {
    struct Face {
        FontFileRef file;
        FT_Face face = nullptr;
    };

    std::mutex lock;
    FT_Library library = nullptr;
    std::vector<Face> faces;
    std::map<std::u16string, int> byName;
    std::unordered_map<uint64_t, std::unique_ptr<Glyph>> glyphs;
    Glyph empty;
    bool warned = false;

    FontFileRef Resolve(const std::u16string& name)
    {
        std::string utf8 = ToUtf8(name);
        FontFileRef file;
        bool found = MatchFace(IsSongName(name) ? kSongFamily : utf8.c_str(), nullptr, &file);
        if (found && file.chinese) return file;
        FontFileRef chinese;
        if (MatchFace(nullptr, "zh-cn", &chinese) && chinese.chinese) return chinese;
        if (!warned) {
            warned = true;
            std::string instead = found ? "drawing with \"" + file.family + "\" meanwhile" : "no text is drawn";
            std::fprintf(stderr, "tesmor: no Chinese font found; install the package %s (%s)\n", kChinesePackage,
                         instead.c_str());
        }
        return found ? file : FontFileRef();
    }

    int Open(const FontFileRef& file)
    {
        for (size_t i = 0; i < faces.size(); ++i) {
            if (faces[i].file.path == file.path && faces[i].file.index == file.index) return static_cast<int>(i);
        }
        if (file.path.empty()) return -1;
        if (library == nullptr && FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            std::fprintf(stderr, "tesmor: FreeType could not start; text is not drawn\n");
            return -1;
        }
        Face face;
        face.file = file;
        if (FT_New_Face(library, file.path.c_str(), file.index, &face.face) != 0) {
            std::fprintf(stderr, "tesmor: cannot load font file %s; text is not drawn\n", file.path.c_str());
            return -1;
        }
        faces.push_back(face);
        return static_cast<int>(faces.size() - 1);
    }

    int AscentLocked(int faceId, int h) const
    {
        if (faceId < 0 || faceId >= static_cast<int>(faces.size())) return h - h / 8;
        FT_Face f = faces[static_cast<size_t>(faceId)].face;
        long asc = f->ascender, desc = -static_cast<long>(f->descender);
        if (asc <= 0 || asc + desc <= 0) return h - h / 8;
        int ascent = static_cast<int>(std::lround(static_cast<double>(h) * asc / static_cast<double>(asc + desc)));
        return std::clamp(ascent, (h + 1) / 2, h);
    }

    std::unique_ptr<Glyph> Render(int faceId, int h, bool italic, char32_t ch)
    {
        auto glyph = std::make_unique<Glyph>();
        if (faceId < 0 || faceId >= static_cast<int>(faces.size())) return glyph;
        FT_Face f = faces[static_cast<size_t>(faceId)].face;
        if (FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(h)) != 0) return glyph;
        FT_Int32 flags = FT_LOAD_DEFAULT;
        if (italic) {
            FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};  // about 12 degrees
            FT_Set_Transform(f, &shear, nullptr);
            flags |= FT_LOAD_NO_BITMAP;  // strikes cannot be slanted
        } else {
            FT_Set_Transform(f, nullptr, nullptr);
        }
        if (FT_Load_Char(f, ch, flags) != 0) return glyph;
        FT_GlyphSlot slot = f->glyph;
        if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
        CopyMask(slot->bitmap, glyph.get());
        int cellWidth = CellWidth(ch, h);
        int advance = static_cast<int>(slot->advance.x >> 6);
        glyph->left = (cellWidth - advance) / 2 + slot->bitmap_left;
        glyph->top = AscentLocked(faceId, h) - slot->bitmap_top;
        return glyph;
    }

    // 8-bit grey masks are copied; 1-bit strikes are expanded bit by bit, most significant first.
    static void CopyMask(const FT_Bitmap& bm, Glyph* glyph)
    {
        bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
        if (!mono && bm.pixel_mode != FT_PIXEL_MODE_GRAY) return;
        glyph->width = static_cast<int>(bm.width);
        glyph->height = static_cast<int>(bm.rows);
        glyph->coverage.assign(static_cast<size_t>(glyph->width) * glyph->height, 0);
        int grays = bm.num_grays > 1 ? bm.num_grays - 1 : 255;
        for (int y = 0; y < glyph->height; ++y) {
            const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
            uint8_t* out = glyph->coverage.data() + static_cast<size_t>(y) * glyph->width;
            for (int x = 0; x < glyph->width; ++x) {
                if (mono) {
                    out[x] = (row[x >> 3] & (0x80 >> (x & 7))) != 0 ? 255 : 0;
                } else {
                    out[x] = static_cast<uint8_t>(row[x] * 255 / grays);
                }
            }
        }
    }
};

CGlyphCache& CGlyphCache::Instance()
{
    static CGlyphCache cache;
    return cache;
}

CGlyphCache::CGlyphCache() : m_impl(std::make_unique<Impl>()) {}

CGlyphCache::~CGlyphCache()
{
    for (auto& face : m_impl->faces) FT_Done_Face(face.face);
    if (m_impl->library != nullptr) FT_Done_FreeType(m_impl->library);
    FcFini();
}

int CGlyphCache::FaceFor(const std::u16string& faceName)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    auto it = m_impl->byName.find(faceName);
    if (it != m_impl->byName.end()) return it->second;
    int id = m_impl->Open(m_impl->Resolve(faceName));
    m_impl->byName[faceName] = id;
    return id;
}

const Glyph* CGlyphCache::Get(int faceId, int cellHeight, bool italic, char32_t ch)
{
    if (cellHeight <= 0 || ch > 0x10FFFF) return &m_impl->empty;
    uint64_t key = (static_cast<uint64_t>(ch) << 32) | (static_cast<uint64_t>(italic ? 1 : 0) << 31) |
                   (static_cast<uint64_t>(cellHeight & 0xFFFF) << 15) | static_cast<uint64_t>((faceId + 1) & 0x7FFF);
    std::lock_guard<std::mutex> guard(m_impl->lock);
    auto it = m_impl->glyphs.find(key);
    if (it != m_impl->glyphs.end()) return it->second.get();
    auto inserted = m_impl->glyphs.emplace(key, m_impl->Render(faceId, cellHeight, italic, ch));
    return inserted.first->second.get();
}

int CGlyphCache::Ascent(int faceId, int cellHeight)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    return m_impl->AscentLocked(faceId, cellHeight);
}

bool CGlyphCache::IsHalfWidth(char32_t ch) { return ch < 0x80 || (ch >= 0xFF61 && ch <= 0xFF9F); }

int CGlyphCache::CellWidth(char32_t ch, int cellHeight) { return IsHalfWidth(ch) ? cellHeight / 2 : cellHeight; }

std::string CGlyphCache::FaceFile(int faceId)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    if (faceId < 0 || faceId >= static_cast<int>(m_impl->faces.size())) return std::string();
    return m_impl->faces[static_cast<size_t>(faceId)].file.path;
}

bool CGlyphCache::FaceHasChinese(int faceId)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    if (faceId < 0 || faceId >= static_cast<int>(m_impl->faces.size())) return false;
    return m_impl->faces[static_cast<size_t>(faceId)].file.chinese;
}
