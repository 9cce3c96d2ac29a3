// Printing to a real print queue: a CUPS server of the test's own, in a
// temporary folder and listening on a socket there only, with one queue that
// prints to nothing. What reached the queue is asked of the server.

#include "core/dates.h"
#include "hub/chart_panel_screen.h"
#include "hub/data_change_panel_screen.h"
#include "records/results_log.h"
#include "selection/selection_fixture.h"
#include "teacher/records_manager_screen.h"
#include "test_support.h"
#include "ui/print_jobs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

#include <cups/cups.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>

namespace baisuu {

namespace {

const QString kQueue = QStringLiteral("baisuu_test");
const QString kFailed = QStringLiteral("印刷できませんでした。プリンタを確かめてください。");

QString tool(const QString& name) {
    const QString onPath = QStandardPaths::findExecutable(name);
    return !onPath.isEmpty() ? onPath
                             : QStandardPaths::findExecutable(
                                   name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
}

bool serverAnswers() {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                1000, nullptr);
    if (http) httpClose(http);
    return http != nullptr;
}

// cupsd run in the foreground as a child, on files of its own; stopped when
// the object goes. Every libcups client of this process and its children
// talks to it.
class CupsServer {
  public:
    // Empty when the server runs with the queue accepting jobs; else why not.
    QString start() {
        const QString cupsd = tool(QStringLiteral("cupsd"));
        if (cupsd.isEmpty()) return QStringLiteral("cupsd not found: install cups-daemon");
        if (!root_.isValid()) return QStringLiteral("no temporary folder");
        for (const char* sub : {"spool", "tmp", "cache", "state", "log"})
            QDir(root_.path()).mkpath(QLatin1String(sub));
        const QString r = root_.path();
        writeFile(root_, QStringLiteral("cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel warn\nBrowsing No\nWebInterface No\n"
                                 "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n"
                                 "</Policy>\n")
                      .arg(socket())
                      .toUtf8());
        writeFile(root_, QStringLiteral("cups-files.conf"),
                  QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                                 "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/log/error_log\n"
                                 "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                                 "FileDevice Yes\n")
                      .arg(r)
                      .toUtf8());
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        // A test that dies leaves no server behind.
        cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        cupsd_.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), r + "/cupsd.conf",
                             QStringLiteral("-s"), r + "/cups-files.conf"});
        if (!cupsd_.waitForStarted(5000))
            return QStringLiteral("cupsd did not start: ") + cupsd_.errorString();
        // libcups reads the variable once per thread: both are set before any use.
        qputenv("CUPS_SERVER", socket().toLocal8Bit());
        cupsSetServer(socket().toLocal8Bit().constData());
        if (!QTest::qWaitFor([] { return serverAnswers(); }, 10000))
            return QStringLiteral("cupsd does not answer: ") +
                   QString::fromLocal8Bit(cupsd_.readAll());
        return addQueue();
    }
    // A raw queue: no driver, so it works offline; the jobs go to nothing.
    // Made anew, or made to take and print jobs again when it is there.
    static QString addQueue() {
        return admin(QStringLiteral("lpadmin"),
                     {QStringLiteral("-p"), kQueue, QStringLiteral("-E"), QStringLiteral("-v"),
                      QStringLiteral("file:///dev/null")});
    }
    ~CupsServer() {
        if (cupsd_.state() == QProcess::NotRunning) return;
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(5000)) cupsd_.kill();
        cupsd_.waitForFinished();
    }
    QString socket() const { return root_.path() + QStringLiteral("/cups.sock"); }

    // Runs an administration command (lpadmin, cupsreject …); empty when it worked.
    static QString admin(const QString& name, const QStringList& args) {
        const QString program = tool(name);
        if (program.isEmpty()) return name + QStringLiteral(" not found: install cups-client");
        const ProcessResult r = runProgram(program, args, 10000);
        return r.code == 0 ? QString() : name + QStringLiteral(" failed: ") + r.err;
    }
    static QString accepting(bool accept) {
        return admin(accept ? QStringLiteral("cupsaccept") : QStringLiteral("cupsreject"),
                     {kQueue});
    }
    // Runs one administration command on the test's queue (cupsdisable kQueue …).
    static QString onQueue(const QString& command) { return admin(command, {kQueue}); }

    // The titles of every job the queue has had, done or waiting, oldest first.
    static QStringList jobTitles() {
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, kQueue.toLocal8Bit().constData(), 0,
                                   CUPS_WHICHJOBS_ALL);
        QList<std::pair<int, QString>> byId;
        for (int i = 0; i < n; ++i)
            byId.append({jobs[i].id, QString::fromUtf8(jobs[i].title)});
        cupsFreeJobs(n, jobs);
        std::sort(byId.begin(), byId.end());
        QStringList titles;
        for (const auto& [id, title] : byId)
            titles << title;
        return titles;
    }

  private:
    QTemporaryDir root_{QStringLiteral("/tmp/baisuu-cups-XXXXXX")}; // a socket path is short
    QProcess cupsd_;
};

