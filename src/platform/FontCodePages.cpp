// Reading a font's code page bits with the engine's quick read (directory, head, maxp,
// name and OS/2 only).
#include <fcntl.h>
#include <unistd.h>

#include "FontCatalog.h"
#include "OS2TABLE.h"
#include "TTF.h"

bool ReadCodePageRanges(const std::string& path, uint32_t& range1, uint32_t& range2) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool found = false;
    {
        TTFileStream stream(fd);
        TTF font;
        font.readQuick(&stream);
        auto* os2 = font.get<OS2TABLE>(TTIndex::OS2);
        // Code page bits exist from version 1 on.
        if (os2 && os2->m_bReadDone && os2->version >= 1) {
            range1 = os2->codepagerange[0];
            range2 = os2->codepagerange[1];
            found = true;
        }
    }
    ::close(fd);
    return found;
}
