// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Setting an environment variable (TZ, LANG) in a test, on Linux and on Windows alike.
#pragma once

#include <cstdlib>

namespace pelk::testing {

inline void SetEnvironment(const char *name, const char *value) {
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

} // namespace pelk::testing
