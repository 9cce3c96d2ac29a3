#include "sound/sound_server.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cstdlib>

namespace baisuu {

SoundServer::SoundServer() {
    const QString socket = dir_.filePath(QStringLiteral("native"));
    const QString script = dir_.filePath(QStringLiteral("server.pa"));
    QFile pa(script);
    if (!pa.open(QIODevice::WriteOnly)) {
        problem_ = QStringLiteral("cannot write ") + script;
        return;
    }
    pa.write(QStringLiteral("load-module module-native-protocol-unix socket=%1 auth-anonymous=1\n"
                            "load-module module-null-sink sink_name=listen rate=%2\n"
                            "set-default-sink listen\n")
                 .arg(socket)
                 .arg(kRate)
                 .toUtf8());
    pa.close();
    start();
}

void SoundServer::start() {
    const QString socket = dir_.filePath(QStringLiteral("native"));
    const QString script = dir_.filePath(QStringLiteral("server.pa"));
    // Its own home and runtime folder: no user configuration, no autospawn.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        env.insert(QString::fromLatin1(name), dir_.path());
    env.remove(QStringLiteral("PULSE_SERVER"));
    server_.setProcessEnvironment(env);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-n"), QStringLiteral("-F"), script,
                   QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                   QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-level=error")});
    if (!server_.waitForStarted(5000)) {
        problem_ = QStringLiteral("pulseaudio does not start (scripts/install-deps installs it): ") +
                   server_.errorString();
        return;
    }
    qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    QDeadlineTimer deadline(10000);
    while (!pactl({QStringLiteral("info")})) {
        if (deadline.hasExpired() || server_.state() != QProcess::Running) {
            problem_ = QStringLiteral("pulseaudio does not answer on ") + socket;
            return;
        }
        QThread::msleep(50);
    }
}

SoundServer::~SoundServer() {
    recorder_.kill();
    recorder_.waitForFinished(2000);
    stop();
}

void SoundServer::stop() {
    server_.terminate();
    if (!server_.waitForFinished(3000)) server_.kill();
    server_.waitForFinished(2000);
}

bool SoundServer::pactl(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral("pactl"), arguments);
    return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void SoundServer::startRecording() {
    recorder_.start(QStringLiteral("parec"),
                    {QStringLiteral("--device=listen.monitor"), QStringLiteral("--raw"),
                     QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                     QStringLiteral("--rate=%1").arg(kRate)});
    recorder_.waitForStarted(5000);
}

QList<qint16> SoundServer::stopRecording() {
    recorder_.terminate();
    recorder_.waitForFinished(5000);
    const QByteArray raw = recorder_.readAllStandardOutput();
    QList<qint16> samples(raw.size() / 2);
    memcpy(samples.data(), raw.constData(), size_t(samples.size()) * 2);
    return samples;
}

bool SoundServer::suspend(bool on) {
    return pactl({QStringLiteral("suspend-sink"), QStringLiteral("listen"),
                  on ? QStringLiteral("1") : QStringLiteral("0")});
}

QList<Burst> Bursts(const QList<qint16>& samples, qsizetype gap, int quiet) {
    QList<Burst> bursts;
    qsizetype lastLoud = -1;
    for (qsizetype i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) <= quiet) continue;
        if (bursts.isEmpty() || i - lastLoud > gap) bursts.append({i, 0});
        bursts.last().length = i - bursts.last().start + 1;
        lastLoud = i;
    }
    return bursts;
}

} // namespace baisuu
