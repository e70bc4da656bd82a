// Keyboard configuration files and layout names: any text gives names or none, never a
// crash, and no name is empty.
#include <cstddef>
#include <cstdint>
#include <string>

#include "KeyboardLayouts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string layout, variant;
    SplitLayoutName(text, layout, variant);
    for (const std::string& name : LayoutNamesFromConfig(text))
        if (name.empty()) __builtin_trap();
    return 0;
}
