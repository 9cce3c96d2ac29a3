#pragma once
// The chain report on paper and on disk: A4 portrait pages with the heading,
// the period, the day and the page number on every page; first the table of
// every school at every level, grouped by level, then each level's chain-wide
// ranking. A level's table that goes on over a page break takes its heading
// and column headings along.

#include "core/file_error.h"
#include "reports/chain_report.h"
#include "reports/paged_document.h"

#include <optional>

namespace baisuu {

// The report's pages; heading (the content's name, may be empty) follows the
// title 「チェーン成績表」 on each page.
PagedDocument PagedChainReport(ChainReport report, const QString& heading);

// Writes the report as PDF or CSV by path's suffix (.pdf or .csv), through a
// temporary file beside path; another suffix is refused and nothing written.
std::optional<FileError> WriteChainReport(const ChainReport& report, const QString& path,
                                          const QString& heading = {});

} // namespace baisuu
