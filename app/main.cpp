#include "app/frm_pelk.h"
#include "app/qt_services.h"

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

    // Qt has taken its own options; what is left are ours.
    std::vector<std::string> args;
    for (const QString &arg : QCoreApplication::arguments().mid(1))
        args.push_back(arg.toStdString());
    pelk::LoadOptions options;
    if (const auto error = pelk::ParseLoadArguments(args, options)) {
        std::cerr << "pelk: " << *error
                  << "\nUsage: pelk [--max-gap MINUTES] [--utc-offset HOURS|local-by-date]\n";
        return 64;
    }

    pelk::QtWindowServices services;
    pelk::FrmPelk window(services, options);
    window.show();
    return QApplication::exec();
}
