#pragma once
// What the school-sized benchmarks share: a school of 5 000 pupils whose log
// holds 200 000 runs over the last year, services that never wait for a
// person, and a main() on the offscreen platform.

#include "context/app_context.h"
#include "core/level_catalog.h"
#include "core/navigator.h"
#include "core/services.h"
#include "records/result_record.h"
#include "roster/roster.h"

#include <QApplication>
#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <random>

namespace baisuu {

constexpr int kBenchPupils = 5000;
constexpr qint64 kBenchRuns = 200000;
constexpr double kBenchToday = 46364; // 2026-12-08
inline const QDateTime kBenchNow(QDate(2026, 12, 8), QTime(15, 30));

// A benchmark must never stop at a message: it is a fault of the set-up.
class BenchNavigator final : public Navigator {
  public:
    void show(Screen) override {}
    void message(const QString&, const QString& text) override {
        qFatal("message during a benchmark: %s", qPrintable(text));
    }
    void quit(int) override {}
};

class NoLauncher final : public Launcher {
  public:
    bool start(const QString&, const QStringList&) override { return false; }
};

// The runs of the year: pupils 1..5000 at random, levels 1..11, one run in
// fifty timed out. pupilOf(i, draw) may choose run i's pupil and level itself.
inline QByteArray BenchLog(unsigned seed,
                           const std::function<bool(qint64, ResultRecord&)>& chosen = {}) {
    std::mt19937 draw{seed};
    QByteArray bytes;
    bytes.reserve(kBenchRuns * kRecordSize);
    for (qint64 i = 0; i < kBenchRuns; ++i) {
        ResultRecord rec;
        rec.runDate = kBenchToday - 365 + double(i * 366 / kBenchRuns);
        rec.runClock = (9 * 3600 + draw() % 36000) / 86400.0;
        if (!chosen || !chosen(i, rec)) {
            rec.pupilNumber = qint16(1 + draw() % kBenchPupils);
            rec.level = qint16(1 + draw() % 11);
        }
        rec.runTime = draw() % 50 == 0 ? 99999 : qint32(10 + draw() % 120);
        rec.schoolCode = "12345";
        bytes += rec.toBytes();
    }
    return bytes;
}

// The roster file's text for the school's pupils 1..5000, of every grade from
// 幼 to 高３, names of two parts joined by a full-width blank.
inline QString BenchRosterText() {
    static const char16_t* const family[] = {u"佐藤", u"鈴木", u"高橋", u"田中", u"伊藤",
                                             u"渡辺", u"山本", u"中村", u"小林", u"加藤"};
    static const char16_t* const given[] = {u"さくら", u"はると", u"ゆい",   u"ソウタ", u"陽菜",
                                            u"蓮",     u"美緒",   u"イツキ", u"こはる", u"大翔"};
    QString roster;
    for (int n = 1; n <= kBenchPupils; ++n)
        roster += QStringLiteral("%1,%2,0,0,\"%3\",0,\"\",\"\"\r\n")
                      .arg(n)
                      .arg(2008 + n % 14)
                      .arg(QString::fromUtf16(family[n % 10]) + QChar(0x3000) +
                           QString::fromUtf16(given[(n / 10) % 10]));
    return roster;
}

// The school's pupils 1..5000 in memory, of every grade from 幼 to 中３.
inline void FillBenchRoster(StudentRoster& r) {
    for (int p = 1; p <= kBenchPupils; ++p) {
        r.rosterNumbers[size_t(p)] = qint16(p);
        r.pupilNames[size_t(p)] = FixedWidthText(QStringLiteral("生徒%1").arg(p), 20);
        r.pupilBaseYears[size_t(p)] = qint16(2008 + p % 10);
    }
    r.rosterCount = kBenchPupils;
}

inline void WriteBenchFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (bytes.isEmpty() || !f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A program's context over a school on a temporary data root (its data
// folder made, the content set up), with a clock that starts at kBenchNow and
// services that never wait for a person.
struct BenchSchoolContext {
    BenchSchoolContext() : clock(kBenchNow) {
        ctx = std::make_unique<AppContext>(
            AppContext{{}, {}, {}, clock, random, sound, launcher, navigator, {}, {}, 0, {}, {}});
        Hensuu1& h = ctx->hensuu1;
        h.paths.dataRoot = dir.path() + QStringLiteral("/");
        h.paths.dataFolder = h.paths.dataRoot + QStringLiteral("倍数判定/");
        QDir().mkpath(h.paths.dataFolder);
        SetUpContent(h);
    }

    QTemporaryDir dir;
    SystemClock clock;
    SystemRandom random;
    SilentSoundPlayer sound;
    NoLauncher launcher;
    BenchNavigator navigator;
    std::unique_ptr<AppContext> ctx;
};

inline int RunBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace baisuu
