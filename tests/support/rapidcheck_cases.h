// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// How many cases a property test runs when RC_PARAMS does not say.
#pragma once

#include <cstdlib>
#include <string>

namespace pelk::test {

/// RapidCheck reads RC_PARAMS once, at its first property: the default is put there before, and
/// a number given there wins. Call it to initialise a constant of the test file.
inline bool DefaultRapidCheckCases(int cases) {
    const char *given = std::getenv("RC_PARAMS");
    std::string params = given != nullptr ? given : "";
    if (params.find("max_success") == std::string::npos) {
        params += (params.empty() ? "" : " ") + ("max_success=" + std::to_string(cases));
        setenv("RC_PARAMS", params.c_str(), 1);
    }
    return true;
}

} // namespace pelk::test
