#pragma once
// Reading a RIFF/WAVE sound file into samples a sound server can play.
// The player plays the samples itself, so it knows from the file alone how
// long a cue lasts and whether it can be played at all.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace baisuu {

struct WaveSound {
    enum class Sample { UInt8, Int16, Int24, Int32, Float32 }; // little-endian, interleaved
    Sample sample = Sample::Int16;
    int channels = 0;
    int rate = 0;     // frames a second
    QByteArray data;  // whole frames only
    int bytesPerFrame() const;
    qint64 durationUs() const;
};

// The sound of a wave file's bytes: integer PCM of 8, 16, 24 or 32 bits or
// 32-bit float, plain or in the extensible header, 1 to 8 channels. A data
// chunk cut short plays what it holds. Nothing when no frame can be played.
std::optional<WaveSound> DecodeWave(const QByteArray& bytes);
std::optional<WaveSound> ReadWaveFile(const QString& file);

// A wave file of tones one after the other, each secondsEach long: mono,
// 16 bits, 22 050 Hz, each tone faded in and out so that it does not click.
QByteArray ToneWave(const QList<double>& frequencies, double secondsEach);

} // namespace baisuu
