#include "core/services.h"

#include <QEventLoop>
#include <QTimer>

#include <QProcess>

namespace baisuu {

SystemClock::SystemClock() {
    timer_.start();
}

SystemClock::SystemClock(const QDateTime& start) : start_(start) {
    timer_.start();
}

QDateTime SystemClock::now() const {
    if (!start_.isValid()) return QDateTime::currentDateTime();
    return start_.addMSecs(timer_.elapsed());
}

SystemRandom::SystemRandom() : engine_(std::random_device{}()) {}

double SystemRandom::next() {
    // generate_canonical may round up to 1.0; a draw must stay below 1.
    const double r = std::generate_canonical<double, 53>(engine_);
    return r < 1.0 ? r : 0.0;
}

bool ProcessLauncher::start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

void LetScreensRunForASecond() {
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace baisuu
