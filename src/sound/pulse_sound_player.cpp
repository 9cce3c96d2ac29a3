#include "sound/pulse_sound_player.h"

#include "sound/wave_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <pulse/pulseaudio.h>

namespace baisuu {

namespace {

// How much the server buffers ahead of what is heard: little, so a cue starts
// at once and its end is reported when it is heard.
constexpr pa_usec_t kLatencyUs = 20000;

QString nativeName(const QString& file) {
    return QDir::toNativeSeparators(file);
}

QString serverError(pa_context* context) {
    return QString::fromUtf8(pa_strerror(context ? pa_context_errno(context) : PA_ERR_INTERNAL));
}

pa_sample_format_t paFormat(WaveSound::Sample s) {
    switch (s) {
    case WaveSound::Sample::UInt8: return PA_SAMPLE_U8;
    case WaveSound::Sample::Int16: return PA_SAMPLE_S16LE;
    case WaveSound::Sample::Int24: return PA_SAMPLE_S24LE;
    case WaveSound::Sample::Int32: return PA_SAMPLE_S32LE;
    case WaveSound::Sample::Float32: return PA_SAMPLE_FLOAT32LE;
    }
    return PA_SAMPLE_INVALID;
}

// A little silence before and after the cue's samples. Starting a stream makes
// the server rewrite what it had already mixed ahead; the first milliseconds
// handed over may then be missed by whatever records the device's output,
// and the last ones sit in the resampler when the stream drains. Silence is
// what gets lost instead.
constexpr int kLeadInMs = 10;
constexpr int kTailMs = 5;

QByteArray padded(const WaveSound& sound) {
    const char quiet = sound.sample == WaveSound::Sample::UInt8 ? char(0x80) : char(0);
    const auto silence = [&](int ms) {
        return QByteArray(qsizetype(sound.rate) * ms / 1000 * sound.bytesPerFrame(), quiet);
    };
    return silence(kLeadInMs) + sound.data + silence(kTailMs);
}

pa_buffer_attr shortBuffer(const pa_sample_spec& spec) {
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(kLatencyUs, &spec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    return attr;
}

} // namespace

// The server's callbacks run on the thread of its main loop, holding its lock.
// They know the cues by their streams only, and hand what they learn to the
// player's thread through queued calls, which Qt drops once the player is gone.
struct PulseSoundPlayer::Server {
    PulseSoundPlayer* player = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    // A silent stream held open for the player's life: it keeps the server's
    // device awake and at a short latency, so a cue is neither delayed nor cut
    // at its start by a device waking up.
    pa_stream* keeper = nullptr;
    struct Playing {
        quint64 id = 0;
        QByteArray data;
    };
    QHash<pa_stream*, Playing> playing; // under the loop's lock

    struct Lock {
        explicit Lock(pa_threaded_mainloop* l) : loop(l) { pa_threaded_mainloop_lock(loop); }
        ~Lock() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop* loop;
    };

    void post(std::function<void()> call) const {
        QMetaObject::invokeMethod(player, std::move(call), Qt::QueuedConnection);
    }
    void postEnded(quint64 id, bool ok, const QString& error) const {
        post([p = player, id, ok, error] { p->ended(id, ok, error); });
    }
    void postStarted(quint64 id) const {
        post([p = player, id] { p->started(id); });
    }
    void postReady(pa_context* c) const {
        post([p = player, c] { p->serverReady(c); });
    }
    void postFailed(pa_context* c, const QString& why) const {
        post([p = player, c, why] { p->serverFailed(c, why); });
    }

    void close(pa_stream* s) {
        playing.remove(s);
        pa_stream_set_state_callback(s, nullptr, nullptr);
        pa_stream_set_started_callback(s, nullptr, nullptr);
        pa_stream_disconnect(s);
        pa_stream_unref(s);
    }

