// The drawing of the chart page: the paths it writes into a PDF, the marks of
// its legend and where its texts stand, over bands built by hand.

#include "page_recorder.h"
#include "reports/chart_page.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

ChartBand band(QList<qint32> times) {
    ChartBand b;
    b.level = 3;
    b.title = QStringLiteral(" 倍数判定");
    b.levelName = QStringLiteral("3の倍数");
    b.targetTime = 30;
    b.passTime = 60;
    for (qint32 t : times) {
        ChartRun run{46000, t, false, t < 1800, t >= 90000};
        if (!run.timedOut && (!b.best || t < *b.best)) run.best = true, b.best = t;
        b.runs.append(run);
    }
    b.schoolBest = 25;
    b.schoolSum = 70;
    b.schoolCount = 2;
    return b;
}

ChartDocument document(QList<ChartBand> bands) {
    const QList<BandPlace> places = PlaceBands(int(bands.size()));
    for (qsizetype k = 0; k < bands.size(); ++k)
        bands[k].top = places[k].top;
    ChartDocument doc;
    doc.pupilName = QStringLiteral("山田　花子");
    doc.grade = QStringLiteral("小３");
    doc.today = QDate(2027, 2, 10);
    doc.pages.append(ChartPage{bands});
    return doc;
}

// A picture of the page for a person to look at, when asked for.
void snapshot(const ChartDocument& doc, QSize size) {
    const QString folder = qEnvironmentVariable("CHART_PNG_DIR");
    if (folder.isEmpty()) return;
    QImage image(size / (size.width() > 1000 ? 3 : 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawChartPage(p, QRectF(image.rect()), doc, 0);
    image.save(QStringLiteral("%1/chart_page_%2.png").arg(folder).arg(size.width()));
}

// The page contents of a PDF as Qt writes them: one FlateDecode stream each.
QList<QByteArray> pageContents(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray pdf = f.readAll();
    QList<QByteArray> contents;
    static const QRegularExpression ref(QStringLiteral("/Contents (\\d+) 0 R"));
    for (const auto& m : ref.globalMatch(QString::fromLatin1(pdf))) {
        const QByteArray head = "\n" + m.captured(1).toLatin1() + " 0 obj";
        const qsizetype obj = pdf.indexOf(head);
        const qsizetype start = pdf.indexOf("stream\n", obj) + 7;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (obj < 0 || start < 7 || end < 0) return {};
        QByteArray zipped = pdf.mid(start, end - start);
        const quint32 hint = quint32(zipped.size()) * 20;
        zipped.prepend(char(hint & 0xff)).prepend(char(hint >> 8 & 0xff));
        zipped.prepend(char(hint >> 16 & 0xff)).prepend(char(hint >> 24));
        contents.append(qUncompress(zipped));
    }
    return contents;
}

// The path operators of a content stream that come without a current point,
// which readers refuse ("No current point in closepath").
QStringList pathsWithoutStart(const QByteArray& content) {
    QStringList faults;
    bool current = false;
    for (const QByteArray& word : content.simplified().split(' ')) {
        if (word == "m" || word == "re")
            current = true;
        else if (word == "l" || word == "c" || word == "v" || word == "y" || word == "h") {
            if (!current) faults << QString::fromLatin1(word);
        } else if (QByteArrayList{"S", "s", "f", "F", "f*", "B", "B*", "b", "b*", "n"}.contains(
                       word))
            current = false;
    }
    return faults;
}

} // namespace

TEST(ChartPage, EveryPathOfAPrintedBandStartsWithAPoint) {
    // One run; one best after a run out of time; such a run alone; none.
    const QList<QList<qint32>> cases{{40}, {99999, 40}, {99999}, {}};
    for (const QList<qint32>& times : cases) {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
        ASSERT_FALSE(WriteChartPdfs({document({band(times)})}, pdf));
        const QList<QByteArray> contents = pageContents(pdf);
        ASSERT_EQ(contents.size(), 1);
        EXPECT_GT(contents[0].size(), 1000);
        EXPECT_TRUE(pathsWithoutStart(contents[0]).isEmpty())
            << pathsWithoutStart(contents[0]).join(u' ').toStdString() << " with " << times.size()
            << " runs";
    }
}

TEST(ChartPage, TheLegendShowsTheMarkOfRunsSlowerThanTheAxis) {
    const QString label = QStringLiteral("目盛りより遅い回");
    for (const bool slow : {false, true}) {
        Recorder page(QSize(700, 614));
        {
            QPainter p(&page);
            DrawChartPage(p, QRectF(0, 0, 700, 614),
                          document({band({30, 32, 31, slow ? 900 : 33})}), 0);
        }
        bool listed = false;
        for (const Recorder::Text& t : page.texts)
            listed = listed || t.text == label;
        EXPECT_EQ(listed, slow);
        // The run above the axis and its mark in the legend.
        EXPECT_EQ(page.triangles, slow ? 2 : 0);
    }
}

TEST(ChartPage, NoTextTouchesAnother) {
    const ChartDocument doc = document({band({40, 45, 38, 900, 99999}), band({}), band({35})});
    // The picture on screen and an A4 sheet at 600 dpi.
    for (const QSize size : {QSize(702, 614), QSize(4725, 6778)}) {
        Recorder page(size);
        {
            QPainter p(&page);
            DrawChartPage(p, QRectF(QPointF(0, 0), size), doc, 0);
        }
        snapshot(doc, size);
        const double gap = size.height() / 1000.0; // a thousandth of the page
        for (qsizetype i = 0; i < page.texts.size(); ++i)
            for (qsizetype j = i + 1; j < page.texts.size(); ++j) {
                const Recorder::Text& a = page.texts[i];
                const Recorder::Text& b = page.texts[j];
                EXPECT_FALSE(a.ink.adjusted(-gap, -gap, gap, gap).intersects(b.ink))
                    << a.text.toStdString() << " / " << b.text.toStdString() << " at "
                    << size.width();
            }
    }
}

} // namespace baisuu
