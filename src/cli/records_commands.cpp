// Commands over the results log: the tallies, the points rule, and writing
// runs and corrections as the drill and the records manager do; plus the
// results log's part of `check`.

#include "cli/cli.h"

#include "records/results.h"
#include "records/value_rules.h"
#include "roster/grades.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <memory>

namespace baisuu {

void PrintJson(CliEnv& env, const QJsonDocument& doc) {
    env.out << QString::fromUtf8(doc.toJson(QJsonDocument::Indented));
}

bool IntOption(CliEnv& env, const QString& name, qint64 low, qint64 high, qint64* value) {
    bool ok = false;
    const QString text = env.option(name);
    *value = text.toLongLong(&ok);
    if (ok && *value >= low && *value <= high) return true;
    env.err << QStringLiteral("%1 には %2 から %3 までの整数を指定してください: %4")
                   .arg(name)
                   .arg(low)
                   .arg(high)
                   .arg(text.isEmpty() ? QStringLiteral("（なし）") : text)
            << Qt::endl;
    return false;
}

bool Failed(CliEnv& env, const std::optional<FileError>& error) {
    if (error) env.err << error->text() << Qt::endl;
    return error.has_value();
}

namespace {

// The record number given as the command's first argument.
bool recordNumber(CliEnv& env, qint64* k) {
    bool ok = false;
    *k = env.positionals.value(0).toLongLong(&ok);
    if (ok && *k >= 1) return true;
    env.err << QStringLiteral("レコード番号（1 から）を指定してください。") << Qt::endl;
    return false;
}

// A single-precision factor as its shortest decimal (0.7, not 0.699999988).
double shortestValue(float f) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, f).ptr;
    return QByteArray(text, end - text).toDouble();
}

constexpr qint32 kLargestTime = 2147483647;

// The run time after --time, by the rule the records manager's 秒 box follows.
bool runTimeOption(CliEnv& env, qint32* seconds) {
    double value = 0;
    if (auto why = NumberFault(QStringLiteral("--time の値"), env.option(QStringLiteral("--time")),
                               kRunTimeRule, &value)) {
        env.err << *why << Qt::endl;
        return false;
    }
    *seconds = qint32(value);
    return true;
}

// Whether a record may name pupil, by the records manager's rule: on the
// roster, or kept by the record already. 0, or the exit code (told).
int pupilCheck(CliEnv& env, const Hensuu1& state, int pupil, int keptPupil = -1) {
    auto roster = std::make_unique<StudentRoster>();
    const int schoolYear = CurrentSchoolYear(env.clock->now().date(), state.schoolYearStartMonth);
    if (Failed(env, LoadRoster(*roster, state.paths.rosterFile(), schoolYear, 0))) return 1;
    if (auto why = PupilRefusal(*roster, pupil, keptPupil)) {
        env.err << *why << Qt::endl;
        return 2;
    }
    return 0;
}

} // namespace

int CmdStats(CliEnv& env) {
    qint64 onlyPupil = 0;
    if (env.args.contains(QStringLiteral("--pupil")) &&
        !IntOption(env, QStringLiteral("--pupil"), 1, kHighestPupil, &onlyPupil))
        return 2;
    Hensuu1 state;
    CriteriaTable criteria;
    if (!LoadCliInstallation(env, state, &criteria)) return 1;
    auto results = std::make_unique<ResultsState>();
    if (Failed(env, ComputeLevelStats(*results, criteria, state.paths.resultsLogFile(),
                                      env.clock->now())))
        return 1;

    std::vector<bool> loaded(results->stats.size());
    for (const LoadedResult& r : std::as_const(results->results))
        loaded[size_t(r.pupilNumber) * kLevelSlots + r.level] = true;
    QJsonArray best;
    for (const qint32 t : results->levelBestTime)
        best.append(t);
    QJsonArray rows;
    for (int p = 1; p < kPupilSlots; ++p) {
        if (onlyPupil != 0 && p != onlyPupil) continue;
        for (int level = 1; level < kLevelSlots; ++level) {
            if (!loaded[size_t(p) * kLevelSlots + level] && results->best(p, level) >= kNoTime)
                continue;
            const PupilLevelStats& s = results->at(p, level);
            rows.append(QJsonObject{
                {"pupil", p},
                {"level", level},
                {"attempts", s.attempts},
                {"points", s.points},
                {"timeSum", s.timeSum},
                {"averageTime", s.averageTime},
                {"judgeAttempts", s.judgeAttempts},
                {"judgePoints", s.judgePoints},
                {"overdoAttempts", s.overdoAttempts},
                {"overdoPeriodPoints", s.overdoPeriodPoints},
                {"todayAttempts", s.todayAttempts},
                {"todayTimeSum", s.todayTimeSum},
                {"todayPoints", s.todayPoints},
                {"todayAverageTime", s.todayAverageTime},
                {"bestTime", results->best(p, level)},
            });
        }
    }
    PrintJson(env, QJsonObject{{"resultCount", qint64(results->results.size())},
                               {"levelBestTime", best},
                               {"rows", rows}});
    return 0;
}

