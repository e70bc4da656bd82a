// For one keyboard layout, how each single-byte character of its code page is typed: the
// first way found when plain keys come before dead-key sequences, fewer modifiers before
// more, and keys in the keyboard picture's order.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "CodePages.h"
#include "KeyboardLayouts.h"

class CCharKeyMap {
public:
    struct Entry {
        KeyStroke key;
        int previous = -1;  // the dead-key record typed first, -1 for none
    };
    struct DeadKey {
        KeyStroke key;
        char32_t deadChar = 0;
        int previous = -1;
    };

    // keys: the scan codes to try, in the picture's order.
    CCharKeyMap(IKeyTranslator& translator, CodePageCodec& codec, const std::vector<uint16_t>& keys);

    // The entry that types a byte, -1 for none.
    int EntryFor(int byte) const { return byte >= 0 && byte < 256 ? m_charIndex[size_t(byte)] : -1; }
    // The keystrokes of an entry, first typed first.
    std::vector<KeyStroke> Sequence(int entry) const;

    const std::vector<Entry>& Entries() const { return m_entries; }
    const std::vector<DeadKey>& DeadKeys() const { return m_deadKeys; }

private:
    std::vector<KeyStroke> Chain(int deadKey) const;
    void Pass(IKeyTranslator& translator, CodePageCodec& codec, const std::vector<uint16_t>& keys, int previous);

    std::vector<Entry> m_entries;
    std::vector<DeadKey> m_deadKeys;
    std::array<int, 256> m_charIndex;
};
