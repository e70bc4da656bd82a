#include "FontEnumeration.h"

#include <algorithm>
#include <utility>

namespace {

FontEnumEntry EntryFor(const InstalledFace& face, int32_t charset) {
    FontEnumEntry e;
    e.fullName = face.fullName;
    e.faceName = face.family;
    e.style = face.style;
    e.weight = face.weight;
    e.italic = face.italic;
    e.charset = charset;
    e.faceIndex = face.faceIndex;
    return e;
}

}  // namespace

CatalogFontEnumerator::CatalogFontEnumerator(std::vector<InstalledFace> faces) : m_faces(std::move(faces)) {
    for (size_t i = 0; i < m_faces.size(); ++i) {
        const InstalledFace& face = m_faces[i];
        auto [it, added] = m_familyIndex.try_emplace(face.family, m_families.size());
        if (added) m_families.push_back(Family{face.family, {}, {}});
        Family& family = m_families[it->second];
        family.faces.push_back(i);
        for (int32_t cs : face.charsets)
            if (std::find(family.charsets.begin(), family.charsets.end(), cs) == family.charsets.end())
                family.charsets.push_back(cs);
        m_files.try_emplace(face.fullName, face.path);
    }
}

void CatalogFontEnumerator::EnumFamilies(bool basic, const FontEnumCallback& callback) {
    for (const Family& family : m_families) {
        FontEnumEntry e = EntryFor(m_faces[family.faces.front()], 0);
        e.fullName = family.name;
        for (int32_t cs : family.charsets) {
            e.charset = cs;
            callback(e);
            if (basic) break;
        }
    }
}

void CatalogFontEnumerator::EnumFaces(const std::string& family, bool basic, const FontEnumCallback& callback) {
    auto it = m_familyIndex.find(family);
    if (it == m_familyIndex.end()) return;
    for (size_t i : m_families[it->second].faces) {
        const InstalledFace& face = m_faces[i];
        for (int32_t cs : face.charsets) {
            callback(EntryFor(face, cs));
            if (basic) break;
        }
    }
}

std::string CatalogFontEnumerator::LookupFontFile(const std::string& fullName) {
    auto it = m_files.find(fullName);
    return it == m_files.end() ? std::string() : it->second;
}
