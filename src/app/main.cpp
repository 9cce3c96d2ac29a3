// baisuu: the drill program.

#include "app/command_line.h"
#include "app/startup.h"
#include "app/tour.h"
#include "core/configuration.h"
#include "core/program_folder.h"
#include "core/table_sizes.h"
#include "drill/drill_engine.h"
#include "drill/drill_screen.h"
#include "drill/finish_screen.h"
#include "drill/practice_finish_screen.h"
#include "hub/hub_screen.h"
#include "selection/name_selection_screen.h"
#include "sound/pulse_sound_player.h"
#include "teacher/criteria_editor_screen.h"
#include "teacher/records_manager_screen.h"
#include "ui/stage.h"
#include "ui/startup_screens.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace baisuu {

namespace {

struct Options {
    QString programDir;
    QDateTime now;
    bool silent = false;
    QString printToPdf;
    QString screenshots;
    int pupil = 0; // 0: the pupil signs in on the selection screen
    int level = 0;
    bool fullScreen = false;
};

const QString kStartError = QStringLiteral("起動エラー");

bool parseOptions(Options& o) {
    CommandLine cl;
    QCommandLineParser& parser = cl.parser;
    parser.parse(QCoreApplication::arguments()); // FirstLook has told any fault
    o.programDir = parser.value(cl.dir);
    o.silent = parser.isSet(cl.silent);
    o.printToPdf = parser.value(cl.pdf);
    o.screenshots = parser.value(cl.shots);
    o.fullScreen = parser.isSet(cl.fullScreen) || FullScreenSetting();
    const bool tour = !o.screenshots.isEmpty();
    if (parser.isSet(cl.now)) {
        o.now = QDateTime::fromString(parser.value(cl.now), Qt::ISODate);
        if (!o.now.isValid()) {
            ShowMessage(
                nullptr, QMessageBox::Critical, kStartError,
                QStringLiteral("--now の日時は YYYY-MM-DDTHH:MM:SS の形で指定してください。"),
                tour);
            return false;
        }
    }
    bool ok = true;
    if (parser.isSet(cl.pupil)) o.pupil = parser.value(cl.pupil).toInt(&ok);
    if (ok && parser.isSet(cl.level)) o.level = parser.value(cl.level).toInt(&ok);
    if (!ok || o.pupil < 0 || o.pupil > kHighestPupil || o.level < 0 ||
        o.level > kHighestNamedLevel || (o.level > 0 && o.pupil == 0)) {
        ShowMessage(nullptr, QMessageBox::Critical, kStartError,
                    QStringLiteral("--pupil は 1〜5000、--level は 1〜24 の数で指定してください"
                                   "（--level には --pupil も要ります）。"),
                    tour);
        return false;
    }
    return true;
}

// An installed program has no school beside it: the settings name the
// program folder, and when they do not, the person is asked once and the
// answer is kept for every later start. Nobody is asked unattended.
bool findProgramFolder(Options& o, bool tour) {
    const ProgramFolder found =
        ResolveProgramFolder(o.programDir, QCoreApplication::applicationDirPath());
    if (!found.folder.isEmpty() && found.problem.isEmpty()) {
        o.programDir = found.folder;
        return true;
    }
    if (tour || NobodyToAsk()) {
        ShowMessage(nullptr, QMessageBox::Critical, kStartError,
                    found.problem.isEmpty() ? NoProgramFolderText() : found.problem, true);
        return false;
    }
    if (!found.problem.isEmpty())
        ShowMessage(nullptr, QMessageBox::Warning, kStartError, found.problem, false);
    const QString startIn = found.folder.isEmpty() ? QDir::homePath() : found.folder;
    for (;;) {
        const QString chosen = QFileDialog::getExistingDirectory(
            nullptr, QStringLiteral("倍数判定のプログラムフォルダを選んでください"), startIn);
        if (chosen.isEmpty()) {
            ShowMessage(
                nullptr, QMessageBox::Information, kStartError,
                QStringLiteral("プログラムフォルダが選ばれなかったので、倍数判定を終わります。\n"
                               "次に起動したときに、もう一度たずねます。"),
                false);
            return false;
        }
        // A wrong folder is told and never kept: the next start would fail on it.
        if (const QString problem = ProgramFolderProblem(chosen); !problem.isEmpty()) {
            ShowMessage(nullptr, QMessageBox::Warning, kStartError,
                        problem + QStringLiteral("\n\nほかのフォルダを選んでください。"), false);
            continue;
        }
        if (const QString failure = RememberProgramFolder(chosen); !failure.isEmpty())
            ShowMessage(nullptr, QMessageBox::Warning, kStartError, failure, false);
        o.programDir = chosen;
        return true;
    }
}

void nameTheApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("倍数判定"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(BAISUU_VERSION_MAJOR)
                                                .arg(BAISUU_VERSION_MINOR)
                                                .arg(BAISUU_VERSION_PATCH));
}

// The desktop matches the window to its menu entry by the desktop file's
// name (Wayland) and by the window's class (X11, StartupWMClass), which Qt
// takes from the application's name: --version has said 倍数判定 already, the
// window system gets a plain ASCII name.
void settleOnDesktop() {
    QGuiApplication::setDesktopFileName(QStringLiteral(BAISUU_APP_ID));
    QCoreApplication::setApplicationName(QStringLiteral(BAISUU_WINDOW_CLASS));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/" BAISUU_APP_ID ".png")));
    LoadQtJapanese();
}