// A socket that takes connections and never reads or answers them.
struct SilentSocket {
    explicit SilentSocket(const QString& path) : fd(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof address.sun_path - 1);
        ok = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             ::listen(fd, 4) == 0;
    }
    ~SilentSocket() {
        if (fd >= 0) ::close(fd);
    }
    int fd;
    bool ok = false;
};

std::unique_ptr<CupsServer> server;
QString serverTrouble;

class PrintCups : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server = std::make_unique<CupsServer>();
        serverTrouble = server->start();
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        // Without the server nothing here is tested: that is a failure, not a skip.
        ASSERT_TRUE(serverTrouble.isEmpty()) << serverTrouble.toStdString();
        ASSERT_EQ(CupsServer::addQueue(), QString());
        school.writeSchool();
        school.addRun(1, 1, 40, school.clock.now());
        school.addRun(2, 1, 45, school.clock.now());
        printer.setPrinterName(kQueue);
        ASSERT_EQ(printer.outputFormat(), QPrinter::NativeFormat);
    }

    static ChartDocument chart(int pupil, const QString& name) {
        ChartDocument doc;
        doc.pupil = pupil;
        doc.pupilName = name;
        doc.today = QDate(2026, 5, 12);
        doc.pages.append(ChartPage{});
        return doc;
    }
    void printCharts(const QStringList& names) {
        ChartPanel panel(*school.ctx);
        QList<PagedDocument> docs;
        for (const QString& name : names)
            docs.append(PagedChart(chart(int(docs.size()) + 1, name)));
        panel.printOn(printer, docs);
    }
    void printRecords() {
        FrmData screen(*school.ctx);
        screen.printOn(printer);
    }

    SelectionFixture school;
    QPrinter printer{QPrinter::HighResolution};
};

} // namespace

TEST_F(PrintCups, EveryPupilsChartIsAJobOfItsOwnOnTheQueue) {
    const QStringList before = CupsServer::jobTitles();
    const QStringList names = {QStringLiteral("山田　花子"), QStringLiteral("佐藤　健"),
                               QStringLiteral("鈴木　一郎")};
    printCharts(names);
    EXPECT_TRUE(school.navigator.texts.isEmpty())
        << school.navigator.texts.join('\n').toStdString();
    EXPECT_EQ(CupsServer::jobTitles(), before + names);
}

TEST_F(PrintCups, EachRoadTellsAQueueThatWouldNotPrintAndSendsNothingThere) {
    const std::pair<const char*, std::function<void()>> roads[] = {
        {"chart", [this] { printCharts({QStringLiteral("山田　花子")}); }},
        {"records", [this] { printRecords(); }},
    };
    struct QueueCase {
        const char* name;
        QString command; // what makes the queue so; empty: it takes and prints jobs
        QString told;    // empty: nothing is told and the job reaches the queue
    };
    const QueueCase queues[] = {
        {"ready", {}, {}},
        {"refusing", QStringLiteral("cupsreject"), kFailed},
        {"paused", QStringLiteral("cupsdisable"), PrinterStoppedText(kQueue)},
    };
    for (const auto& [road, print] : roads) {
        for (const QueueCase& queue : queues) {
            SCOPED_TRACE(std::string(road) + " on a queue " + queue.name);
            ASSERT_EQ(CupsServer::addQueue(), QString());
            if (!queue.command.isEmpty()) {
                ASSERT_EQ(CupsServer::onQueue(queue.command), QString());
            }
            school.navigator.texts.clear();
            school.navigator.titles.clear();
            const qsizetype jobs = CupsServer::jobTitles().size();
            print();
            if (queue.told.isEmpty()) {
                EXPECT_TRUE(school.navigator.texts.isEmpty());
                EXPECT_EQ(CupsServer::jobTitles().size(), jobs + 1);
                continue;
            }
            EXPECT_EQ(school.navigator.titles, QStringList{QStringLiteral("印刷")});
            EXPECT_EQ(school.navigator.texts, QStringList{queue.told});
            EXPECT_EQ(CupsServer::jobTitles().size(), jobs);
        }
    }
    EXPECT_TRUE(PrinterStoppedText(kQueue).startsWith(QStringLiteral("プリンタが止まっています")));
    EXPECT_TRUE(PrinterStoppedText(kQueue).contains(kQueue));
}

