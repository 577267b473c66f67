// SPDX-License-Identifier: GPL-3.0-or-later
// The sort keys of the results list on arbitrary cell texts: no crash, no undefined behaviour,
// and keys whose text order is the order of the values.
#include "results/results_list.h"

#include <cstdlib>

namespace {

bool IsDigits(std::string_view text) {
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    const std::string dateKey = pelk::DateSortKey(text);
    if (!dateKey.empty() && (dateKey.size() != 14 || !IsDigits(dateKey)))
        std::abort();

    for (const char separator : {',', '.'})
        (void)pelk::NumberSortKey(text, separator);

    const std::string complement = pelk::ComplementDigits(std::string(text));
    if (complement.size() != text.size())
        std::abort();
    return 0;
}
