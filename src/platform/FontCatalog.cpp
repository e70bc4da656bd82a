#include "FontCatalog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

namespace {

// Code page bit -> Windows charset.
constexpr std::pair<int, int32_t> kCodePageCharsets[] = {
    {0, 0},     // Latin 1 (1252): ANSI
    {1, 238},   // Latin 2 (1250): Eastern European
    {2, 204},   // Cyrillic (1251): Russian
    {3, 161},   // Greek (1253)
    {4, 162},   // Turkish (1254)
    {5, 177},   // Hebrew (1255)
    {6, 178},   // Arabic (1256)
    {7, 186},   // Baltic (1257)
    {8, 163},   // Vietnamese (1258)
    {16, 222},  // Thai (874)
    {17, 128},  // Japanese (932): Shift-JIS
    {18, 134},  // Simplified Chinese (936): GB2312
    {19, 129},  // Korean Wansung (949): Hangul
    {20, 136},  // Traditional Chinese (950): Big5
    {21, 130},  // Korean Johab (1361)
    {29, 77},   // Macintosh Roman
    {31, 2},    // Symbol
};

std::string String(FcPattern* p, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(p, object, 0, &value) != FcResultMatch || !value) return {};
    return reinterpret_cast<const char*>(value);
}

int Int(FcPattern* p, const char* object, int fallback) {
    int value;
    return FcPatternGetInteger(p, object, 0, &value) == FcResultMatch ? value : fallback;
}

bool EndsWithTtf(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".ttf";
}

// fontconfig's weight scale to the 100..900 scale of a logical font.
int WeightFromFontconfig(int w) { return FcWeightToOpenType(w); }

}  // namespace

std::vector<int32_t> CharsetsFromCodePages(uint32_t range1, uint32_t range2) {
    (void)range2;  // the second range holds DOS code pages, which map to no charset here
    std::vector<int32_t> out;
    for (auto [bit, charset] : kCodePageCharsets)
        if (range1 & (1u << bit)) out.push_back(charset);
    return out;
}

std::vector<InstalledFace> ListInstalledFonts(const CodePageReader& reader) {
    std::vector<InstalledFace> faces;
    if (!FcInit()) return faces;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FULLNAME, FC_FILE, FC_INDEX,
                                            FC_FONTFORMAT, FC_WEIGHT, FC_SLANT, FC_OUTLINE,
                                            nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    std::set<std::string> seen;
    for (int i = 0; set && i < set->nfont; ++i) {
        FcPattern* f = set->fonts[i];
        std::string path = String(f, FC_FILE);
        if (String(f, FC_FONTFORMAT) != "TrueType" || !EndsWithTtf(path) || Int(f, FC_INDEX, 0) != 0)
            continue;
        if (!seen.insert(path).second) continue;
        InstalledFace face;
        face.family = String(f, FC_FAMILY);
        face.style = String(f, FC_STYLE);
        face.fullName = String(f, FC_FULLNAME);
        if (face.fullName.empty()) face.fullName = face.family + " " + face.style;
        face.path = path;
        face.weight = WeightFromFontconfig(Int(f, FC_WEIGHT, FC_WEIGHT_REGULAR));
        face.italic = Int(f, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
        uint32_t r1 = 0, r2 = 0;
        if (reader && reader(path, r1, r2)) face.charsets = CharsetsFromCodePages(r1, r2);
        if (face.charsets.empty()) face.charsets.push_back(0);
        faces.push_back(std::move(face));
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    std::sort(faces.begin(), faces.end(),
              [](const InstalledFace& a, const InstalledFace& b) { return a.fullName < b.fullName; });
    return faces;
}

std::string LookupFontFile(const std::string& fullName) {
    for (const InstalledFace& face : ListInstalledFonts())
        if (face.fullName == fullName) return face.path;
    return {};
}

void RefreshFontCatalog() {
    FcConfig* config = FcConfigGetCurrent();
    if (config) FcConfigBuildFonts(config);
    FcInitReinitialize();
}
