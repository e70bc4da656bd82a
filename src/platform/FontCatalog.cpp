#include "FontCatalog.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <unordered_set>
#include <utility>

namespace {

// Windows charset -> the languages whose letters a font needs for it. Each language is
// one fontconfig already judges from the font's character set when it caches the font.
struct CharsetLanguages {
    int32_t charset;
    std::initializer_list<const char*> langs;
};
const CharsetLanguages kCharsetLanguages[] = {
    {0, {"fr", "de"}},          // ANSI (1252), Western European
    {238, {"pl", "cs", "hu"}},  // Eastern European (1250)
    {204, {"ru"}},              // Cyrillic (1251)
    {161, {"el"}},              // Greek (1253)
    {162, {"tr"}},              // Turkish (1254)
    {177, {"he"}},              // Hebrew (1255)
    {178, {"ar"}},              // Arabic (1256)
    {186, {"lt", "lv", "et"}},  // Baltic (1257)
    {163, {"vi"}},              // Vietnamese (1258)
    {222, {"th"}},              // Thai (874)
    {128, {"ja"}},              // Shift-JIS (932)
    {134, {"zh-cn"}},           // GB2312 (936)
    {129, {"ko"}},              // Hangul (949)
    {136, {"zh-tw"}},           // Big5 (950)
};
constexpr int32_t kAnsiCharset = 0;
constexpr int32_t kSymbolCharset = 2;

std::string String(FcPattern* p, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(p, object, 0, &value) != FcResultMatch || !value) return {};
    return reinterpret_cast<const char*>(value);
}

int Int(FcPattern* p, const char* object, int fallback) {
    int value;
    return FcPatternGetInteger(p, object, 0, &value) == FcResultMatch ? value : fallback;
}

// A TrueType or OpenType file, or a collection of them (.ttc, .otc), which the engine
// reads a face of.
bool HasFontFileExtension(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".ttf" || ext == ".ttc" || ext == ".otf" || ext == ".otc";
}

// The outline formats the engine extends, as fontconfig names them: TrueType outlines
// and PostScript ones in OpenType (CFF; a CFF2 font is refused when it is built from).
bool IsOutlineFormat(const std::string& format) { return format == "TrueType" || format == "CFF"; }

// The objects every listing asks fontconfig for: all of them live in its cache.
FcObjectSet* FaceObjects() {
    return FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FULLNAME, FC_FILE, FC_INDEX, FC_FONTFORMAT,
                            FC_WEIGHT, FC_SLANT, FC_LANG, FC_SYMBOL, nullptr);
}

constexpr const char* kOutlineFormats[] = {"TrueType", "CFF"};

// A pattern asking for faces of one outline format, so that fontconfig filters before
// copying (a listing needs every value of a pattern: one listing per format).
FcPattern* OutlinePattern(const char* format) {
    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, FC_FONTFORMAT, reinterpret_cast<const FcChar8*>(format));
    return p;
}

// The face a listed pattern describes; false for faces the engine cannot extend.
bool FaceFromPattern(FcPattern* f, InstalledFace& face) {
    face.path = String(f, FC_FILE);
    face.faceIndex = Int(f, FC_INDEX, 0);
    // fontconfig numbers the named instances of a variable font above the face (index
    // bits 16 and up); only the faces themselves are files the engine can extend.
    if (!IsOutlineFormat(String(f, FC_FONTFORMAT)) || !HasFontFileExtension(face.path) || face.faceIndex < 0 ||
        face.faceIndex > 0xFFFF)
        return false;
    face.family = String(f, FC_FAMILY);
    face.style = String(f, FC_STYLE);
    face.fullName = String(f, FC_FULLNAME);
    if (face.fullName.empty()) face.fullName = face.family + " " + face.style;
    face.weight = FcWeightToOpenType(Int(f, FC_WEIGHT, FC_WEIGHT_REGULAR));
    face.italic = Int(f, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(f, FC_LANG, 0, &langs) != FcResultMatch) langs = nullptr;
    FcBool symbol = FcFalse;
    if (FcPatternGetBool(f, FC_SYMBOL, 0, &symbol) != FcResultMatch) symbol = FcFalse;
    face.charsets = CharsetsFromLanguages(
        [langs](const char* lang) {
            return langs && FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>(lang)) == FcLangEqual;
        },
        symbol == FcTrue);
    return true;
}

// Lists the faces matching pattern (consumed) into out, each file once.
void ListInto(FcConfig* config, FcPattern* pattern, std::vector<InstalledFace>& out) {
    FcObjectSet* objects = FaceObjects();
    FcFontSet* set = FcFontList(config, pattern, objects);
    std::unordered_set<std::string> seen;  // file and face
    for (int i = 0; set && i < set->nfont; ++i) {
        InstalledFace face;
        if (FaceFromPattern(set->fonts[i], face) && seen.insert(face.path + '#' + std::to_string(face.faceIndex)).second)
            out.push_back(std::move(face));
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
}

// A font folder's modification time in nanoseconds; -1 when it is missing.
int64_t FolderTime(const char* dir) {
    struct stat st {};
    if (::stat(dir, &st) != 0) return -1;
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

using FolderTimes = std::vector<std::pair<std::string, int64_t>>;

// Every font folder fontconfig reads (the configured ones and those below them).
FolderTimes ReadFolderTimes(FcConfig* config) {
    FolderTimes times;
    FcStrList* dirs = FcConfigGetFontDirs(config);
    if (!dirs) return times;
    while (FcChar8* dir = FcStrListNext(dirs)) {
        const char* d = reinterpret_cast<const char*>(dir);
        times.emplace_back(d, FolderTime(d));
    }
    FcStrListDone(dirs);
    return times;
}

FcConfig* LoadConfig(const std::string& file) {
    FcConfig* config = FcConfigCreate();
    if (!config) return nullptr;
    if (!FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(file.c_str()), FcTrue) ||
        !FcConfigBuildFonts(config)) {
        FcConfigDestroy(config);
        return nullptr;
    }
    return config;
}

}  // namespace

