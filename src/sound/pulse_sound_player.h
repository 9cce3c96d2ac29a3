#pragma once
// The real sound player: wave files played through the desktop's sound
// server (PulseAudio, or PipeWire's PulseAudio service), one stream per cue.
// A play ends when the server says its last sample has been played, so a cue
// is heard whole and the drill goes on right after it. A file that cannot be
// decoded, no server, or a cue not heard within its length and a small
// margin is a failure with an error text, for the answer cues' count.
// A lost server is called again every kRetryMs until it answers, so that a
// restarted one is back, its device awake, before the next cue.

#include "core/services.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <memory>

struct pa_context;

namespace baisuu {

// Whether a sound server answers within timeoutMs, as the player would find
// it: empty when it does, else the server library's reason.
QString SoundServerProblem(int timeoutMs = 2000);

class PulseSoundPlayer final : public QObject, public SoundPlayer {
  public:
    // Connects at once, so that the first cue does not wait for the server.
    explicit PulseSoundPlayer(QObject* parent = nullptr);
    ~PulseSoundPlayer() override;
    void play(const QString& file, Done done) override;

    // How long past its length the drill waits for a cue's end.
    static constexpr int kMarginMs = 250;
    // How long past its length a cue that a slow device plays may go on.
    static constexpr int kLateLimitMs = 5000;
    // How often a lost server is called again: well within the margin.
    static constexpr int kRetryMs = 100;

    struct Server; // the connection, whose callbacks run on a thread of its own
    struct Cue;

  private:
    void connectServer();
    void serverReady(pa_context* context);
    void serverFailed(pa_context* context, const QString& why);
    void startStream(quint64 id);
    void started(quint64 id);
    void overdue(quint64 id, int lengthMs);
    void report(Cue* cue, bool ok, const QString& error);
    void ended(quint64 id, bool ok, const QString& error);

    std::unique_ptr<Server> server_;
    bool ready_ = false;
    quint64 nextId_ = 0;
    QHash<quint64, Cue*> cues_;
    QTimer retry_; // calls a lost server again
};

} // namespace baisuu
