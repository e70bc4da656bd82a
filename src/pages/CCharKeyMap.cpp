#include "CCharKeyMap.h"

#include <algorithm>
#include <string>

namespace {

// No modifier, Shift, the third level (Ctrl+Alt, AltGr), and Shift with it.
constexpr int kShiftStates[] = {0, KeyShift::kShift, KeyShift::kThirdLevel, KeyShift::kShift | KeyShift::kThirdLevel};

}  // namespace

CCharKeyMap::CCharKeyMap(IKeyTranslator& translator, CodePageCodec& codec, const std::vector<uint16_t>& keys) {
    m_charIndex.fill(-1);
    Pass(translator, codec, keys, -1);
    // Passes for dead keys found on the way, including those later passes find.
    for (size_t d = 0; d < m_deadKeys.size(); ++d) Pass(translator, codec, keys, int(d));
    translator.ClearDeadKeys();
}

std::vector<KeyStroke> CCharKeyMap::Chain(int deadKey) const {
    std::vector<KeyStroke> chain;
    for (int d = deadKey; d >= 0 && chain.size() <= m_deadKeys.size(); d = m_deadKeys[size_t(d)].previous)
        chain.push_back(m_deadKeys[size_t(d)].key);
    std::reverse(chain.begin(), chain.end());
    return chain;
}

std::vector<KeyStroke> CCharKeyMap::Sequence(int entry) const {
    if (entry < 0 || size_t(entry) >= m_entries.size()) return {};
    std::vector<KeyStroke> strokes = Chain(m_entries[size_t(entry)].previous);
    strokes.push_back(m_entries[size_t(entry)].key);
    return strokes;
}

void CCharKeyMap::Pass(IKeyTranslator& translator, CodePageCodec& codec, const std::vector<uint16_t>& keys,
                       int previous) {
    const std::vector<KeyStroke> chain = Chain(previous);
    for (int shift : kShiftStates) {
        for (uint16_t scan : keys) {
            translator.ReplayDeadKeys(chain);
            KeyTranslation result = translator.Translate(scan, shift);
            if (result.Dead()) {
                char32_t dead = result.chars.empty() ? 0 : result.chars[0];
                bool known = std::any_of(m_deadKeys.begin(), m_deadKeys.end(),
                                         [&](const DeadKey& k) { return k.deadChar == dead; });
                if (!known) m_deadKeys.push_back({{scan, shift}, dead, previous});
                continue;
            }
            if (result.count != 1) continue;
            std::optional<std::string> bytes = codec.Encode(result.chars);
            if (!bytes || bytes->size() != 1) continue;
            int byte = uint8_t((*bytes)[0]);
            if (m_charIndex[size_t(byte)] != -1) continue;
            m_charIndex[size_t(byte)] = int(m_entries.size());
            m_entries.push_back({{scan, shift}, previous});
        }
    }
}