int CmdPoints(CliEnv& env) {
    qint64 level = 0;
    qint64 time = 0;
    if (!IntOption(env, QStringLiteral("--level"), 1, kLevelSlots - 1, &level) ||
        !IntOption(env, QStringLiteral("--time"), 0, kLargestTime, &time))
        return 2;
    Hensuu1 state;
    CriteriaTable criteria;
    if (!LoadCliInstallation(env, state, &criteria)) return 1;
    const LevelCriteria& c = criteria.levels[level];
    const RunPoints points = PointsOfRun(c, qint32(time));
    PrintJson(env, QJsonObject{{"base", points.base},
                               {"factor", shortestValue(CountedPointFactor(c.pointFactor))},
                               {"total", points.total}});
    return 0;
}

int CmdAppend(CliEnv& env) {
    qint64 pupil = 0;
    qint64 level = 0;
    qint32 time = 0;
    if (!IntOption(env, QStringLiteral("--pupil"), 1, kHighestPupil, &pupil) ||
        !IntOption(env, QStringLiteral("--level"), 1, kLevelSlots - 1, &level) ||
        !runTimeOption(env, &time))
        return 2;
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    if (const int refused = pupilCheck(env, state, int(pupil))) return refused;
    const RunToRecord run{qint16(pupil), qint16(level), qint32(time), state.schoolCode,
                          env.clock->now()};
    return Failed(env, AppendResult(state.paths.resultsLogFile(), run)) ? 1 : 0;
}

int CmdReplace(CliEnv& env) {
    qint64 k = 0;
    if (!recordNumber(env, &k)) return 2;
    qint32 time = -1;
    qint64 pupil = -1;
    if (env.args.contains(QStringLiteral("--time")) && !runTimeOption(env, &time)) return 2;
    if (env.args.contains(QStringLiteral("--pupil")) &&
        !IntOption(env, QStringLiteral("--pupil"), 1, kHighestPupil, &pupil))
        return 2;
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    const QString log = state.paths.resultsLogFile();
    QList<ResultRecord> records;
    if (Failed(env, ReadResultRecords(log, &records))) return 1;
    if (k > records.size()) {
        env.err << QStringLiteral("%1 番のレコードはありません（全 %2 件）。")
                       .arg(k)
                       .arg(records.size())
                << Qt::endl;
        return 1;
    }
    // Every other field keeps the value it has, as in the records manager's editor.
    ResultRecord record = records[k - 1];
    if (pupil >= 0)
        if (const int refused = pupilCheck(env, state, int(pupil), record.pupilNumber))
            return refused;
    if (time >= 0) record.runTime = time;
    if (pupil >= 0) record.pupilNumber = qint16(pupil);
    return Failed(env, ReplaceResult(log, k, record)) ? 1 : 0;
}

int CmdDelete(CliEnv& env) {
    qint64 k = 0;
    if (!recordNumber(env, &k)) return 2;
    Hensuu1 state;
    if (!LoadCliInstallation(env, state)) return 1;
    return Failed(env, DeleteResult(state.paths.resultsLogFile(), k)) ? 1 : 0;
}

void CheckResultsLog(const Hensuu1& state, QList<FileError>& problems) {
    const QString log = state.paths.resultsLogFile();
    LogSurvey found;
    if (auto error = SurveyResultsLog(log, &found)) {
        problems.append(*error);
        return;
    }
    if (found.tornBytes > 0)
        problems.append({log, 0,
                         QStringLiteral("最後のレコードが途中で切れています（%1 "
                                        "バイト）。読むときは無視し、次の記録で上書きします。")
                             .arg(found.tornBytes)});
    if (found.outOfRange > 0)
        problems.append(
            {log, 0,
             QStringLiteral(
                 "生徒番号（0～5000）かレベル（0～35）が範囲外か、日付・時刻・タイムがありえない"
                 "レコードが %1 件あります（最初は %2 番: %3）。範囲外の生徒番号とレベルは集計で"
                 "飛ばします。記録管理で直すか消してください。")
                 .arg(found.outOfRange)
                 .arg(found.firstOutOfRange)
                 .arg(found.firstFault)});
    if (found.leftoverCopy)
        problems.append({DeletionCopyPath(log), 0,
                         QStringLiteral("記録の削除の控えが待っても消えないので、ログの代わりに控え"
                                        "（削除を始める前の記録）を読みました。ほかの機械が削除の"
                                        "最中か、削除が途中で止まっています。止まった控えは、1分"
                                        "以上変わらなければ次に記録するときに片付けます（記録は失"
                                        "われません）。")});
}

} // namespace baisuu
