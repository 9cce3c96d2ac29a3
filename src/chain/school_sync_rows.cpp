// The rows of a school's sync that come in numbers: its runs and their
// points, and its pupils' answers.
#include "chain/school_sync_parts.h"

#include "core/dates.h"
#include "records/answers_file.h"
#include "records/result_record.h"
#include "records/results.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <cstdio>

namespace baisuu {

namespace {

// A COPY line's fields appended straight to the rows: numbers, dates and
// hex need no escaping, and a million answers are not a million small arrays.
void field(QByteArray& rows, QByteArrayView text) {
    rows += text;
    rows += '\t';
}
void field(QByteArray& rows, qint64 v) {
    rows += QByteArray::number(v);
    rows += '\t';
}
void endLine(QByteArray& rows, bool last) {
    rows += last ? "t\n" : "f\n";
}

void runLine(QByteArray& rows, QByteArrayView code, QByteArrayView record) {
    const RecordNumbers n = RecordNumbersOf(record.data());
    field(rows, code);
    field(rows, "\\\\x" + record.toByteArray().toHex());
    field(rows, n.pupilNumber);
    field(rows, n.level);
    field(rows, n.runTime);
    field(rows, DateFromOle(n.runDate).toString(Qt::ISODate).toLatin1());
    endLine(rows, n.runTime >= kNoTime);
}

void answerLine(QByteArray& rows, QByteArrayView code, int pupil, const Answer& a) {
    char at[32];
    std::snprintf(at, sizeof at, "%04d-%02d-%02d %02d:%02d:%02d", a.date.year(), a.date.month(),
                  a.date.day(), a.seconds / 3600, a.seconds / 60 % 60, a.seconds % 60);
    field(rows, code);
    field(rows, pupil);
    field(rows, at);
    field(rows, a.level);
    field(rows, a.divisor);
    field(rows, a.number);
    field(rows, a.key);
    field(rows, a.correct ? "t" : "f");
    field(rows, a.ms);
    endLine(rows, a.practice);
}

} // namespace

std::optional<QString> SchoolSyncRun::storedRuns(QList<StoredRun>* out) {
    return db_.copyOut(
        QStringLiteral("COPY (SELECT id, record FROM baisuu.runs"
                       " WHERE school_code = %1) TO STDOUT")
            .arg(kSyncSchool),
        [out](QByteArrayView line) {
            const QList<QByteArray> f = CopyFields(line);
            // bytea comes as \x and its hex digits.
            out->append({f.value(0).toLongLong(), QByteArray::fromHex(f.value(1).mid(2))});
        });
}

std::optional<QString> SchoolSyncRun::sendRuns() {
    const qint64 storedBytes = stored_.logRecords * kRecordSize;
    logDigest_ = LogDigest(log_);
    RunsDiff diff;
    if (stored_.logDigest.isEmpty() && stored_.logRecords == 0) {
        diff.added = log_; // nothing sent yet
    } else if (log_.size() >= storedBytes &&
               (log_.size() == storedBytes
                    ? logDigest_
                    : LogDigest(QByteArrayView(log_).first(storedBytes))) == stored_.logDigest) {
        diff.added = log_.mid(storedBytes); // appends alone
    } else {
        QList<StoredRun> stored;
        if (auto e = storedRuns(&stored)) return e;
        diff = DiffRuns(log_, stored);
    }
    counts_.runs = diff.added.size() / kRecordSize;
    counts_.runsRemoved = diff.gone.size();
    for (const QByteArray* records : {&diff.added, &diff.removed})
        for (qsizetype at = 0; at < records->size(); at += kRecordSize) {
            const RecordNumbers n = RecordNumbersOf(records->constData() + at);
            touched_.insert(SummaryKey(n.level, n.pupilNumber));
        }
    runsChanged_ = counts_.runs > 0 || counts_.runsRemoved > 0;
    if (!writes() || !runsChanged_) return std::nullopt;
    if (!diff.gone.isEmpty()) {
        QByteArray ids;
        for (qint64 id : diff.gone)
            ids += SyncCopyLine({SyncNum(id)});
        if (auto e = db_.exec(QStringLiteral("CREATE TEMP TABLE sync_gone (id bigint)"
                                             " ON COMMIT DROP")))
            return e;
        if (auto e = db_.copyIn(QStringLiteral("COPY sync_gone FROM STDIN"), ids)) return e;
        if (auto e = db_.exec(QStringLiteral("DELETE FROM baisuu.runs r USING sync_gone g"
                                             " WHERE r.id = g.id")))
            return e;
    }
    QByteArray rows;
    for (qsizetype at = 0; at < diff.added.size(); at += kRecordSize)
        runLine(rows, codeField_, QByteArrayView(diff.added).sliced(at, kRecordSize));
    return insertRows(
        QStringLiteral("runs"),
        QStringLiteral("school_code, record, pupil, level, seconds, run_date, timed_out"), rows);
}

// The points of every level and time the log holds, by the school's criteria:
// the views add them to each run, so a change of the criteria is a few rows.
std::optional<QString> SchoolSyncRun::sendPoints() {
    if (!runsChanged_ && !criteriaChanged_) return std::nullopt;
    QSet<QPair<int, qint32>> pairs;
    for (qsizetype at = 0; at < log_.size(); at += kRecordSize) {
        const RecordNumbers n = RecordNumbersOf(log_.constData() + at);
        pairs.insert({n.level, n.runTime});
    }
    QByteArray rows;
    for (const auto& [level, time] : std::as_const(pairs)) {
        const int points = level >= 0 && level < kLevelSlots
                               ? RecordPoints(criteria_.levels[size_t(level)], time)
                               : 0;
        rows += SyncCopyLine({code_, SyncNum(level), SyncNum(time), SyncNum(points)});
    }
    counts_.runPoints = pairs.size();
    if (!writes()) return std::nullopt;
    if (auto e = db_.exec(QStringLiteral("DELETE FROM baisuu.run_points WHERE school_code = ") +
                          kSyncSchool))
        return e;
    return insertRows(QStringLiteral("run_points"),
                      QStringLiteral("school_code, level, seconds, points"), rows);
}

std::optional<QString> SchoolSyncRun::storedFiles(QMap<int, SyncSentFile>* out) {
    if (!tables_) return std::nullopt;
    QList<QStringList> rows;
    if (auto e = db_.exec(QStringLiteral("SELECT pupil, synced_bytes, encode(head_digest, 'hex'),"
                                         " file_size, file_mtime"
                                         " FROM baisuu.answer_files WHERE school_code = ") +
                              kSyncSchool,
                          {}, &rows))
        return e;
    for (const QStringList& r : rows)
        out->insert(r[0].toInt(), {r[1].toLongLong(), QByteArray::fromHex(r[2].toLatin1()),
                                   r[3].toLongLong(), r[4].toLongLong()});
    return std::nullopt;
}

// The whole lines of a pupil's file past what was sent; a file that is no
// longer the one sent (shorter, or another start) is sent again whole.
std::optional<QString> SchoolSyncRun::answersOf(int pupil, const QFileInfo& info,
                                                const SyncSentFile& sent, QByteArray* rows,
                                                SyncSentFile* now) const {
    const QString path = info.filePath();
    now->size = info.size();
    now->mtime = info.lastModified().toMSecsSinceEpoch();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: 読めません（%2）")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    const QByteArray head = file.read(kSyncHeadBytes);
    qint64 from = sent.bytes;
    if (file.size() < sent.bytes ||
        SyncDigest(QByteArrayView(head).first(std::min<qint64>(sent.bytes, head.size()))) !=
            sent.headDigest)
        from = 0;
    if (!file.seek(from)) return QStringLiteral("%1: 読めません").arg(path);
    QByteArray bytes = file.readAll();
    // A last line without its line end is still being written: it waits for the next sync.
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
    now->bytes = from + bytes.size();
    now->headDigest =
        SyncDigest(QByteArrayView(head).first(std::min<qint64>(now->bytes, head.size())));
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype end = bytes.indexOf('\n', at);
        QByteArrayView line = QByteArrayView(bytes).sliced(at, end - at);
        at = end + 1;
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        if (const auto a = ParseAnswerLine(line)) {
            answerLine(*rows, codeField_, pupil, *a);
            ++counts_.answers;
        } else {
            ++counts_.unreadableAnswerLines;
        }
    }
    now->fromStart = from == 0;
    return std::nullopt;
}

