// A copy of a font through the engine, as the program makes one. Header-only: the tests
// that use it link the engine.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "TTF.h"

// Reads in and writes out through file handles, as the program does; the font's error.
// prepare runs on the font just read (with its input, for tables read late), change after.
inline int CopyFont(const std::string& in, const std::string& out, const std::function<void(TTF&)>& change = {},
                    const std::function<int(TTF&, TTStream*)>& prepare = {}) {
    int fin = ::open(in.c_str(), O_RDONLY | O_CLOEXEC);
    int fout = ::open(out.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int code = -1;
    if (fin >= 0 && fout >= 0) {
        TTFileStream sin(fin), sout(fout);
        TTF font;
        code = font.readFrom(&sin);
        if (code == 0 && prepare) code = prepare(font, &sin);
        if (code == 0 && change) change(font);
        if (code == 0) code = font.writeTo(&sout);
    }
    if (fin >= 0) ::close(fin);
    if (fout >= 0) ::close(fout);
    return code;
}