// The tour works on a copy in tempRoot, so it never writes the school's own files.
bool copyForTour(Options& o, const QString& tempRoot) {
    QString error;
    o.programDir = PrepareTourCopy(o.programDir, tempRoot, &error);
    if (!o.programDir.isEmpty()) return true;
    ShowMessage(nullptr, QMessageBox::Critical, kStartError,
                QStringLiteral("スクリーンショット用にデータを写せません。\n\n") + error, true);
    return false;
}

std::unique_ptr<SoundPlayer> makeSoundPlayer(bool silent) {
    if (silent) return std::make_unique<SilentSoundPlayer>();
    return std::make_unique<PulseSoundPlayer>();
}

QWidget* makeSplash(AppContext& ctx, const std::function<void()>& handOver) {
    auto* splash = new Firstfrm(ctx.clock.now().date(), handOver);
    // The start-up benchmark asks for the moment the splash is on screen, then leaves.
    if (qEnvironmentVariableIsSet("BAISUU_EXIT_AFTER_SPLASH"))
        QObject::connect(splash, &Firstfrm::firstPainted, [] {
            std::printf("painted %lld\n", QDateTime::currentMSecsSinceEpoch());
            std::fflush(stdout);
            std::_Exit(0);
        });
    return splash;
}

// The stage's factory: every screen of the program, built on the shared context.
QWidget* makeScreen(AppContext& ctx, Screen screen, const std::function<void()>& handOver) {
    switch (screen) {
    case Screen::Splash:
        return makeSplash(ctx, handOver);
    case Screen::Wait:
        return new BASEFRM;
    case Screen::Drill:
        return MakeDrillScreen(ctx);
    case Screen::Finish:
        return MakeFinishScreen(ctx);
    case Screen::PracticeFinish:
        return MakePracticeFinishScreen(ctx);
    case Screen::Selection:
        return MakeSelectionScreen(ctx);
    case Screen::Hub:
        return MakeHubScreen(ctx);
    case Screen::RecordsManager:
        return MakeRecordsManagerScreen(ctx);
    case Screen::CriteriaEditor:
        return MakeCriteriaEditorScreen(ctx);
    }
    return nullptr;
}

// Where the splash hands over: the installation is read, then the tour, the
// selection screen, or the pupil and level the command line named.
void afterSplash(AppContext& ctx, Stage& stage, ShiftableClock& clock, const Options& o,
                 std::future<void>& dailyBackup) {
    const bool tour = !o.screenshots.isEmpty();
    Hensuu1& s = ctx.hensuu1;
    if (const auto color = SeasonColorFor(ctx.clock.now().date().month())) s.seasonColor = *color;
    s.developmentLayout = qint16(DevelopmentLayoutFor(o.programDir));
    if (auto error = LoadInstallation(ctx, o.programDir)) {
        ShowMessage(
            &stage, QMessageBox::Critical, QStringLiteral("設定エラー"),
            QStringLiteral("ファイルを読めないので始められません。先生を呼んでください。\n\n") +
                error->text(),
            tour);
        stage.quit(1);
        return;
    }
    if (tour) {
        RunTour(ctx, stage, clock, o.screenshots);
        return;
    }
    dailyBackup = StartDailyBackup(ctx, ChainDatabase());
    if (o.pupil == 0) { // the ordinary road: the pupil signs in
        stage.show(Screen::Selection);
        return;
    }
    SignIn(ctx, o.pupil);
    if (o.level > 0) {
        s.currentLevel = qint16(o.level);
        StartRun(ctx);
    } else {
        stage.show(Screen::Hub);
    }
}

} // namespace

} // namespace baisuu

using namespace baisuu;

int main(int argc, char** argv) {
    nameTheApplication();
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (const std::optional<int> code = FirstLook(args)) return *code;
    if (const QString missing = MissingDisplayText(); !missing.isEmpty()) {
        std::fprintf(stderr, "baisuu: %s\n", qPrintable(missing));
        return 2;
    }
    const std::unique_ptr<QApplication> app = OpenDisplay(argc, argv);
    settleOnDesktop();
    Options options;
    if (!parseOptions(options)) return 2;
    const bool tour = !options.screenshots.isEmpty();
    if (!findProgramFolder(options, tour)) return 1;
    QTemporaryDir tourRoot;
    if (tour && !copyForTour(options, tourRoot.path())) return 1;

    // The tour's clock can jump ahead; otherwise the machine's clock (from --now when given).
    ShiftableClock clock(options.now);
    SystemRandom random;
    const std::unique_ptr<SoundPlayer> sound = makeSoundPlayer(options.silent);
    ProcessLauncher launcher;
    // The stage makes the screens, and the screens need the context that
    // names the stage: the factory reaches the context once it exists.
    std::future<void> dailyBackup; // waited for at the end, after every screen is gone
    AppContext* context = nullptr;
    std::function<void()> handOver;
    Stage stage([&](Screen screen) { return makeScreen(*context, screen, handOver); });
    stage.setTour(tour);
    // The shared state and tables start empty: the splash's hand-over fills them.
    AppContext ctx{.hensuu1 = {},
                   .criteria = {},
                   .results = {},
                   .clock = clock,
                   .random = random,
                   .sound = *sound,
                   .launcher = launcher,
                   .navigator = stage,
                   .drill = {},
                   .sounds = {},
                   .printToPdf = options.printToPdf};
    context = &ctx;
    handOver = [&] { afterSplash(ctx, stage, clock, options, dailyBackup); };

    stage.showOnDesktop(options.fullScreen);
    stage.show(Screen::Splash);
    if (tour) SaveScreenshot(stage, options.screenshots, QStringLiteral("01_splash"));
    return app->exec();
}