TEST_F(PrintCups, AServerGoneOrSilentIsToldWithoutHanging) {
    // The printer was chosen while the server answered; now nothing listens
    // there, or something takes the connection and never answers.
    const QString silent = school.dir.filePath(QStringLiteral("silent.sock"));
    const SilentSocket listening(silent);
    ASSERT_TRUE(listening.ok);
    const std::pair<const char*, QString> servers[] = {
        {"gone", school.dir.filePath(QStringLiteral("gone.sock"))},
        {"silent", silent},
    };
    for (const auto& [name, socket] : servers) {
        SCOPED_TRACE(name);
        school.navigator.texts.clear();
        cupsSetServer(socket.toLocal8Bit().constData());
        QElapsedTimer took;
        took.start();
        printRecords();
        EXPECT_LT(took.elapsed(), 8000);
        EXPECT_EQ(school.navigator.texts, QStringList{kFailed});
    }

    // Printing to a file asks no server.
    school.navigator.texts.clear();
    printer.setOutputFileName(school.dir.filePath(QStringLiteral("list.pdf")));
    printRecords();
    cupsSetServer(server->socket().toLocal8Bit().constData());
    EXPECT_TRUE(school.navigator.texts.isEmpty());
    EXPECT_GT(QFileInfo(printer.outputFileName()).size(), 0);
}

TEST_F(PrintCups, AJobRefusedAfterTheQueueWasLookedAtIsTold) {
    const qsizetype jobs = CupsServer::jobTitles().size();
    const bool reached = PrintDocument(school.navigator, printer, QStringLiteral("一枚"), [this] {
        EXPECT_EQ(CupsServer::accepting(false), QString());
        QPainter painter(&printer);
        painter.drawText(QPointF(100, 100), QStringLiteral("倍数判定"));
        return painter.end();
    });
    EXPECT_FALSE(reached);
    EXPECT_EQ(school.navigator.texts, QStringList{kFailed});
    EXPECT_EQ(CupsServer::jobTitles().size(), jobs);
}

TEST_F(PrintCups, EveryJobCarriesATitleInTheQueue) {
    const struct {
        const char* road;
        std::function<void()> print;
        QString title;
    } roads[] = {
        {"chart", [this] { printCharts({QStringLiteral("佐藤　健")}); },
         QStringLiteral("佐藤　健")},
        {"records", [this] { printRecords(); },
         QStringLiteral("記録一覧 ") + DateText(school.clock.now().date())},
        {"untitled",
         [this] {
             PrintDocument(school.navigator, printer, {}, [this] {
                 QPainter painter(&printer);
                 return painter.end();
             });
         },
         QStringLiteral("倍数判定")},
    };
    for (const auto& [road, print, title] : roads) {
        SCOPED_TRACE(road);
        print();
        EXPECT_TRUE(school.navigator.texts.isEmpty());
        ASSERT_FALSE(CupsServer::jobTitles().isEmpty());
        EXPECT_EQ(CupsServer::jobTitles().constLast(), title);
    }
}

