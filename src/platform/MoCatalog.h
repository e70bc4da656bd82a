// A gettext message catalogue (.mo file), read whole: the translations xkeyboard-config
// ships for its layout descriptions, looked up in a chosen language without touching
// the process's locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

class MoCatalog {
public:
    // Reads a catalogue file; an unreadable or malformed file gives an empty catalogue.
    bool Load(const std::string& path);
    // Parses a catalogue held in memory; false (and empty) when it is malformed.
    bool Parse(const uint8_t* data, size_t size);

    // The translation of msgid, or msgid itself when there is none.
    const std::string& Translate(const std::string& msgid) const;
    size_t Size() const { return m_messages.size(); }

private:
    std::unordered_map<std::string, std::string> m_messages;
};