    ~Server() {
        if (!loop) return;
        pa_threaded_mainloop_stop(loop);
        for (pa_stream* s : playing.keys())
            close(s);
        if (keeper) close(keeper);
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        pa_threaded_mainloop_free(loop);
    }
};

struct PulseSoundPlayer::Cue {
    QString file;
    Done done; // empty once reported
    QByteArray data;
    pa_sample_spec spec{};
    pa_stream* stream = nullptr;
    bool heard = false; // the server has started playing it
    QTimer watchdog;
};

namespace {

void onContextState(pa_context* c, void* data) {
    auto* server = static_cast<PulseSoundPlayer::Server*>(data);
    switch (pa_context_get_state(c)) {
    case PA_CONTEXT_READY: server->postReady(c); break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: server->postFailed(c, serverError(c)); break;
    default: break;
    }
}

// Once the stream is up, the whole cue goes over at once; the drain then
// reports when its last sample has been played.
void onStreamState(pa_stream* s, void* data) {
    auto* server = static_cast<PulseSoundPlayer::Server*>(data);
    const auto it = server->playing.constFind(s);
    if (it == server->playing.cend()) return;
    const quint64 id = it->id;
    switch (pa_stream_get_state(s)) {
    case PA_STREAM_READY: {
        pa_stream_write(s, it->data.constData(), size_t(it->data.size()), nullptr, 0,
                        PA_SEEK_RELATIVE);
        pa_operation* drain = pa_stream_drain(
            s,
            [](pa_stream* s, int success, void* data) {
                auto* server = static_cast<PulseSoundPlayer::Server*>(data);
                const auto it = server->playing.constFind(s);
                if (it == server->playing.cend()) return; // given up already
                server->postEnded(it->id, success != 0,
                                  QStringLiteral("音声が最後まで鳴りません"));
            },
            server);
        if (drain) pa_operation_unref(drain);
        break;
    }
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        server->postEnded(id, false,
                          QStringLiteral("音声を再生できません（%1）")
                              .arg(serverError(pa_stream_get_context(s))));
        break;
    default: break;
    }
}

} // namespace

QString SoundServerProblem(int timeoutMs) {
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop) return QStringLiteral("pa_mainloop_new");
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "倍数判定");
    QString problem = QStringLiteral("pa_context_new");
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        QElapsedTimer waited;
        waited.start();
        pa_context_state_t state = pa_context_get_state(context);
        while (PA_CONTEXT_IS_GOOD(state) && state != PA_CONTEXT_READY &&
               waited.elapsed() < timeoutMs) {
            pa_mainloop_prepare(loop, 10000); // wakes every 10 ms to look at the time
            pa_mainloop_poll(loop);
            pa_mainloop_dispatch(loop);
            state = pa_context_get_state(context);
        }
        problem = state == PA_CONTEXT_READY ? QString()
                  : PA_CONTEXT_IS_GOOD(state)
                      ? QStringLiteral("%1ミリ秒待っても応答がありません").arg(timeoutMs)
                      : serverError(context);
    } else if (context) {
        problem = serverError(context);
    }
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_mainloop_free(loop);
    return problem;
}

PulseSoundPlayer::PulseSoundPlayer(QObject* parent) : QObject(parent) {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] {
        if (!server_) connectServer();
    });
    connectServer();
}

PulseSoundPlayer::~PulseSoundPlayer() {
    server_.reset();
    qDeleteAll(cues_);
}

void PulseSoundPlayer::play(const QString& file, Done done) {
    if (!QFileInfo(file).isFile()) {
        done(false, QStringLiteral("音声ファイルがありません: %1").arg(nativeName(file)));
        return;
    }
    const std::optional<WaveSound> sound = ReadWaveFile(file);
    if (!sound) {
        done(false, QStringLiteral("音声ファイルを再生できません: %1").arg(nativeName(file)));
        return;
    }
    auto* cue = new Cue;
    cue->file = file;
    cue->done = std::move(done);
    cue->data = padded(*sound);
    cue->spec = {paFormat(sound->sample), uint32_t(sound->rate), uint8_t(sound->channels)};
    const quint64 id = ++nextId_;
    cues_.insert(id, cue);

    // However the server behaves, the drill waits no longer than this.
    const int lengthMs = int(sound->durationUs() / 1000);
    cue->watchdog.setSingleShot(true);
    cue->watchdog.setTimerType(Qt::PreciseTimer);
    connect(&cue->watchdog, &QTimer::timeout, this, [this, id, lengthMs] {
        overdue(id, lengthMs);
    });
    cue->watchdog.start(lengthMs + kMarginMs);

    if (!server_) connectServer();
    if (ready_) startStream(id);
}

