#pragma once
// The platform services the model and screens use, as small interfaces with a
// real version here and test versions in the tests. main() makes one of each
// and hands them to the screens through the AppContext.

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>
#include <random>

namespace baisuu {

// Wall time for dates and times of day; a monotonic count for measuring runs,
// so midnight and clock changes cannot bend a run's time.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    virtual qint64 monotonicMs() const = 0;
};

// The machine's clock; with a fixed start (--now) wall time starts there and runs on.
class SystemClock final : public Clock {
  public:
    SystemClock();
    explicit SystemClock(const QDateTime& start);
    QDateTime now() const override;
    qint64 monotonicMs() const override { return timer_.elapsed(); }

  private:
    QDateTime start_; // invalid: the machine's own wall time
    QElapsedTimer timer_;
};

// Uniform draws in [0, 1).
class Random {
  public:
    virtual ~Random() = default;
    virtual double next() = 0;
};

class SystemRandom final : public Random {
  public:
    SystemRandom();
    double next() override;

  private:
    std::mt19937_64 engine_;
};

// Plays one wave file and reports when it has ended (or failed).
class SoundPlayer {
  public:
    using Done = std::function<void(bool ok, const QString& errorText)>;
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& file, Done done) = 0;
};

// Always succeeds at once (--silent).
class SilentSoundPlayer final : public SoundPlayer {
  public:
    void play(const QString&, Done done) override { done(true, {}); }
};

// Starts another program of the family; never through a shell.
class Launcher {
  public:
    virtual ~Launcher() = default;
    virtual bool start(const QString& program, const QStringList& arguments) = 0;
};

class ProcessLauncher final : public Launcher {
  public:
    bool start(const QString& program, const QStringList& arguments) override;
};

// Waits about a second while the screens go on painting and taking events: how
// the program waits for a file another machine holds.
void LetScreensRunForASecond();

} // namespace baisuu
