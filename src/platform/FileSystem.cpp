#include <sys/stat.h>

#include "PlatformServices.h"

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}
