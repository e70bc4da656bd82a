// The platform version record. Linux is a modern platform: platform id 2 (side-specific
// modifier keys, the newer font and layout paths), major version 10. Tests set older
// records to exercise the branches for old platforms.
#pragma once

struct PlatformVersion {
    int platformId = 2;  // 0: unsupported, 1: older consumer platform, 2: modern
    int major = 10;
    int minor = 0;
};

const PlatformVersion& GetPlatformVersion();
void SetPlatformVersion(const PlatformVersion& version);
