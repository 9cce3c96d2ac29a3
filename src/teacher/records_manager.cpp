#include "teacher/records_manager.h"

#include "core/dates.h"
#include "records/results.h"
#include "records/value_rules.h"
#include "roster/grades.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace baisuu {

namespace {

// A roster number a record may carry.
bool pupilNumberInRange(qint64 pupil) {
    return pupil >= 1 && pupil < kPupilSlots;
}

} // namespace

qint64 LeadingNumber(const QString& text) {
    static const QRegularExpression leading(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)"));
    const QRegularExpressionMatch m = leading.match(text.trimmed());
    if (!m.hasMatch()) return 0;
    const double value = m.captured(0).toDouble();
    // Clamped far beyond any run time or roster number, so the conversion stays defined.
    return std::llround(std::clamp(value, -1e12, 1e12));
}

RecordsManager::RecordsManager(RecordsManagerSettings settings)
    : settings_(std::move(settings)), roster_(std::make_unique<StudentRoster>()) {}

std::optional<FileError> RecordsManager::rebuild() {
    editor_.reset();
    editorLine_ = -1;
    // A fresh roster each time: a load keeps what it does not overwrite.
    roster_ = std::make_unique<StudentRoster>();
    const int schoolYear = CurrentSchoolYear(settings_.today, settings_.schoolYearStartMonth);
    // Without a roster the runs are still listed, only without names.
    const std::optional<FileError> rosterError =
        LoadRoster(*roster_, settings_.rosterPath, schoolYear, 0);
    choices_.clear();
    for (int p = 1; p < kPupilSlots; ++p) {
        const QString name = roster_->pupilNames[size_t(p)].trimmed();
        if (name.isEmpty()) continue;
        choices_.append({p, QString::number(p) + QStringLiteral(" /  ") + name});
    }
    records_.clear();
    list_ = {};
    if (auto error = ReadResultRecords(settings_.logPath, &records_, settings_.wait)) {
        records_.clear();
        return error;
    }
    list_ = RecordListLines(records_, *roster_, settings_.school);
    built_ = true;
    return rosterError;
}

QString RecordsManager::countText() const {
    // ReadResultRecords leaves a torn tail out, as the length divided by 44 does.
    return QStringLiteral("総レコード数:") + QString::number(records_.size());
}

int RecordsManager::recordNumberOfLine(int line) const {
    if (line < 0 || line >= list_.recordNumbers.size()) return 0;
    return list_.recordNumbers[line];
}

int RecordsManager::lineOfRecord(int k) const {
    return int(list_.recordNumbers.indexOf(k));
}

QString RecordsManager::gradeOfPupilText(const QString& pupilText) const {
    const qint64 pupil = LeadingNumber(pupilText.section(QLatin1Char('/'), 0, 0));
    if (!pupilNumberInRange(pupil)) return {};
    return roster_->pupilGradeLabels[size_t(pupil)].trimmed();
}

bool RecordsManager::open(int line) {
    const int k = recordNumberOfLine(line);
    if (k == 0) return false;
    const ResultRecord& r = records_[k - 1];
    RecordEditorValues v;
    v.recordNumber = k;
    v.numberText = QString::number(k);
    v.levelText = QString::number(r.level) + QStringLiteral("ﾚﾍﾞﾙ");
    v.dateText = DateText(DateFromOle(r.runDate));
    v.runTime = r.runTime;
    for (int i = 0; i < choices_.size(); ++i) {
        if (choices_[i].number != r.pupilNumber) continue;
        v.pupilChoice = i;
        v.pupilText = choices_[i].item;
    }
    if (v.pupilChoice < 0) v.pupilText = QString::number(r.pupilNumber) + QStringLiteral(" /  ");
    v.gradeText = gradeOfPupilText(v.pupilText);
    editor_ = v;
    editorLine_ = line;
    return true;
}

RecordsWrite RecordsManager::failure(const FileError& error) {
    RecordsWrite w;
    w.outcome = RecordsWrite::Outcome::Failed;
    w.message = error.text();
    return w;
}

RecordsWrite RecordsManager::logChanged() {
    RecordsWrite w;
    w.outcome = RecordsWrite::Outcome::LogChanged;
    w.message = QStringLiteral("成績のファイルがほかのパソコンで変えられています。一覧を読み直し"
                               "ました。記録はしていません。");
    if (auto error = rebuild()) w.message += QStringLiteral("\n\n") + error->text();
    return w;
}

RecordsWrite RecordsManager::change(const QString& timeText, const QString& pupilText) {
    RecordsWrite w;
    if (!editor_) return w;
    double seconds = 0;
    if (auto why = NumberFault(QStringLiteral("「秒」"), timeText, kRunTimeRule, &seconds)) {
        w.message = *why + QStringLiteral("\n（%1 は時間切れの印です。）記録はしていません。")
                               .arg(kRunTimeRule.high);
        return w;
    }
    const qint64 pupil = LeadingNumber(pupilText.section(QLatin1Char('/'), 0, 0));
    if (!pupilNumberInRange(pupil)) {
        w.message = QStringLiteral("生徒を名簿から選んでください。");
        return w;
    }
    // The record may keep a pupil who has left the roster, never take one who never was on it.
    const int k = editor_->recordNumber;
    if (auto why = PupilRefusal(*roster_, int(pupil), records_[k - 1].pupilNumber)) {
        w.message = *why + QStringLiteral("記録はしていません。");
        return w;
    }
    ResultRecord r = records_[k - 1];
    r.runTime = qint32(seconds);
    r.pupilNumber = qint16(pupil);
    ExpectedRecord shown{records_[k - 1]};
    if (auto error = ReplaceResult(settings_.logPath, k, r, settings_.wait, &shown))
        return failure(*error);
    if (shown.differs) return logChanged();
    w.outcome = RecordsWrite::Outcome::Written;
    if (auto error = rebuild()) w.message = error->text();
    w.selectLine = lineOfRecord(k);
    return w;
}

RecordsWrite RecordsManager::remove() {
    RecordsWrite w;
    if (!editor_) return w;
    const int line = editorLine_;
    const int k = editor_->recordNumber;
    ExpectedRecord shown{records_[k - 1]};
    if (auto error = DeleteResult(settings_.logPath, k, settings_.wait, {}, &shown))
        return failure(*error);
    if (shown.differs) return logChanged();
    w.outcome = RecordsWrite::Outcome::Written;
    if (auto error = rebuild()) w.message = error->text();
    // The line that took the deleted one's place, or the last when it was the last.
    w.selectLine = std::min(line, int(list_.lines.size()) - 1);
    return w;
}

QList<QStringList> RecordsManager::printSheets(const QDate& today, int linesPerSheet) const {
    const qsizetype per = std::max(1, linesPerSheet);
    const qsizetype sheets = std::max<qsizetype>(1, (list_.lines.size() + per - 1) / per);
    QList<QStringList> out;
    for (qsizetype n = 0; n < sheets; ++n) {
        const QString heading = QStringLiteral("%1　　%2　　%3 / %4")
                                    .arg(countText(), today.toString(QStringLiteral("yyyy/MM/dd")))
                                    .arg(n + 1)
                                    .arg(sheets);
        out << (QStringList{heading} + list_.lines.mid(n * per, per));
    }
    return out;
}

} // namespace baisuu
