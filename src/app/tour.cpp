#include "app/tour.h"

#include "app/tour_steps.h"
#include "core/configuration.h"
#include "core/text_file.h"
#include "ui/stage.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace baisuu {

ShiftableClock::ShiftableClock(const QDateTime& start)
    : base_(start.isValid() ? SystemClock(start) : SystemClock()) {}

QDateTime ShiftableClock::now() const {
    return base_.now().addMSecs(offsetMs_);
}

qint64 ShiftableClock::monotonicMs() const {
    return base_.monotonicMs() + offsetMs_;
}

namespace {

bool copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(file, target)) return false;
    }
    return true;
}

void runSteps(std::shared_ptr<TourState> tour, size_t i, int triesLeft) {
    const std::span<const TourStep> steps = TourSteps();
    if (i >= steps.size()) return;
    const TourStep& step = steps[i];
    if (!step.ready(*tour)) {
        // A state that never comes (15 s) ends the tour as a failure instead of hanging it.
        if (triesLeft <= 0) {
            std::fprintf(stderr, "screenshot tour: step %lld never became ready\n", qint64(i + 1));
            QCoreApplication::exit(1);
            return;
        }
        QTimer::singleShot(20, [tour, i, triesLeft] { runSteps(tour, i, triesLeft - 1); });
        return;
    }
    QTimer::singleShot(step.delayMs, [tour, i] {
        const bool done = TourSteps()[i].act(*tour);
        runSteps(tour, done ? i + 1 : i, 750);
    });
}

} // namespace

QString PrepareTourCopy(const QString& programDir, const QString& tempRoot, QString* error) {
    Hensuu1 real;
    real.developmentLayout = qint16(DevelopmentLayoutFor(programDir));
    if (auto failure = LoadConfiguration(real, programDir)) {
        *error = failure->text();
        return {};
    }
    const QString data = tempRoot + QStringLiteral("/data/");
    const QString program = tempRoot + QLatin1Char('/') + real.paths.contentFolder;
    QDir().mkpath(program);
    if (!copyTree(real.paths.dataRoot, data)) {
        *error = real.paths.dataRoot;
        return {};
    }
    FileError failure;
    if (!WriteTextFile(tempRoot + QStringLiteral("/パスデータ.txt"),
                       QStringLiteral("\"%1\",0,0,0,0,0,0,0,0,0\r\n").arg(data), &failure)) {
        *error = failure.text();
        return {};
    }
    return program;
}

void SaveScreenshot(Stage& stage, const QString& dir, const QString& name) {
    QDir().mkpath(dir);
    if (QWidget* screen = stage.current())
        screen->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void RunTour(AppContext& ctx, Stage& stage, ShiftableClock& clock, const QString& dir) {
    runSteps(std::make_shared<TourState>(ctx, stage, clock, dir), 0, 750);
}

} // namespace baisuu