void PulseSoundPlayer::connectServer() {
    server_ = std::make_unique<Server>();
    server_->player = this;
    ready_ = false;
    server_->loop = pa_threaded_mainloop_new();
    if (!server_->loop) {
        server_->postFailed(nullptr, QStringLiteral("pa_threaded_mainloop_new"));
        return;
    }
    Server::Lock lock(server_->loop);
    server_->context = pa_context_new(pa_threaded_mainloop_get_api(server_->loop), "倍数判定");
    if (!server_->context) {
        server_->postFailed(nullptr, QStringLiteral("pa_context_new"));
        return;
    }
    pa_context_set_state_callback(server_->context, onContextState, server_.get());
    if (pa_context_connect(server_->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(server_->loop) < 0) {
        server_->postFailed(server_->context, serverError(server_->context));
    }
}

// Both run on this thread; a connection given up meanwhile has nothing to say.
void PulseSoundPlayer::serverReady(pa_context* context) {
    if (!server_ || server_->context != context) return;
    ready_ = true;
    {
        Server::Lock lock(server_->loop);
        const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 1};
        server_->keeper = pa_stream_new(context, "keeper", &spec, nullptr);
        const pa_buffer_attr attr = shortBuffer(spec);
        if (server_->keeper)
            pa_stream_connect_playback(server_->keeper, nullptr, &attr, PA_STREAM_ADJUST_LATENCY,
                                       nullptr, nullptr);
    }
    for (auto it = cues_.cbegin(); it != cues_.cend(); ++it)
        if (!it.value()->stream) startStream(it.key());
}

void PulseSoundPlayer::serverFailed(pa_context* context, const QString& why) {
    if (!server_ || server_->context != context) return;
    // Every cue fails now. The server is called again without waiting for
    // the next cue: a restarted server needs a while after it answers before
    // it plays a cue at once, and the stream held open spends that while
    // between the pupil's answers, not within a cue's margin.
    const QString text = QStringLiteral("サウンドサーバーにつながりません（%1）").arg(why);
    server_.reset();
    ready_ = false;
    for (quint64 id : cues_.keys())
        ended(id, false, text);
    retry_.start();
}

void PulseSoundPlayer::startStream(quint64 id) {
    Cue* cue = cues_.value(id);
    Server::Lock lock(server_->loop);
    pa_stream* s = pa_stream_new(server_->context, "cue", &cue->spec, nullptr);
    if (!s) {
        server_->postEnded(id, false,
                           QStringLiteral("音声を再生できません（%1）")
                               .arg(serverError(server_->context)));
        return;
    }
    cue->stream = s;
    server_->playing.insert(s, {id, cue->data});
    pa_stream_set_state_callback(s, onStreamState, server_.get());
    pa_stream_set_started_callback(
        s,
        [](pa_stream* s, void* data) {
            auto* server = static_cast<PulseSoundPlayer::Server*>(data);
            const auto it = server->playing.constFind(s);
            if (it != server->playing.cend()) server->postStarted(it->id);
        },
        server_.get());
    const pa_buffer_attr attr = shortBuffer(cue->spec);
    if (pa_stream_connect_playback(s, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0)
        server_->postEnded(id, false,
                           QStringLiteral("音声を再生できません（%1）")
                               .arg(serverError(server_->context)));
}

void PulseSoundPlayer::started(quint64 id) {
    if (Cue* cue = cues_.value(id)) cue->heard = true;
}

// Past its length and the margin the wait ends. A cue being heard has merely
// a slow device: it plays on to its end, and the play counts as played. A cue
// never heard is stuck: it is dropped and counts as a failure.
void PulseSoundPlayer::overdue(quint64 id, int lengthMs) {
    Cue* cue = cues_.value(id);
    if (!cue) return;
    if (!cue->heard) {
        ended(id, false, QStringLiteral("音声が鳴りません: %1").arg(nativeName(cue->file)));
        return;
    }
    report(cue, true, {});
    QTimer::singleShot(lengthMs + kLateLimitMs, this, [this, id] { ended(id, false, {}); });
}

void PulseSoundPlayer::report(Cue* cue, bool ok, const QString& error) {
    cue->watchdog.stop();
    if (!cue->done) return;
    const Done done = std::move(cue->done);
    cue->done = nullptr;
    done(ok, ok ? QString() : error);
}

void PulseSoundPlayer::ended(quint64 id, bool ok, const QString& error) {
    Cue* cue = cues_.take(id);
    if (!cue) return; // already over
    if (cue->stream && server_) {
        // Disconnected, the stream drops its drain: nothing names the cue now.
        Server::Lock lock(server_->loop);
        server_->close(cue->stream);
    }
    std::unique_ptr<Cue> gone(cue);
    report(cue, ok, error);
}

} // namespace baisuu
