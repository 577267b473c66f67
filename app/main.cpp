// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_pelk.h"
#include "app/qt_services.h"
#include "climate/platform.h"

#include <QApplication>

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char *argv[]) {
    // Answered before Qt starts, so that it needs no display.
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--version") {
            std::cout << "pelk " << PELK_VERSION << '\n';
            return 0;
        }
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(PELK_VERSION));
    pelk::SetUpApplication(app);

    // Qt has taken its own options out of argv; what is left are ours, a file name byte for byte.
    // On Windows argv is in the ANSI code page: Qt's own list has every name whole, as UTF-8.
#ifdef Q_OS_WIN
    std::vector<std::string> args;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments.at(i).toStdString());
#else
    const std::vector<std::string> args(argv + 1, argv + argc);
#endif
    pelk::LoadOptions options;
    std::vector<std::string> files;
    if (const auto error = pelk::ParseLoadArguments(args, options, files)) {
        std::cerr << "pelk: " << *error
                  << "\nUsage: pelk [--max-gap MINUTES] [--utc-offset HOURS|local-by-date] "
                     "[--date-order dmy|mdy|ymd] [--column N] [--tn-column N] [--tx-column N] "
                     "[--strict] [--keep-error-values] "
                     "[FILE...]\n";
        return 64;
    }

    pelk::QtWindowServices services;
    pelk::FrmPelk window(services, options,
                         files.size() == 1
                             ? std::optional(pelk::platform::PathFromUtf8(files.front()))
                             : std::nullopt);
    if (files.size() > 1) {
        std::vector<std::filesystem::path> record;
        for (const std::string &file : files)
            record.push_back(pelk::platform::PathFromUtf8(file));
        window.setStartupRecord(std::move(record));
    }
    window.show();
    return QApplication::exec();
}
