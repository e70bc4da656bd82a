// Tests that need a peer program or a Debian package: on a developer's machine a missing
// one skips the test, in CI (CI set) it fails it, so that a green run always checked.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

namespace test_oracles {
inline bool InCi() { return std::getenv("CI") != nullptr; }
}  // namespace test_oracles

// Use at the top of a test body or SetUp: returns from it when have is false.
#define PENMARK_NEED(have, what)                                           \
    do {                                                                   \
        if (!(have)) {                                                     \
            if (test_oracles::InCi()) FAIL() << (what) << " missing";      \
            GTEST_SKIP() << (what) << " missing (developer machine)";      \
        }                                                                  \
    } while (0)
