// The progress protocol of long operations (reading a picture, building a font).
//
// The callee calls the function with a code and a parameter; a non-zero answer means the
// user asked to stop, and the callee ends with that answer (3000) as its code. An empty
// function means no progress is reported.
#pragma once

#include <cstdint>
#include <functional>

using ProgressFn = std::function<int32_t(int32_t code, intptr_t param)>;

namespace ProgressCode {
constexpr int32_t kPosition = 1;    // param: the position
constexpr int32_t kRange = 2;       // param: pointer to int32_t[2] {low, high}
constexpr int32_t kWaitOn = 3;      // wait cursor on
constexpr int32_t kWaitOff = 4;     // wait cursor off
constexpr int32_t kShowProgress = 5;  // param: pointer to the page's int32_t[4] block
constexpr int32_t kHideProgress = 6;
}  // namespace ProgressCode

// Calls fn when there is one; 0 (go on) otherwise.
inline int32_t ReportProgress(const ProgressFn& fn, int32_t code, intptr_t param) {
    return fn ? fn(code, param) : 0;
}
