// The head office's sync of a large school against a PostgreSQL of its own
// (started as the tests start theirs): the first sync of 200 000 runs and
// 1 000 000 answers, a sync with nothing new, one after 100 new runs, and one
// after a deletion near the start of the log. Medians of five.

#include "bench_school.h"
#include "chain/pg_server.h"
#include "chain/school_sync.h"
#include "core/text_file.h"
#include "records/answers_file.h"
#include "records/results_log.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace baisuu {
namespace {

const int kRepeats = qEnvironmentVariableIntValue("BENCH_REPEATS") ? qEnvironmentVariableIntValue("BENCH_REPEATS") : 5;
constexpr int kAnswersPerPupil = 200; // 1 000 000 in all

struct School {
    QTemporaryDir dir;
    Hensuu1 state;
    CriteriaTable criteria;
    School() {
        state.paths.dataRoot = dir.path() + QStringLiteral("/");
        state.paths.dataFolder = state.paths.dataRoot + QStringLiteral("倍数判定/");
        QDir().mkpath(AnswersFolder(state.paths.dataFolder));
        state.schoolCode = QStringLiteral("12345");
        state.siteName = QStringLiteral("本町教室");
        FileError e;
        if (!WriteTextFile(state.paths.rosterFile(), BenchRosterText(), &e)) qFatal("roster");
        WriteBenchFile(state.paths.resultsLogFile(), BenchLog(7));
        for (int level = 1; level <= 11; ++level)
            criteria.levels[size_t(level)] = {30, 60, 100, 3, 1, {}, {}, {}, {}, {}, {}, {}};
        std::mt19937 draw{11};
        for (int pupil = 1; pupil <= kBenchPupils; ++pupil) {
            QByteArray lines;
            for (int i = 0; i < kAnswersPerPupil; ++i) {
                const int level = 3 + int(draw() % 8);
                lines += AnswerLine({QDate(2026, 11, 1).addDays(i / 20), 36000 + i, level, level,
                                     qint32(1 + draw() % 110), 1, draw() % 8 != 0,
                                     qint32(400 + draw() % 2000), false});
            }
            WriteBenchFile(AnswersFilePath(state.paths.dataFolder, pupil), lines);
        }
    }
    qint64 syncMs(const QString& conninfo, SyncCounts* counts = nullptr) const {
        SyncCounts c;
        QElapsedTimer t;
        t.start();
        SyncOptions o;
        if (qEnvironmentVariableIsSet("BENCH_STEPS"))
            o.afterStep = [&t](SyncStep s) { std::printf("  step %d at %lld ms\n", int(s), (long long)t.elapsed()); };
        if (auto e = SyncSchool(conninfo, state, criteria, o, &c)) qFatal("%s", qPrintable(*e));
        if (counts) *counts = c;
        return t.elapsed();
    }
};

qint64 median(QList<qint64> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, const QList<qint64>& ms, qint64 goal) {
    std::printf("%-52s median %6lld ms (goal < %lld ms)%s\n", what, (long long)median(ms),
                (long long)goal, median(ms) < goal ? "" : "  MISSED");
}

} // namespace
} // namespace baisuu

int main(int argc, char** argv) {
    using namespace baisuu;
    QCoreApplication app(argc, argv);
    PgServer server;
    if (!server.problem().isEmpty()) qFatal("%s", qPrintable(server.problem()));
    const School school;
    QList<qint64> first, nothing, hundred, deletion;
    SyncCounts counts;
    for (int r = 0; r < kRepeats; ++r) {
        const QString db = QStringLiteral("bench%1").arg(r);
        if (!server.createDatabase(db)) qFatal("%s", qPrintable(server.lastError()));
        first << school.syncMs(server.conninfo(db), &counts);
    }
    std::printf("first sync sent %lld runs, %lld answers\n", (long long)counts.runs,
                (long long)counts.answers);
    const QString db = server.conninfo(QStringLiteral("bench0"));
    for (int r = 0; r < kRepeats; ++r)
        nothing << school.syncMs(db);
    const QString log = school.state.paths.resultsLogFile();
    for (int r = 0; r < kRepeats; ++r) {
        QByteArray more = BenchLog(100 + r).left(100 * kRecordSize);
        QFile f(log);
        if (!f.open(QIODevice::Append) || f.write(more) != more.size()) qFatal("append");
        f.close();
        hundred << school.syncMs(db);
    }
    for (int r = 0; r < kRepeats; ++r) {
        if (DeleteResult(log, 5 + r)) qFatal("delete");
        deletion << school.syncMs(db, &counts);
        if (counts.runs != 0 || counts.runsRemoved != 1) qFatal("a deletion re-sent records");
    }
    report("first sync: 200 000 runs, 1 000 000 answers", first, 10000);
    report("a sync with nothing new", nothing, 200);
    report("a sync after 100 new runs", hundred, 300);
    report("a sync after a deletion near the start (1 removed)", deletion, 2000);
    return 0;
}
