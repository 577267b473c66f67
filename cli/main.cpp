#include "cli/cli_run.h"
#include "qt_locale/decimal_separator.h"

#include <ctime>
#include <iostream>
#include <vector>

int main(int argc, char **argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return pelk::RunCli(args, pelk::DecimalSeparatorFromEnvironment(),
                        pelk::ReadClock(std::time(nullptr)), std::cout, std::cerr);
}
