// The chain report's pages (split, headings carried over, page numbers, no
// text over another or off the sheet), its CSV bytes, and the file it writes.

#include "page_recorder.h"
#include "reports/chain_report_csv.h"
#include "reports/chain_report_page.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

const QString kLongSchool = QStringLiteral("北海道札幌市中央区大通西二十丁目駅前本町第二教室");

ChainSchoolLevel row(const QString& code, const QString& name, int level,
                     std::optional<double> median, double share, QList<qint32> missed = {}) {
    return {code, name, level, 12, 345, median, share, missed};
}

ChainRankLine rankLine(int rank, qint32 seconds, const QString& name, int school) {
    const QString names[] = {QStringLiteral("本町教室"), kLongSchool, QStringLiteral("駅前教室")};
    return {rank,
            seconds,
            name,
            QStringLiteral("小６"),
            names[school],
            QStringLiteral("S0%1").arg(school + 1),
            7};
}

// Two levels at three schools, one row without a median, a long school name,
// and two full rankings with shared ranks: more than one page holds.
ChainReport busyReport() {
    ChainReport r;
    r.request.today = QDate(2026, 12, 10);
    r.period = QStringLiteral("最近30日（2026/11/11〜2026/12/10）");
    for (int level : {3, 7}) {
        r.rows << row(QStringLiteral("S01"), QStringLiteral("本町教室"), level, 23.5, 0.4,
                      {96, 84, 72, 108, 91})
               << row(QStringLiteral("S02"), kLongSchool, level, std::nullopt, 0)
               << row(QStringLiteral("S03"), QStringLiteral("駅前教室"), level, 41, 1,
                      {1001, 2002, 3003, 4004, 5005});
        ChainRanking ranking{level, {}};
        for (int i = 0; i < kChainRankLines; ++i)
            ranking.lines << rankLine(i / 2 * 2 + 1, 20 + i / 2,
                                      i == 0 ? QStringLiteral("とてもながいなまえのせいとさんです")
                                             : QStringLiteral("生徒%1").arg(i),
                                      i % 3);
        r.rankings << ranking;
    }
    return r;
}

QList<Recorder::Text> drawnTexts(const PagedDocument& doc, int page, QSize size) {
    Recorder recorder(size);
    {
        QPainter p(&recorder);
        doc.draw(p, QRectF(QPointF(0, 0), size), page);
    }
    return recorder.texts;
}

QStringList textsOf(const QList<Recorder::Text>& texts) {
    QStringList out;
    for (const Recorder::Text& t : texts)
        out << t.text;
    return out;
}

} // namespace

TEST(ChainReportPages, SplitWithHeadingsCarriedOverAndNoTextOverAnother) {
    const struct {
        ChainReport report;
        int pages;
        QList<QStringList> shown; // texts each page shows
    } cases[] = {
        {busyReport(),
         2,
         {{QStringLiteral("チェーン成績表"), QStringLiteral("倍数判定"),
           QStringLiteral("2026/12/10"), QStringLiteral("期間: 最近30日（2026/11/11〜2026/12/10）"),
           QStringLiteral("レベル 3　教室別"), QStringLiteral("レベル 7　教室別"),
           QStringLiteral("23.5秒"), QStringLiteral("41.0秒"), QStringLiteral("-"),
           QStringLiteral("40%"), QStringLiteral("100%"), QStringLiteral("96 84 72 108 91"),
           QStringLiteral("レベル 3　チェーン全体の上位20人"),
           QStringLiteral("レベル 7　チェーン全体の上位20人"), QStringLiteral("1 / 2")},
          {QStringLiteral("チェーン成績表"), QStringLiteral("2026/12/10"),
           QStringLiteral("レベル 7　チェーン全体の上位20人（続き）"), QStringLiteral("順位"),
           QStringLiteral("29秒"), QStringLiteral("2 / 2")}}},
        {ChainReport{{{}, 0, QDate(2026, 12, 10)}, QStringLiteral("全期間"), {}, {}},
         1,
         {{QStringLiteral("この期間の記録はありません。"), QStringLiteral("1 / 1")}}},
    };
    for (const auto& c : cases) {
        const PagedDocument doc = PagedChainReport(c.report, QStringLiteral("倍数判定"));
        ASSERT_EQ(doc.pageCount, c.pages);
        EXPECT_EQ(doc.today, QDate(2026, 12, 10));
        // A4 inside its margins at 600 dpi, and a small picture.
        for (const QSize size : {QSize(4488, 6543), QSize(600, 875)})
            for (int page = 0; page < doc.pageCount; ++page) {
                const QList<Recorder::Text> texts = drawnTexts(doc, page, size);
                const QStringList shown = textsOf(texts);
                for (const QString& s : c.shown[page])
                    EXPECT_TRUE(shown.contains(s)) << s.toStdString() << ", page " << page;
                const double gap = size.height() / 4000.0;
                for (qsizetype i = 0; i < texts.size(); ++i) {
                    EXPECT_TRUE(QRectF(QPointF(0, 0), size).contains(texts[i].ink))
                        << texts[i].text.toStdString();
                    for (qsizetype j = i + 1; j < texts.size(); ++j)
                        EXPECT_FALSE(
                            texts[i].ink.adjusted(-gap, -gap, gap, gap).intersects(texts[j].ink))
                            << texts[i].text.toStdString() << " / " << texts[j].text.toStdString()
                            << " at " << size.width() << ", page " << page;
                }
            }
    }
}

