#pragma once
// The head office's report of the chain: one row per school and level, and
// the chain-wide ranking of each level. Its figures are computed in the
// database (chain/chain_queries.*); this model is what the pages and the CSV
// show, and what `baisuu-cli chain-report` writes.

#include "core/file_error.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace baisuu {

struct ChainReportRequest {
    QList<int> levels; // empty: every level that has runs
    int days = 0;      // 0: every run; else the runs of the last `days` days up to today
    QDate today;
};

// One school at one level over the report's period.
struct ChainSchoolLevel {
    QString schoolCode;
    QString schoolName;
    int level = 0;
    int activePupils = 0;        // pupils with at least one run
    qint64 runs = 0;             // every run, timed-out ones included
    std::optional<double> medianBest; // median over the pupils of their best time (seconds)
    double clearedShare = 0;     // share of the active pupils who cleared the level (0..1)
    QList<qint32> mostMissed;    // the five numbers the chain's answers miss most at the level
};

// One line of a level's chain-wide ranking.
struct ChainRankLine {
    int rank = 0; // equal times share a rank
    qint32 seconds = 0;
    QString pupilName;
    QString grade;
    QString schoolName;
    QString schoolCode;
    int pupil = 0;
};

struct ChainRanking {
    int level = 0;
    QList<ChainRankLine> lines; // the 20 best
};

struct ChainReport {
    ChainReportRequest request;
    QString period;                 // "全期間", or "最近30日（2026/11/11〜2026/12/10）"
    QList<ChainSchoolLevel> rows;   // by level, then school code
    QList<ChainRanking> rankings;   // by level
};

// How many lines a ranking keeps, and how many most-missed numbers a row.
constexpr int kChainRankLines = 20;
constexpr int kChainMostMissed = 5;

} // namespace baisuu
