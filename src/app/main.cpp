// baisuu: the drill program.

#include "app/startup.h"
#include "app/tour.h"
#include "core/configuration.h"
#include "core/stage.h"
#include "core/startup_screens.h"
#include "drill/drill_engine.h"
#include "drill/drill_screen.h"
#include "drill/finish_screen.h"
#include "drill/qt_sound_player.h"
#include "hub/hub_screen.h"
#include "records/criteria_editor_screen.h"
#include "records/records_manager_screen.h"
#include "roster/name_selection_screen.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct Options {
    QString programDir;
    QDateTime now;
    bool silent = false;
    QString printToPdf;
    QString screenshots;
    int pupil = 0; // 0: the pupil signs in on the selection screen
    int level = 0;
};

const QString kStartError = QStringLiteral("起動エラー");

bool parseOptions(QApplication& app, Options& o) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("倍数判定: timed drill of odd, even and multiples"));
    parser.addHelpOption();
    const QCommandLineOption dir(QStringLiteral("program-dir"), QStringLiteral("program folder"),
                                 QStringLiteral("DIR"), QCoreApplication::applicationDirPath());
    const QCommandLineOption now(QStringLiteral("now"), QStringLiteral("start of wall time"),
                                 QStringLiteral("YYYY-MM-DDTHH:MM:SS"));
    const QCommandLineOption silent(QStringLiteral("silent"), QStringLiteral("no sound"));
    const QCommandLineOption pdf(QStringLiteral("print-to-pdf"), QStringLiteral("print to PDF"),
                                 QStringLiteral("FILE"));
    const QCommandLineOption shots(QStringLiteral("screenshots"),
                                   QStringLiteral("screenshot tour into DIR"),
                                   QStringLiteral("DIR"));
    const QCommandLineOption pupil(QStringLiteral("pupil"), QStringLiteral("pupil number"),
                                   QStringLiteral("N"));
    const QCommandLineOption level(QStringLiteral("level"), QStringLiteral("level to start"),
                                   QStringLiteral("L"));
    parser.addOptions({dir, now, silent, pdf, shots, pupil, level});
    parser.process(app);
    o.programDir = parser.value(dir);
    o.silent = parser.isSet(silent);
    o.printToPdf = parser.value(pdf);
    o.screenshots = parser.value(shots);
    const bool tour = !o.screenshots.isEmpty();
    if (parser.isSet(now)) {
        o.now = QDateTime::fromString(parser.value(now), Qt::ISODate);
        if (!o.now.isValid()) {
            showMessage(
                nullptr, QMessageBox::Critical, kStartError,
                QStringLiteral("--now の日時は YYYY-MM-DDTHH:MM:SS の形で指定してください。"),
                tour);
            return false;
        }
    }
    bool ok = true;
    if (parser.isSet(pupil)) o.pupil = parser.value(pupil).toInt(&ok);
    if (ok && parser.isSet(level)) o.level = parser.value(level).toInt(&ok);
    if (!ok || o.pupil < 0 || o.pupil > 5000 || o.level < 0 || o.level > 24 ||
        (o.level > 0 && o.pupil == 0)) {
        showMessage(nullptr, QMessageBox::Critical, kStartError,
                    QStringLiteral("--pupil は 1〜5000、--level は 1〜24 の数で指定してください"
                                   "（--level には --pupil も要ります）。"),
                    tour);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("倍数判定"));
    Options options;
    if (!parseOptions(app, options)) return 2;

    const bool tour = !options.screenshots.isEmpty();
    QTemporaryDir tourRoot;
    if (tour) {
        QString error;
        options.programDir = prepareTourCopy(options.programDir, tourRoot.path(), &error);
        if (options.programDir.isEmpty()) {
            showMessage(nullptr, QMessageBox::Critical, kStartError,
                        QStringLiteral("スクリーンショット用にデータを写せません。\n\n") + error,
                        tour);
            return 1;
        }
    }
    // The tour's clock can jump ahead; otherwise the machine's clock (from --now when given).
    ShiftableClock clock(options.now);
    SystemRandom random;
    std::unique_ptr<SoundPlayer> sound;
    if (options.silent)
        sound = std::make_unique<SilentSoundPlayer>();
    else
        sound = std::make_unique<QtSoundPlayer>();
    ProcessLauncher launcher;

    AppContext* context = nullptr;
    std::function<void()> handOver;
    Stage stage([&](Screen screen) -> QWidget* {
        AppContext& ctx = *context;
        switch (screen) {
        case Screen::Splash: {
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
        case Screen::Wait:
            return new BASEFRM;
        case Screen::Drill:
            return makeDrillScreen(ctx);
        case Screen::Finish:
            return makeFinishScreen(ctx);
        case Screen::Selection:
            return makeSelectionScreen(ctx);
        case Screen::Hub:
            return makeHubScreen(ctx);
        case Screen::RecordsManager:
            return makeRecordsManagerScreen(ctx);
        case Screen::CriteriaEditor:
            return makeCriteriaEditorScreen(ctx);
        }
        return nullptr;
    });
    stage.setTour(tour);
    AppContext ctx{{}, {}, {}, clock, random, *sound, launcher, stage, {}, {}, 0};
    context = &ctx;
    ctx.printToPdf = options.printToPdf;

    handOver = [&] {
        Hensuu1& s = ctx.hensuu1;
        if (const auto color = SeasonColorFor(ctx.clock.now().date().month()))
            s.seasonColor = *color;
        s.developmentLayout = qint16(DevelopmentLayoutFor(options.programDir));
        if (auto error = LoadInstallation(ctx, options.programDir)) {
            showMessage(
                &stage, QMessageBox::Critical, QStringLiteral("設定エラー"),
                QStringLiteral("ファイルを読めないので始められません。先生を呼んでください。\n\n") +
                    error->text(),
                tour);
            stage.quit(1);
            return;
        }
        if (tour) {
            runTour(ctx, stage, clock, options.screenshots);
            return;
        }
        if (options.pupil == 0) { // the ordinary road: the pupil signs in
            stage.show(Screen::Selection);
            return;
        }
        SignIn(ctx, options.pupil);
        if (options.level > 0) {
            s.currentLevel = qint16(options.level);
            StartRun(ctx);
        } else {
            stage.show(Screen::Hub);
        }
    };

    stage.show();
    stage.show(Screen::Splash);
    if (tour) saveScreenshot(stage, options.screenshots, QStringLiteral("01_splash"));
    return app.exec();
}
