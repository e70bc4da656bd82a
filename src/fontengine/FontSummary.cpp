#include "FontSummary.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "OS2TABLE.h"
#include "TTDump.h"
#include "TTF.h"
#include "headTABLE.h"
#include "maxpTABLE.h"
#include "nameTABLE.h"

namespace {

// US English when the font has it (fonts list their other languages first as often as
// not), else the first Windows record of the name.
void CopyName(const nameTABLE* names, uint16_t nameId, std::u16string& out) {
    const std::u16string* text = names ? names->wideText(3, 1, 0x409, nameId) : nullptr;
    if (!text && names) text = names->wideText(nameId, 3);
    out = text ? *text : std::u16string();
}

}  // namespace

int ReadFontSummary(const std::string& path, FontSummary& summary, uint32_t face) {
    summary = FontSummary{};
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int code;
    {
        TTFileStream stream(fd);
        TTF font;
        font.setFaceIndex(face);
        code = font.readQuick(&stream);
        summary.faceCount = font.faceCount();
        const auto* names = font.get<nameTABLE>(TTIndex::name);
        CopyName(names, 4, summary.fullName);
        CopyName(names, 1, summary.familyName);
        // Code page bits exist from version 1 on.
        const auto* os2 = font.get<OS2TABLE>(TTIndex::OS2);
        if (os2 && os2->m_bReadDone && os2->version >= 1) {
            summary.hasCodePageRanges = true;
            summary.codePageRange[0] = os2->codepagerange[0];
            summary.codePageRange[1] = os2->codepagerange[1];
        }
        if (const auto* head = font.get<headTABLE>(TTIndex::head)) summary.unitsPerEm = head->unitsPerEm;
        if (const auto* maxp = font.maxp(); maxp && maxp->m_bReadDone) summary.glyphCount = maxp->numGlyphsRead;
    }
    ::close(fd);
    return code;
}

int DumpFont(int fd, FILE* out, bool structured, uint32_t face) {
    TTFileStream stream(fd);
    TTF font;
    font.setFaceIndex(face);
    int code = font.readFrom(&stream);
    if (structured) {
        TTDumpSink sink(out);
        font.dumpStructured(sink);
    } else {
        font.dumpText(out);
    }
    return code;
}
