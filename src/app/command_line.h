#pragma once
// baisuu's options and its first steps before any window: --help, --version
// and a mistyped option are told in Japanese where no display is (a terminal
// over ssh, a package check), and a missing display is told instead of Qt's
// abort.

#include <QCommandLineParser>
#include <QStringList>

#include <memory>
#include <optional>

class QApplication;

namespace baisuu {

// Every option of the program, so that the first look and the real parse
// read the same list. The texts people read are HelpText's: the parser's
// own are English.
struct CommandLine {
    QCommandLineParser parser;
    const QCommandLineOption dir{QStringLiteral("program-dir"), QString(), QStringLiteral("DIR")};
    const QCommandLineOption now{QStringLiteral("now"), QString(),
                                 QStringLiteral("YYYY-MM-DDTHH:MM:SS")};
    const QCommandLineOption silent{QStringLiteral("silent"), QString()};
    const QCommandLineOption pdf{QStringLiteral("print-to-pdf"), QString(), QStringLiteral("FILE")};
    const QCommandLineOption shots{QStringLiteral("screenshots"), QString(), QStringLiteral("DIR")};
    const QCommandLineOption pupil{QStringLiteral("pupil"), QString(), QStringLiteral("N")};
    const QCommandLineOption level{QStringLiteral("level"), QString(), QStringLiteral("L")};
    const QCommandLineOption fullScreen{QStringLiteral("fullscreen"), QString()};
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QString()};
    const QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}, QString()};

    CommandLine();
    QList<QCommandLineOption> options() const {
        return {dir, now, silent, pdf, shots, pupil, level, fullScreen, help, version};
    }
};

// The usage, in Japanese; the option names as they are typed.
QString HelpText();

// Reads the options before the display is opened: prints the help or the
// version, or tells a wrong option (exit 2). Returns the exit code when the
// program ends here.
std::optional<int> FirstLook(const QStringList& args);

// Empty when a window can be opened; otherwise what to tell, in Japanese:
// neither an X nor a Wayland display is named and no platform was chosen
// (QT_QPA_PLATFORM=offscreen for screenshots, as xvfb-run names a display).
QString MissingDisplayText();

// The application on its display. A display that is named but cannot be
// reached ends the program here with a Japanese message and exit 2, where
// Qt would abort with its own English words.
std::unique_ptr<QApplication> OpenDisplay(int& argc, char** argv);

} // namespace baisuu
