#pragma once
// The chain report for a spreadsheet, written as the class report's CSV is:
// UTF-8 with a byte order mark, CR LF line ends, fields quoted where they hold
// a comma, a quote or a line end. A heading line and one line per school and
// level; after a blank line, a heading line and the lines of every ranking.

#include "reports/chain_report.h"

#include <QByteArray>

namespace baisuu {

QByteArray ChainReportCsv(const ChainReport& report);

} // namespace baisuu
