#pragma once
// The head office's report, computed in the database: the figures of each
// school and level, the chain's most-missed numbers and the chain-wide
// rankings come back as the report's rows only, never as every run.

#include "chain/pg_connection.h"
#include "reports/chain_report.h"

namespace baisuu {

// The whole report of request: its rows, its rankings and its period's words.
std::optional<QString> QueryChainReport(PgConnection& db, const ChainReportRequest& request,
                                        ChainReport* out);

// The chain-wide ranking of one level over every run, among the pupils of a
// selection group ("全学年": every pupil) by the grade the last sync gave them.
std::optional<QString> QueryChainRanking(PgConnection& db, int level, const QString& group,
                                         ChainRanking* out);

} // namespace baisuu
