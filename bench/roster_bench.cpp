// The selection screen's pupil list for a school of 5000 pupils: reading the
// roster, summing the tallies, sorting by Japanese collation and filtering.

#include "core/cp932.h"
#include "roster/roster_lines.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

using namespace baisuu;

namespace {

struct School {
    QTemporaryDir dir;
    QString rosterPath;
    std::unique_ptr<ResultsState> tallies = std::make_unique<ResultsState>();

    School() {
        static const char16_t* const family[] = {u"佐藤", u"鈴木", u"高橋", u"田中", u"伊藤",
                                                 u"渡辺", u"山本", u"中村", u"小林", u"加藤"};
        static const char16_t* const given[] = {u"さくら", u"はると", u"ゆい", u"ソウタ",
                                                u"陽菜",   u"蓮",     u"美緒", u"イツキ",
                                                u"こはる", u"大翔"};
        QString text;
        for (int n = 1; n <= 5000; ++n) {
            const QString name = QString::fromUtf16(family[n % 10]) + QChar(0x3000) +
                                 QString::fromUtf16(given[(n / 10) % 10]) + QString::number(n % 7);
            text += QStringLiteral("%1,%2,0,0,\"%3\",%4,\"\",\"\"\r\n")
                        .arg(n)
                        .arg(1995 + n % 14)
                        .arg(name)
                        .arg(n % 50 == 0 ? 1 : 0);
            for (int level = 1; level <= 11; level += 1 + n % 3) {
                PupilLevelStats& s = tallies->at(n, level);
                s.attempts = qint16(n % 40);
                s.points = n % 900;
                s.todayAttempts = float(n % 3);
                s.todayPoints = n % 60;
            }
        }
        rosterPath = dir.filePath(QStringLiteral("新名簿.txt"));
        QFile f(rosterPath);
        if (f.open(QIODevice::WriteOnly)) f.write(cp932::Encode(text).value_or(QByteArray()));
    }
};

void BM_RosterList(benchmark::State& state) {
    School school;
    StudentRoster roster;
    RosterListSettings settings;
    settings.today = QDate(2026, 2, 10);
    settings.displayMode = int(state.range(0));
    for (auto _ : state) {
        RosterList list;
        if (BuildRosterList(roster, school.rosterPath, settings, *school.tallies, list))
            state.SkipWithError("roster not read");
        benchmark::DoNotOptimize(list.visible.size());
    }
}
BENCHMARK(BM_RosterList)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Reading the file alone, for comparison.
void BM_LoadRoster(benchmark::State& state) {
    School school;
    StudentRoster roster;
    for (auto _ : state)
        if (LoadRoster(roster, school.rosterPath, 2025, 0)) state.SkipWithError("roster not read");
}
BENCHMARK(BM_LoadRoster)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
