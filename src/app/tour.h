#pragma once
// The screenshot tour (--screenshots DIR): a scripted walk through every
// screen state on a copy of the installation, one PNG per state, then exit 0.

#include "context/app_context.h"
#include "core/services.h"

namespace baisuu {

class Stage;

// Wall and monotonic time that the tour can move forward at once, so a run
// can reach its time limit or a chosen time without waiting for it.
class ShiftableClock final : public Clock {
  public:
    explicit ShiftableClock(const QDateTime& start);
    QDateTime now() const override;
    qint64 monotonicMs() const override;
    void shift(qint64 ms) { offsetMs_ += ms; }

  private:
    SystemClock base_;
    qint64 offsetMs_ = 0;
};

// Copies the installation of programDir (configuration, roster, sounds and this
// content's data) into a temporary folder, so the tour never writes the
// school's own files. Returns the copy's program folder, or empty on failure
// with the reason in *error.
QString PrepareTourCopy(const QString& programDir, const QString& tempRoot, QString* error);

void SaveScreenshot(Stage& stage, const QString& dir, const QString& name);
void RunTour(AppContext& ctx, Stage& stage, ShiftableClock& clock, const QString& dir);

} // namespace baisuu
