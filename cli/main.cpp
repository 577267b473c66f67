// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_run.h"
#include "qt_locale/decimal_separator.h"

#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

// The arguments as UTF-8, so that a file name in any script reaches the reader whole.
std::vector<std::string> Arguments(int argc, char **argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        const int bytes =
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<std::size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), bytes, nullptr, nullptr);
        args.push_back(arg);
    }
    ::LocalFree(wide);
    // The lines end in CR LF already: no text mode to add a CR of its own.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    return args;
#else
    return {argv + 1, argv + argc};
#endif
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> arguments = Arguments(argc, argv);
    const std::vector<std::string_view> args(arguments.begin(), arguments.end());
    return pelk::RunCli(args, pelk::DecimalSeparatorFromEnvironment(),
                        pelk::ReadClock(std::time(nullptr)), std::cout, std::cerr);
}
