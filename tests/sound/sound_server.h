#pragma once
// A sound server of the test's own: PulseAudio with one null sink, whose
// monitor the test records to hear exactly what was played. Nothing of the
// machine's own sound setup is used or changed; the test's process is pointed
// at this server through PULSE_SERVER.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace baisuu {

class SoundServer {
  public:
    static constexpr int kRate = 44100; // what the sink plays and the recording holds

    SoundServer();
    ~SoundServer();
    // Empty when the server runs; otherwise why it does not.
    QString problem() const { return problem_; }
    // A restart: stop ends the server, start runs it again on the same socket
    // and returns once it answers (problem() says when it does not).
    void stop();
    void start();

    // Records the sink's monitor, mono 16 bits, until stopRecording.
    void startRecording();
    QList<qint16> stopRecording();
    // A suspended sink takes streams but plays nothing.
    bool suspend(bool on);

  private:
    bool pactl(const QStringList& arguments);

    QTemporaryDir dir_;
    QProcess server_;
    QProcess recorder_;
    QString problem_;
};

// A stretch of sound in a recording, in samples: separated from the next by
// at least `gap` samples no louder than `quiet`.
struct Burst {
    qsizetype start = 0;
    qsizetype length = 0;
};
QList<Burst> Bursts(const QList<qint16>& samples, qsizetype gap, int quiet);

} // namespace baisuu
