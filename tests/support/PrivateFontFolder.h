// A private fontconfig configuration over a temporary font folder, which a test fills
// with copies of Debian's fonts: the test sees exactly the fonts it put there, never
// the machine's own font set.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace test_fonts {

constexpr const char* kDejaVuDir = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kLiberationDir = "/usr/share/fonts/truetype/liberation2/";

// True when the test may skip for want of a font: on a developer's machine, not in CI.
inline bool MaySkip() { return std::getenv("CI") == nullptr; }

class PrivateFontFolder {
public:
    // Everything lives under root, which is emptied first and removed at the end.
    explicit PrivateFontFolder(const std::filesystem::path& root)
        : m_root(root), m_fonts(root / "fonts"), m_config(root / "fonts.conf") {
        std::filesystem::remove_all(m_root);
        std::filesystem::create_directories(m_fonts);
        std::ofstream conf(m_config);
        conf << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
             << "<fontconfig>\n  <dir>" << m_fonts.string() << "</dir>\n  <cachedir>"
             << (m_root / "cache").string() << "</cachedir>\n</fontconfig>\n";
    }
    ~PrivateFontFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    PrivateFontFolder(const PrivateFontFolder&) = delete;
    PrivateFontFolder& operator=(const PrivateFontFolder&) = delete;

    // Copies a font into the folder (under name, or its own name); the copy's path, or
    // empty when the source is missing.
    std::string Add(const std::filesystem::path& source, const std::string& name = {}) {
        std::error_code ec;
        std::filesystem::path target = m_fonts / (name.empty() ? source.filename().string() : name);
        std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, ec);
        return ec ? std::string() : target.string();
    }
    void Remove(const std::string& name) { std::filesystem::remove(m_fonts / name); }

    std::string ConfigFile() const { return m_config.string(); }
    std::string Fonts() const { return m_fonts.string(); }

private:
    std::filesystem::path m_root, m_fonts, m_config;
};

}  // namespace test_fonts
