#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption server{QStringLiteral("server"),
                              QStringLiteral("The organisation's server, e.g. https://opvang.example.org "
                                             "(instead of the saved address)."),
                              QStringLiteral("URL")};
    QCommandLineOption kiosk{QStringLiteral("kiosk"),
                             QStringLiteral("Full screen without window decorations, the screen kept on; "
                                            "closing asks for an administrator's password (setting "
                                            "cc_kiosk=true does the same).")};
    QCommandLineOption store{QStringLiteral("store"),
                             QStringLiteral("The local store to use instead of the user's."),
                             QStringLiteral("FILE")};
    QCommandLineOption settings{QStringLiteral("settings"),
                                QStringLiteral("The settings file to use instead of the user's."),
                                QStringLiteral("FILE")};
    QCommandLineOption keyboard{QStringLiteral("keyboard"),
                                QStringLiteral("The on-screen keyboard: auto (when no keyboard is attached), on "
                                               "or off (instead of the setting cc_onscreenKeyboard)."),
                                QStringLiteral("MODE")};
    QCommandLineOption pictures{QStringLiteral("pictures"),
                                QStringLiteral("The folder the photo grid shows instead of the user's pictures."),
                                QStringLiteral("FOLDER")};
    QCommandLineOption selfTest{QStringLiteral("selftest"),
                                QStringLiteral("Checks the installation: starts with an empty store and "
                                               "settings of its own, shows the first screen, prints its "
                                               "name and quits (0 when it showed).")};
    QCommandLineOption noWindow{QStringLiteral("no-window")};

    Parser() {
        parser.setApplicationDescription(
            QStringLiteral("Attendance app for after-school childcare tablets."));
        noWindow.setFlags(QCommandLineOption::HiddenFromHelp);
        noWindow.setDescription(QStringLiteral("Runs without a window."));
        parser.addOptions({server, kiosk, store, settings, keyboard, pictures, selfTest, noWindow});
    }
};

void setIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Kinderopvang"));
    QCoreApplication::setApplicationName(QStringLiteral("Kinderopvang"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CC_APP_VERSION));
}

} // namespace

namespace CommandLine {

std::optional<int> answerWithoutWindow(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Parser p;
    p.parser.parse(arguments); // Qt's own options are unknown here; they are judged after the GUI starts
    if (!p.parser.isSet(p.help) && !p.parser.isSet(p.version))
        return std::nullopt;
    QCoreApplication core(argc, argv);
    setIdentity();
    // The name the user typed, as in the usage line.
    QCoreApplication::setApplicationName(QStringLiteral("kinderopvang"));
    const QString text = p.parser.isSet(p.help)
                             ? p.parser.helpText()
                             : QStringLiteral("kinderopvang %1\n").arg(QCoreApplication::applicationVersion());
    std::fputs(qPrintable(text), stdout);
    std::fflush(stdout);
    return 0;
}

Start parse(const QStringList& arguments) {
    Start start;
    Parser p;
    if (!p.parser.parse(arguments)) {
        std::fprintf(stderr, "kinderopvang: %s\nkinderopvang --help shows the options.\n",
                     qPrintable(p.parser.errorText()));
        start.exitCode = 2;
        return start;
    }
    if (!p.parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "kinderopvang: unexpected argument %s\n",
                     qPrintable(p.parser.positionalArguments().first()));
        start.exitCode = 2;
        return start;
    }
    StackScrollViewAppDelegate::Options& o = start.options;
    o.serverUrl = p.parser.value(p.server).trimmed();
    o.storePath = p.parser.value(p.store);
    o.settingsPath = p.parser.value(p.settings);
    o.kiosk = p.parser.isSet(p.kiosk);
    o.picturesFolder = p.parser.value(p.pictures);
    if (p.parser.isSet(p.keyboard))
        o.onScreenKeyboard = p.parser.value(p.keyboard);
    o.showWindow = !p.parser.isSet(p.noWindow);
    start.selfTest = p.parser.isSet(p.selfTest);
    if (start.selfTest && !o.showWindow) {
        std::fputs("kinderopvang: --selftest shows a window; --no-window goes against it\n", stderr);
        start.exitCode = 2;
    }
    return start;
}

} // namespace CommandLine