TEST_F(PrintCups, PrintingToAFileAsksBeforeWritingOverTheFilesBesideIt) {
    // The print dialog asked about print.pdf; the other pupils' files are the program's.
    const QStringList names = {QStringLiteral("山田　花子"), QStringLiteral("佐藤　健"),
                               QStringLiteral("鈴木　一郎")};
    const struct {
        const char* name;
        QStringList older; // files there before
        std::deque<bool> answers;
        bool asked;
        bool written;
    } cases[] = {
        {"nothing there", {}, {}, false, true},
        {"older files kept",
         {QStringLiteral("print-2.pdf"), QStringLiteral("print-3.pdf")},
         {false},
         true,
         false},
        {"older file written over", {QStringLiteral("print-3.pdf")}, {true}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = school.dir.filePath(QString::fromUtf8(c.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const QString& file : c.older)
            writeFile(school.dir, QString::fromUtf8(c.name) + u'/' + file, "older");
        school.navigator.asked.clear();
        school.navigator.answers = c.answers;
        printer.setOutputFileName(folder + QStringLiteral("/print.pdf"));
        printCharts(names);
        ASSERT_EQ(school.navigator.asked.size(), c.asked ? 1 : 0);
        for (const QString& file : c.older)
            EXPECT_TRUE(school.navigator.asked[0].second.contains(file));
        for (const char* name : {"print.pdf", "print-2.pdf", "print-3.pdf"}) {
            const QString file = QString::fromUtf8(name);
            EXPECT_EQ(pdfPages(folder + u'/' + file) > 0, c.written) << name;
            if (!c.written && c.older.contains(file)) {
                EXPECT_EQ(QFileInfo(folder + u'/' + file).size(), 5) << name;
            }
        }
    }
}

TEST_F(PrintCups, CheckWarnsWhenNoQueueWouldPrintAndKeepsItsExitStatus) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("school"));
    ASSERT_EQ(runProgram(QStringLiteral(BAISUU_CLI), {QStringLiteral("init-demo"), root}).code, 0);
    using Step = std::function<QString()>;
    const auto onQueue = [](const char* command, QStringList args) -> Step {
        args << kQueue;
        return [=] { return CupsServer::admin(QString::fromUtf8(command), args); };
    };
    const Step setDefault = onQueue("lpadmin", {QStringLiteral("-d")}),
               remove = onQueue("lpadmin", {QStringLiteral("-x")}),
               pause = onQueue("cupsdisable", {}), refuse = onQueue("cupsreject", {});
    const struct {
        const char* name;
        QList<Step> steps;
        QString notice; // what the 注意 line says; empty: no line about printing
    } cases[] = {
        {"ready default", {setDefault}, {}},
        {"paused default", {setDefault, pause}, QStringLiteral("「baisuu_test」が止まっています")},
        {"refusing default",
         {setDefault, refuse},
         QStringLiteral("「baisuu_test」が印刷を受け付けていません")},
        {"no queue", {remove}, QStringLiteral("プリンタが1台も登録されていません")},
        {"the only queue paused, no default",
         {remove, CupsServer::addQueue, pause},
         QStringLiteral("「baisuu_test」が止まっています")},
        {"no server", {}, QStringLiteral("印刷サーバー（CUPS）が応答しません")},
    };
    const QByteArray serverBefore = qgetenv("CUPS_SERVER");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(CupsServer::addQueue(), QString());
        for (const Step& step : c.steps)
            ASSERT_EQ(step(), QString());
        if (c.steps.isEmpty())
            qputenv("CUPS_SERVER", dir.filePath(QStringLiteral("gone")).toLocal8Bit());
        const ProcessResult r =
            runProgram(QStringLiteral(BAISUU_CLI),
                       {QStringLiteral("--program-dir"), root + QStringLiteral("/倍数判定"),
                        QStringLiteral("check")});
        qputenv("CUPS_SERVER", serverBefore);
        EXPECT_EQ(r.code, 0) << r.out.toStdString();
        // Other notices (a sound server) may come too; those of printing are counted.
        const QStringList notices = r.out.split(u'\n').filter(
            QRegularExpression(QStringLiteral("^注意:.*(印刷|プリンタ)")));
        EXPECT_EQ(notices.size(), c.notice.isEmpty() ? 0 : 1) << r.out.toStdString();
        if (!c.notice.isEmpty() && !notices.isEmpty()) {
            EXPECT_TRUE(notices[0].contains(c.notice)) << notices[0].toStdString();
        }
    }
}

} // namespace baisuu
