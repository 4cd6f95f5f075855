// Glyph rendering and caching. Faces are found through fontconfig and rendered by FreeType;
// "宋体" (and its other names) is served by AR PL UMing. Each glyph is rendered once per face,
// cell height and style and kept as an 8-bit coverage mask; embedded 1-bit strikes are
// expanded bit by bit. Safe to use from several threads at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Glyph {
    int left = 0;     // mask offset from the cell's left edge
    int top = 0;      // mask offset from the cell's top edge
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // width x height, 0..255
};

class CGlyphCache {
public:
    static CGlyphCache& Instance();

    // A face id for a face name (UTF-16); the same name always gives the same id. When no
    // Chinese face exists, one line on stderr names the package to install and any face is used.
    int FaceFor(const std::u16string& faceName);
    // The glyph of ch in a cell of the given height; never null (an empty glyph when the face
    // has none or no face could be loaded). The glyph stays valid for the whole run.
    const Glyph* Get(int faceId, int cellHeight, bool italic, char32_t ch);

    // Rows above the baseline in a cell of the given height.
    int Ascent(int faceId, int cellHeight);

    // Cell width of a character: half-width characters h/2, all others h.
    static int CellWidth(char32_t ch, int cellHeight);
    static bool IsHalfWidth(char32_t ch);

    // The file of a face id (empty when none); for diagnostics and tests.
    std::string FaceFile(int faceId);
    // True when the face of the id covers Chinese characters.
    bool FaceHasChinese(int faceId);

    ~CGlyphCache();

private:
    CGlyphCache();
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
