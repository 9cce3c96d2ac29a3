#include "reports/chain_report_page.h"

#include "core/dates.h"
#include "core/durable_file.h"
#include "reports/chain_report_csv.h"
#include "reports/table_text.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace baisuu {

namespace {

// The page is drawn in tenths of a millimetre: A4 portrait less margins of 10 mm.
constexpr double kWidth = 1900;
constexpr double kHeight = 2770;

constexpr double kTitleHeight = 110;
constexpr double kPeriodHeight = 60;
constexpr double kBodyTop = kTitleHeight + kPeriodHeight + 30;
constexpr double kFootHeight = 60;
constexpr double kBodyBottom = kHeight - kFootHeight - 20;
constexpr double kLevelHeadHeight = 70;
constexpr double kColumnHeadHeight = 50;
constexpr double kHeadHeight = kLevelHeadHeight + kColumnHeadHeight;
constexpr double kRowHeight = 56;
constexpr double kGap = 40; // between one level's table and the next
// A table does not start at a page's foot with fewer rows than this under its heading.
constexpr int kRowsWithHeading = 3;

constexpr int kBodyText = 32;
constexpr int kHeadText = 26;
constexpr int kSmallText = 24;

struct Column {
    QString heading; // empty: the column goes on under the heading before it
    double width;
    Qt::Alignment align;
    CellLines lines = CellLines::One;
    bool quiet = false;
};

// The school's name and code stand under one heading, the code quieter.
const QList<Column>& schoolColumns() {
    static const QList<Column> columns = {
        {QStringLiteral("教室"), 500, Qt::AlignLeft, CellLines::UpToTwo},
        {QString(), 170, Qt::AlignRight, CellLines::One, true},
        {QStringLiteral("生徒数"), 170, Qt::AlignRight},
        {QStringLiteral("回数"), 190, Qt::AlignRight},
        {QStringLiteral("ベスト中央値"), 250, Qt::AlignRight},
        {QStringLiteral("クリア率"), 170, Qt::AlignRight},
        {QStringLiteral("よく間違える数"), 450, Qt::AlignLeft}};
    return columns;
}

const QList<Column>& rankingColumns() {
    static const QList<Column> columns = {
        {QStringLiteral("順位"), 150, Qt::AlignHCenter},
        {QStringLiteral("タイム"), 200, Qt::AlignRight},
        {QStringLiteral("名前"), 600, Qt::AlignLeft, CellLines::UpToTwo},
        {QStringLiteral("学年"), 200, Qt::AlignHCenter},
        {QStringLiteral("教室"), 580, Qt::AlignLeft, CellLines::UpToTwo},
        {QString(), 170, Qt::AlignRight, CellLines::One, true}};
    return columns;
}

// One level's table: the rows of the report (school table) or the lines of a ranking.
struct Group {
    bool ranking = false;
    int level = 0;
    int source = 0; // the ranking's index in the report
    QList<int> rows;
};

// The part of a group's table that one page holds, top being where it starts.
struct Block {
    int group = 0;
    int first = 0;
    int count = 0;
    double top = 0;
};

struct Layout {
    QList<Group> groups;
    QList<QList<Block>> pages;
};

QList<Group> groupsOf(const ChainReport& report) {
    QList<Group> groups;
    for (int r = 0; r < report.rows.size(); ++r) {
        const int level = report.rows[r].level;
        if (groups.isEmpty() || groups.last().level != level) groups.append({false, level, 0, {}});
        groups.last().rows.append(r);
    }
    for (int k = 0; k < report.rankings.size(); ++k) {
        Group g{true, report.rankings[k].level, k, {}};
        for (int l = 0; l < report.rankings[k].lines.size(); ++l)
            g.rows.append(l);
        if (!g.rows.isEmpty()) groups.append(std::move(g));
    }
    return groups;
}

// Blocks down each page while rows fit above the foot; a table that would
// start with fewer than kRowsWithHeading rows starts on the next page.
Layout layOut(const ChainReport& report) {
    Layout layout{groupsOf(report), {{}}};
    double y = kBodyTop;
    for (int g = 0; g < layout.groups.size(); ++g) {
        const int rows = int(layout.groups[g].rows.size());
        for (int done = 0; done < rows;) {
            const int fit = int((kBodyBottom - y - kHeadHeight) / kRowHeight);
            if (fit < std::min(rows - done, kRowsWithHeading) && !layout.pages.last().isEmpty()) {
                layout.pages.append(QList<Block>());
                y = kBodyTop;
                continue;
            }
            const int count = std::clamp(fit, 1, rows - done);
            layout.pages.last().append({g, done, count, y});
            y += kHeadHeight + count * kRowHeight + kGap;
            done += count;
        }
    }
    return layout;
}

QString percentText(double share) {
    return QStringLiteral("%1%").arg(qRound(std::clamp(share, 0.0, 1.0) * 100));
}

QStringList rowTexts(const ChainReport& report, const Group& g, int row) {
    if (g.ranking) {
        const ChainRankLine& l = report.rankings[g.source].lines[row];
        return {QString::number(l.rank),
                QStringLiteral("%1秒").arg(l.seconds),
                l.pupilName,
                l.grade,
                l.schoolName,
                l.schoolCode};
    }
    const ChainSchoolLevel& s = report.rows[row];
    QStringList missed;
    for (qint32 n : s.mostMissed)
        missed.append(QString::number(n));
    return {s.schoolName,
            s.schoolCode,
            QString::number(s.activePupils),
            QString::number(s.runs),
            s.medianBest ? QStringLiteral("%1秒").arg(*s.medianBest, 0, 'f', 1)
                         : QStringLiteral("-"),
            percentText(s.clearedShare),
            missed.join(QLatin1Char(' '))};
}

QString levelHeading(const Group& g, bool continued) {
    QString s =
        g.ranking
            ? QStringLiteral("レベル %1　チェーン全体の上位%2人").arg(g.level).arg(kChainRankLines)
            : QStringLiteral("レベル %1　教室別").arg(g.level);
    if (continued) s += QStringLiteral("（続き）");
    return s;
}

void drawBlock(QPainter& p, const ChainReport& report, const Group& g, const Block& b) {
    const QList<Column>& columns = g.ranking ? rankingColumns() : schoolColumns();
    DrawCellText(p, QRectF(0, b.top, kWidth, kLevelHeadHeight), Qt::AlignLeft,
                 levelHeading(g, b.first > 0), PageFont(34, true), kHeadingBlue);
    const double headTop = b.top + kLevelHeadHeight;
    const double bodyTop = headTop + kColumnHeadHeight;
    const double bottom = bodyTop + b.count * kRowHeight;
    p.fillRect(QRectF(0, headTop, kWidth, kColumnHeadHeight), kPageHeadingFill);
    for (int r = 1; r < b.count; r += 2)
        p.fillRect(QRectF(0, bodyTop + r * kRowHeight, kWidth, kRowHeight), kTableStripe);
    p.setPen(TablePen(kTableGrid, 1.5));
    for (int r = 1; r < b.count; ++r)
        p.drawLine(QPointF(0, bodyTop + r * kRowHeight), QPointF(kWidth, bodyTop + r * kRowHeight));
    const QFont head = PageFont(kHeadText, true);
    const QFont body = PageFont(kBodyText);
    double x = 0;
    for (int c = 0; c < columns.size(); ++c) {
        if (!columns[c].heading.isEmpty()) {
            double span = columns[c].width;
            for (int k = c + 1; k < columns.size() && columns[k].heading.isEmpty(); ++k)
                span += columns[k].width;
            DrawCellText(p, QRectF(x, headTop, span, kColumnHeadHeight), Qt::AlignHCenter,
                         columns[c].heading, head);
            if (x > 0) {
                p.setPen(TablePen(kTableGrid, 1.5));
                p.drawLine(QPointF(x, headTop), QPointF(x, bottom));
            }
        }
        x += columns[c].width;
    }
    for (int r = 0; r < b.count; ++r) {
        const QStringList texts = rowTexts(report, g, g.rows[b.first + r]);
        x = 0;
        for (int c = 0; c < columns.size(); ++c) {
            const Column& col = columns[c];
            DrawCellText(p, QRectF(x, bodyTop + r * kRowHeight, col.width, kRowHeight), col.align,
                         texts[c], body, col.quiet ? kPageQuietText : kPageText, col.lines);
            x += col.width;
        }
    }
    p.setPen(TablePen(kPageFrame, 3));
    p.drawLine(QPointF(0, bodyTop), QPointF(kWidth, bodyTop));
    p.drawRect(QRectF(0, headTop, kWidth, bottom - headTop));
}

void drawTitleAndFoot(QPainter& p, const ChainReport& report, const QString& heading,
                      int pageNumber, int pageCount) {
    const QFont titleFont = PageFont(56, true);
    const QString title = QStringLiteral("チェーン成績表");
    const double titleWidth = QFontMetricsF(titleFont).horizontalAdvance(title) + 2 * kCellPad;
    const double dateWidth = 400;
    DrawCellText(p, QRectF(-kCellPad, 0, titleWidth, kTitleHeight), Qt::AlignLeft, title, titleFont,
                 kHeadingBlue);
    DrawCellText(p, QRectF(titleWidth, 0, kWidth - dateWidth - titleWidth, kTitleHeight),
                 Qt::AlignLeft, heading, PageFont(40));
    DrawCellText(p, QRectF(kWidth - dateWidth, 0, dateWidth + kCellPad, kTitleHeight),
                 Qt::AlignRight, DateText(report.request.today), PageFont(34), kPageQuietText);
    p.setPen(TablePen(kHeadingBlue, 5));
    p.drawLine(QPointF(0, kTitleHeight - 6), QPointF(kWidth, kTitleHeight - 6));
    DrawCellText(p, QRectF(-kCellPad, kTitleHeight, kWidth, kPeriodHeight), Qt::AlignLeft,
                 QStringLiteral("期間: %1").arg(report.period), PageFont(30), kPageQuietText);

    const double footTop = kHeight - kFootHeight;
    DrawCellText(p, QRectF(-kCellPad, footTop, kWidth - 300, kFootHeight), Qt::AlignLeft,
                 QStringLiteral("ベスト中央値: 生徒ごとの最高タイムの中央値　"
                                "クリア率: レベルをクリアした生徒の割合"),
                 PageFont(kSmallText), kPageQuietText);
    DrawCellText(p, QRectF(kWidth - 300, footTop, 300 + kCellPad, kFootHeight), Qt::AlignRight,
                 QStringLiteral("%1 / %2").arg(pageNumber).arg(pageCount), PageFont(30));
}

void drawPage(QPainter& p, const QRectF& area, const ChainReport& report, const QString& heading,
              const Layout& layout, int page) {
    if (area.width() <= 0 || area.height() <= 0 || page < 0 || page >= layout.pages.size()) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(area.topLeft());
    const double scale = std::min(area.width() / kWidth, area.height() / kHeight);
    p.scale(scale, scale);
    drawTitleAndFoot(p, report, heading, page + 1, int(layout.pages.size()));
    for (const Block& b : layout.pages[page])
        drawBlock(p, report, layout.groups[b.group], b);
    if (layout.groups.isEmpty())
        DrawCellText(p, QRectF(-kCellPad, kBodyTop, kWidth, kRowHeight), Qt::AlignLeft,
                     QStringLiteral("この期間の記録はありません。"), PageFont(kBodyText),
                     kPageQuietText);
    p.restore();
}

} // namespace

PagedDocument PagedChainReport(ChainReport report, const QString& heading) {
    Layout layout = layOut(report);
    PagedDocument paged;
    paged.name = QStringLiteral("チェーン成績表");
    if (!heading.isEmpty()) paged.name += QStringLiteral(" ") + heading;
    paged.today = report.request.today;
    paged.pageCount = int(layout.pages.size());
    paged.draw = [report = std::move(report), heading,
                  layout = std::move(layout)](QPainter& p, const QRectF& area, int page) {
        drawPage(p, area, report, heading, layout, page);
    };
    return paged;
}

std::optional<FileError> WriteChainReport(const ChainReport& report, const QString& path,
                                          const QString& heading) {
    const QString type = QFileInfo(path).suffix().toLower();
    if (type == QStringLiteral("csv")) return WriteFileDurably(path, ChainReportCsv(report));
    if (type == QStringLiteral("pdf")) return WritePdfs({PagedChainReport(report, heading)}, path);
    return FileError{path, 0,
                     QStringLiteral("チェーン成績表は .pdf か .csv で終わる名前のファイルに"
                                    "書き出してください。")};
}

} // namespace baisuu
