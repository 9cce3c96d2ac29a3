#include "drill/qt_sound_player.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

namespace {

// One play of one effect: reports once, then goes away.
class Playback final : public QObject {
  public:
    Playback(QObject* parent, QSoundEffect* effect, QString file, SoundPlayer::Done done)
        : QObject(parent), effect_(effect), file_(std::move(file)), done_(std::move(done)) {}

    void begin(qint64 limitMs) {
        connect(effect_, &QSoundEffect::statusChanged, this, [this] { onStatus(); });
        connect(effect_, &QSoundEffect::playingChanged, this, [this] {
            if (started_ && !effect_->isPlaying()) finish(true, {});
        });
        // Without an audio device some back ends never say the sound ended;
        // the drill must not wait for ever.
        watchdog_.setSingleShot(true);
        connect(&watchdog_, &QTimer::timeout, this, [this] {
            // Stopping says "not playing" at once; that must not count as played.
            disconnect(effect_, nullptr, this, nullptr);
            effect_->stop();
            finish(false, QStringLiteral("音声が終わりません: %1").arg(nativeFile()));
        });
        watchdog_.start(int(limitMs));
        onStatus();
    }

    // Another play of the same effect takes over; this one counts as played.
    void interrupt() { finish(true, {}); }

  private:
    void onStatus() {
        if (!done_) return;
        if (effect_->status() == QSoundEffect::Error) {
            finish(false, QStringLiteral("音声ファイルを再生できません: %1").arg(nativeFile()));
        } else if (effect_->status() == QSoundEffect::Ready && !started_) {
            started_ = true;
            effect_->play();
        }
    }

    void finish(bool ok, const QString& error) {
        if (!done_) return;
        const SoundPlayer::Done done = std::move(done_);
        done_ = nullptr;
        watchdog_.stop();
        disconnect(effect_, nullptr, this, nullptr);
        deleteLater();
        done(ok, error);
    }

    QString nativeFile() const { return QDir::toNativeSeparators(file_); }

    QSoundEffect* effect_;
    QString file_;
    SoundPlayer::Done done_;
    QTimer watchdog_;
    bool started_ = false;
};

} // namespace

qint64 waveDurationMs(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray head = f.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") return 0;
    quint32 byteRate = 0;
    while (!f.atEnd()) {
        const QByteArray chunk = f.read(8);
        if (chunk.size() < 8) return 0;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (chunk.startsWith("fmt ")) {
            const QByteArray fmt = f.read(size + (size & 1));
            if (fmt.size() < 12) return 0;
            byteRate = qFromLittleEndian<quint32>(fmt.constData() + 8);
        } else if (chunk.startsWith("data")) {
            return byteRate ? qint64(size) * 1000 / byteRate : 0;
        } else if (!f.seek(f.pos() + size + (size & 1))) {
            return 0;
        }
    }
    return 0;
}

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {}

void QtSoundPlayer::play(const QString& file, Done done) {
    if (!QFileInfo(file).isFile()) {
        done(false,
             QStringLiteral("音声ファイルがありません: %1").arg(QDir::toNativeSeparators(file)));
        return;
    }
    if (QMediaDevices::audioOutputs().isEmpty()) {
        done(false, QStringLiteral("音声の出力装置がありません"));
        return;
    }
    QSoundEffect*& effect = effects_[file];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl::fromLocalFile(file));
    }
    QPointer<QObject>& current = playing_[effect];
    if (auto* earlier = static_cast<Playback*>(current.data())) earlier->interrupt();
    const qint64 length = waveDurationMs(file);
    auto* playback = new Playback(effect, effect, file, std::move(done));
    current = playback;
    playback->begin((length > 0 ? length : 12000) + 2000);
}