std::vector<int32_t> CharsetsFromLanguages(const std::function<bool(const char* lang)>& covers, bool symbol) {
    std::vector<int32_t> out;
    for (const CharsetLanguages& entry : kCharsetLanguages)
        if (std::all_of(entry.langs.begin(), entry.langs.end(), covers)) out.push_back(entry.charset);
    if (out.empty()) out.push_back(symbol ? kSymbolCharset : kAnsiCharset);
    return out;
}

// config is null for the system's configuration (fontconfig's current one).
struct FontCatalog::Impl {
    std::string configFile;
    FcConfig* config = nullptr;
    bool ok = false;
    FolderTimes folderTimes;

    void Load() {
        if (configFile.empty()) {
            ok = FcInit();
        } else {
            config = LoadConfig(configFile);
            ok = config != nullptr;
        }
        if (ok) folderTimes = ReadFolderTimes(config);
    }
    void Reload() {
        if (configFile.empty()) {
            ok = FcInitReinitialize();
        } else {
            if (config) FcConfigDestroy(config);
            config = nullptr;
        }
        Load();
    }
};

FontCatalog::FontCatalog() : m(std::make_unique<Impl>()) { m->Load(); }

FontCatalog::FontCatalog(const std::string& configFile) : m(std::make_unique<Impl>()) {
    m->configFile = configFile;
    m->Load();
}

FontCatalog::~FontCatalog() {
    if (m->config) FcConfigDestroy(m->config);
}

bool FontCatalog::Ok() const { return m->ok; }

std::vector<InstalledFace> FontCatalog::Faces() const {
    std::vector<InstalledFace> faces;
    if (!m->ok) return faces;
    for (const char* format : kOutlineFormats) ListInto(m->config, OutlinePattern(format), faces);
    std::sort(faces.begin(), faces.end(),
              [](const InstalledFace& a, const InstalledFace& b) { return a.fullName < b.fullName; });
    return faces;
}

std::optional<InstalledFace> FontCatalog::FindFace(const std::string& fullName) const {
    if (!m->ok || fullName.empty()) return std::nullopt;
    auto first = [&](FcPattern* pattern) -> std::optional<InstalledFace> {
        std::vector<InstalledFace> found;
        ListInto(m->config, pattern, found);
        for (InstalledFace& face : found)
            if (face.fullName == fullName) return std::move(face);
        return std::nullopt;
    };
    for (const char* format : kOutlineFormats) {
        FcPattern* byName = OutlinePattern(format);
        FcPatternAddString(byName, FC_FULLNAME, reinterpret_cast<const FcChar8*>(fullName.c_str()));
        if (auto face = first(byName)) return face;
    }
    // A face without a full name is listed as "family style": try each split.
    for (size_t space = fullName.find(' '); space != std::string::npos; space = fullName.find(' ', space + 1)) {
        for (const char* format : kOutlineFormats) {
            FcPattern* p = OutlinePattern(format);
            FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(fullName.substr(0, space).c_str()));
            FcPatternAddString(p, FC_STYLE, reinterpret_cast<const FcChar8*>(fullName.substr(space + 1).c_str()));
            if (auto face = first(p)) return face;
        }
    }
    return std::nullopt;
}

bool FontCatalog::CheckForChanges() {
    if (!m->ok) return false;
    bool changed = !FcConfigUptoDate(m->config) || ReadFolderTimes(m->config) != m->folderTimes;
    if (changed) m->Reload();
    return changed;
}

void FontCatalog::Rescan() { m->Reload(); }

namespace {

// True when a listing of pattern (consumed) finds anything.
bool AnyFace(FcConfig* config, FcPattern* pattern) {
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* set = FcFontList(config, pattern, objects);
    bool any = set && set->nfont > 0;
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return any;
}

FcPattern* PatternWith(const char* object, const std::string& value) {
    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, object, reinterpret_cast<const FcChar8*>(value.c_str()));
    return p;
}

}  // namespace

bool FontCatalog::HasFaceNamed(const std::string& name) const {
    if (!m->ok || name.empty()) return false;
    return AnyFace(m->config, PatternWith(FC_FAMILY, name)) || AnyFace(m->config, PatternWith(FC_FULLNAME, name));
}

bool FontCatalog::HasFile(const std::string& path) const {
    return m->ok && !path.empty() && AnyFace(m->config, PatternWith(FC_FILE, path));
}

bool FontCatalog::FileHoldsFont(const std::string& path) {
    int count = 0;
    FcPattern* face = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(path.c_str()), 0, nullptr, &count);
    if (!face) return false;
    FcPatternDestroy(face);
    return true;
}

bool FontCatalog::RescanFolderOf(const std::string& path) {
    if (!m->ok) return false;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return false;
    std::string dir = path.substr(0, slash);
    FcCache* cache = FcDirCacheRescan(reinterpret_cast<const FcChar8*>(dir.c_str()), m->config);
    if (cache) FcDirCacheUnload(cache);
    m->Reload();
    return cache != nullptr;
}

FontCatalog& SystemFontCatalog() {
    static FontCatalog catalog;
    return catalog;
}

std::vector<InstalledFace> ListInstalledFonts() { return SystemFontCatalog().Faces(); }

std::string LookupFontFile(const std::string& fullName) {
    std::optional<InstalledFace> face = SystemFontCatalog().FindFace(fullName);
    return face ? face->path : std::string();
}

void RefreshFontCatalog() { SystemFontCatalog().Rescan(); }
