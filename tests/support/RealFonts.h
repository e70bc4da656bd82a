// Real fonts for the tests: the TrueType files of the Debian packages fonts-dejavu-core,
// fonts-liberation2 and fonts-freefont-ttf.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// The .ttf files of the three packages, sorted; empty when none is installed.
inline std::vector<std::string> DebianFonts() {
    std::vector<std::string> fonts;
    for (const char* dir : {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/liberation2",
                            "/usr/share/fonts/truetype/freefont"}) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir, ec))
            if (e.path().extension() == ".ttf") fonts.push_back(e.path().string());
    }
    std::sort(fonts.begin(), fonts.end());
    return fonts;
}
