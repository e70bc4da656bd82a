#include "PlatformVersion.h"

namespace {
PlatformVersion g_version;
}

const PlatformVersion& GetPlatformVersion() { return g_version; }
void SetPlatformVersion(const PlatformVersion& version) { g_version = version; }
