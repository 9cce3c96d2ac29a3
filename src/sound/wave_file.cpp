#include "sound/wave_file.h"

#include <QFile>
#include <QtEndian>

#include <cmath>

namespace baisuu {

namespace {

constexpr quint16 kPcm = 1;
constexpr quint16 kFloat = 3;
constexpr quint16 kExtensible = 0xFFFE;
constexpr qint64 kLargestFile = 64 * 1024 * 1024; // a cue is seconds long, not hours

quint16 u16At(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32At(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

std::optional<WaveSound::Sample> sampleOf(quint16 tag, quint16 bits) {
    if (tag == kPcm) {
        switch (bits) {
        case 8: return WaveSound::Sample::UInt8;
        case 16: return WaveSound::Sample::Int16;
        case 24: return WaveSound::Sample::Int24;
        case 32: return WaveSound::Sample::Int32;
        default: return std::nullopt;
        }
    }
    if (tag == kFloat && bits == 32) return WaveSound::Sample::Float32;
    return std::nullopt;
}

// The "fmt " chunk; false when it describes nothing we can play.
bool readFormat(const QByteArray& fmt, WaveSound& sound) {
    if (fmt.size() < 16) return false;
    quint16 tag = u16At(fmt, 0);
    const quint16 channels = u16At(fmt, 2);
    const quint32 rate = u32At(fmt, 4);
    const quint16 bits = u16At(fmt, 14);
    if (tag == kExtensible) {
        // The sub-format's GUID starts with the plain format tag.
        if (fmt.size() < 26) return false;
        tag = u16At(fmt, 24);
    }
    const auto sample = sampleOf(tag, bits);
    if (!sample || channels < 1 || channels > 8 || rate < 1000 || rate > 384000) return false;
    sound.sample = *sample;
    sound.channels = channels;
    sound.rate = int(rate);
    return true;
}

} // namespace

int WaveSound::bytesPerFrame() const {
    static constexpr int bytes[] = {1, 2, 3, 4, 4};
    return bytes[int(sample)] * channels;
}

qint64 WaveSound::durationUs() const {
    const qint64 frames = bytesPerFrame() ? data.size() / bytesPerFrame() : 0;
    return rate ? frames * 1000000 / rate : 0;
}

std::optional<WaveSound> DecodeWave(const QByteArray& bytes) {
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    WaveSound sound;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = u32At(bytes, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (body + size > bytes.size() || !readFormat(bytes.mid(body, size), sound))
                return std::nullopt;
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return std::nullopt;
            const qint64 held = std::min<qint64>(size, bytes.size() - body);
            const qint64 whole = held - held % sound.bytesPerFrame();
            if (whole <= 0) return std::nullopt;
            sound.data = bytes.mid(body, whole);
            return sound;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<WaveSound> ReadWaveFile(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kLargestFile) return std::nullopt;
    return DecodeWave(f.readAll());
}

QByteArray ToneWave(const QList<double>& frequencies, double secondsEach) {
    constexpr int rate = 22050;
    QByteArray pcm;
    for (double f : frequencies) {
        const int n = int(rate * secondsEach);
        for (int i = 0; i < n; ++i) {
            const double envelope = std::min(1.0, std::min(i, n - i) / (0.01 * rate));
            const double s = 0.35 * envelope * std::sin(2 * M_PI * f * i / rate);
            char b[2];
            qToLittleEndian(qint16(std::lround(s * 32767)), b);
            pcm.append(b, 2);
        }
    }
    QByteArray out;
    auto u32 = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    out.append("RIFF");
    u32(quint32(36 + pcm.size()));
    out.append("WAVEfmt ");
    u32(16);
    u16(1);       // integer PCM
    u16(1);       // mono
    u32(rate);
    u32(rate * 2); // bytes a second
    u16(2);        // bytes a frame
    u16(16);
    out.append("data");
    u32(quint32(pcm.size()));
    out.append(pcm);
    return out;
}

} // namespace baisuu