std::optional<QString> SchoolSyncRun::sendAnswers() {
    QMap<int, SyncSentFile> sent;
    if (auto e = storedFiles(&sent)) return e;
    const QString dataFolder = state_.paths.dataFolder;
    const QDir folder(AnswersFolder(dataFolder));
    QByteArray rows, files;
    QStringList again;   // pupils whose answers in the database go: file gone or sent anew
    QStringList changed; // pupils whose file's row changes
    QSet<int> present;
    for (const QFileInfo& info : folder.entryInfoList({QStringLiteral("*.txt")}, QDir::Files)) {
        const QString name = info.fileName();
        bool ok = false;
        const int pupil = name.chopped(4).toInt(&ok);
        // Only the files the drill writes: NNNN.txt.
        if (!ok || name != QFileInfo(AnswersFilePath(dataFolder, pupil)).fileName()) continue;
        present.insert(pupil);
        const SyncSentFile was = sent.value(pupil);
        if (info.size() == was.size && info.lastModified().toMSecsSinceEpoch() == was.mtime)
            continue; // as the last sync saw it
        SyncSentFile now;
        if (auto e = answersOf(pupil, info, was, &rows, &now)) return e;
        if (now.fromStart && was.bytes > 0) again << QString::number(pupil);
        changed << QString::number(pupil);
        files +=
            SyncCopyLine({code_, SyncNum(pupil), SyncNum(now.bytes), "\\x" + now.headDigest.toHex(),
                          SyncNum(now.size), SyncNum(now.mtime)});
    }
    for (auto it = sent.cbegin(); it != sent.cend(); ++it)
        if (!present.contains(it.key())) again << QString::number(it.key());
    const QString pupils = QLatin1Char('{') + again.join(QLatin1Char(',')) + QLatin1Char('}');
    if (!again.isEmpty()) {
        QList<QStringList> count;
        if (auto e = db_.exec(QStringLiteral("SELECT count(*) FROM baisuu.answers WHERE"
                                             " school_code = %1 AND pupil = ANY($1::int[])")
                                  .arg(kSyncSchool),
                              {pupils}, &count))
            return e;
        counts_.answersRemoved = count.value(0).value(0).toLongLong();
    }
    if (!writes() || (rows.isEmpty() && files.isEmpty() && again.isEmpty())) return std::nullopt;
    const QString where =
        QStringLiteral(" WHERE school_code = %1 AND pupil = ANY($1::int[])").arg(kSyncSchool);
    if (!again.isEmpty())
        if (auto e = db_.exec(QStringLiteral("DELETE FROM baisuu.answers") + where, {pupils}))
            return e;
    // Every file whose row changes, and every file gone, loses its row first.
    changed += again;
    if (auto e = db_.exec(QStringLiteral("DELETE FROM baisuu.answer_files") + where,
                          {QLatin1Char('{') + changed.join(QLatin1Char(',')) + QLatin1Char('}')}))
        return e;
    if (auto e = insertRows(QStringLiteral("answer_files"),
                            QStringLiteral("school_code, pupil, synced_bytes, head_digest,"
                                           " file_size, file_mtime"),
                            files))
        return e;
    return insertRows(
        QStringLiteral("answers"),
        QStringLiteral(
            "school_code, pupil, answered_at, level, divisor, number, key, correct, ms, practice"),
        rows);
}

} // namespace baisuu