TEST(ChainReportCsv, IsTheClassReportsEncodingWithRowsThenRankings) {
    ChainReport r;
    r.rows << row(QStringLiteral("S01"), QStringLiteral("本町,教室"), 3, 23.5, 0.4,
                  {96, 84, 72, 108, 91})
           << row(QStringLiteral("S02"), QStringLiteral("駅前\"本\"校"), 3, std::nullopt, 1.0 / 3);
    r.rankings << ChainRanking{3,
                               {rankLine(1, 20, QStringLiteral("森,ゆう"), 0),
                                rankLine(1, 20, QStringLiteral("山田"), 2)}};
    const QByteArray expected =
        QByteArray("\xEF\xBB\xBF") +
        QStringLiteral("レベル,教室コード,教室,生徒数,回数,ベスト中央値,クリア率,よく間違える数\r\n"
                       "3,S01,\"本町,教室\",12,345,23.5,40.0,96 84 72 108 91\r\n"
                       "3,S02,\"駅前\"\"本\"\"校\",12,345,,33.3,\r\n"
                       "\r\n"
                       "レベル,順位,タイム,名前,学年,教室コード,教室\r\n"
                       "3,1,20,\"森,ゆう\",小６,S01,本町教室\r\n"
                       "3,1,20,山田,小６,S03,駅前教室\r\n")
            .toUtf8();
    EXPECT_EQ(ChainReportCsv(r), expected);
}

TEST(ChainReportFile, WritesPdfOrCsvBySuffixAndRefusesAnother) {
    const ChainReport report = busyReport();
    const struct {
        QString name;
        QByteArray starts; // empty: refused
    } cases[] = {
        {QStringLiteral("成績.csv"), ChainReportCsv(report)},
        {QStringLiteral("成績.PDF"), QByteArray("%PDF")},
        {QStringLiteral("成績.txt"), {}},
        {QStringLiteral("成績"), {}},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(c.name);
        const std::optional<FileError> error = WriteChainReport(report, path);
        QFile f(path);
        if (c.starts.isEmpty()) {
            ASSERT_TRUE(error) << c.name.toStdString();
            EXPECT_TRUE(error->message.contains(QStringLiteral(".pdf か .csv")));
            EXPECT_FALSE(f.exists());
            continue;
        }
        ASSERT_FALSE(error) << error->text().toStdString();
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().startsWith(c.starts)) << c.name.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList(c.name));
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("成績.pdf"));
    ASSERT_FALSE(WriteChainReport(report, pdf));
    EXPECT_EQ(pdfPages(pdf), 2);
}

} // namespace baisuu
