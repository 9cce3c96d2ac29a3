// init-school, settings, roster-import and roster-export of baisuu-cli, driven
// from outside over schools in temporary folders.

#include "test_support.h"

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <tuple>

namespace baisuu {

namespace {

using Result = ProcessResult;
const QString kNow = QStringLiteral("2027-02-10T10:00:00"); // school year 2026: 小１ = 2019

Result cli(const QStringList& args) {
    return runProgram(QStringLiteral(BAISUU_CLI), args);
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

struct School {
    QTemporaryDir dir;
    QString root = dir.filePath(QStringLiteral("school"));
    QString program = root + QStringLiteral("/倍数判定");
    QString roster = root + QStringLiteral("/data/新名簿.txt");
    QString common = root + QStringLiteral("/data/共通データ.txt");

    Result init(const QStringList& more = {}) {
        return cli(QStringList{QStringLiteral("init-school"), root, QStringLiteral("--name"),
                               QStringLiteral("駅前教室"), QStringLiteral("--code"),
                               QStringLiteral("24680"), QStringLiteral("--password"),
                               QStringLiteral("1357")} +
                   more);
    }
    Result run(const QStringList& args) const {
        return cli(
            QStringList{QStringLiteral("--program-dir"), program, QStringLiteral("--now"), kNow} +
            args);
    }
    QString csv(const QString& rows) {
        return writeFile(dir, QStringLiteral("pupils.csv"),
                         "\xEF\xBB\xBF" +
                             (QStringLiteral("番号,名前,学年,状態\r\n") + rows).toUtf8());
    }
};

QJsonObject json(const Result& r) {
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

} // namespace

TEST(SchoolCli, ANewSchoolTakesItsPupilsAndPasswordAndPassesCheck) {
    School s;
    const Result init = s.init({QStringLiteral("--start-month"), QStringLiteral("4")});
    ASSERT_EQ(init.code, 0) << init.err.toStdString();
    EXPECT_FALSE(QFile::exists(s.root + QStringLiteral("/data/倍数判定/成績累積データ.dat")));
    EXPECT_EQ(bytesOf(s.roster), QByteArray());

    QString rows;
    for (int n = 1; n <= 30; ++n)
        rows += QStringLiteral("%1,生徒%2,小%3,0\r\n").arg(n).arg(n).arg(QChar(0xFF10 + 1 + n % 6));
    rows += QStringLiteral("100,田中先生,1990,0\r\n");
    const Result import = s.run({QStringLiteral("roster-import"), s.csv(rows)});
    ASSERT_EQ(import.code, 0) << import.err.toStdString();
    const Result settings = s.run(
        {QStringLiteral("settings"), QStringLiteral("--password"), QStringLiteral("new,pass")});
    ASSERT_EQ(settings.code, 0) << settings.err.toStdString();

    const Result check = s.run({QStringLiteral("check")});
    EXPECT_EQ(check.code, 0) << check.out.toStdString();
    EXPECT_EQ(WithoutNotices(check.out).trimmed(), QStringLiteral("問題はありません。"));
    const QJsonObject shown = json(s.run({QStringLiteral("settings")}));
    EXPECT_EQ(shown, (QJsonObject{{"startMonth", 4},
                                  {"schoolCode", "24680"},
                                  {"schoolName", "駅前教室"},
                                  {"password", "new,pass"}}));
    EXPECT_EQ(json(s.run({QStringLiteral("config")}))["siteName"].toString(),
              QStringLiteral("駅前教室"));
    const Result list =
        s.run({QStringLiteral("roster"), QStringLiteral("--group"), QStringLiteral("小２")});
    ASSERT_EQ(list.code, 0);
    EXPECT_EQ(list.out.count(QStringLiteral("小2 生徒")), 5) << list.out.toStdString();
    const Result all = s.run({QStringLiteral("roster")});
    EXPECT_EQ(all.out.count(QLatin1Char('\n')), 32); // the header, 30 pupils and the teacher
    EXPECT_TRUE(all.out.contains(QStringLiteral("田中先生")));
}

TEST(SchoolCli, InitSchoolRefusesBadValuesAndWritesNothing) {
    const QStringList good = {QStringLiteral("--name"),     QStringLiteral("塾"),
                              QStringLiteral("--code"),     QStringLiteral("12345"),
                              QStringLiteral("--password"), QStringLiteral("p")};
    auto with = [&](const QString& option, const QString& value) {
        QStringList args = good;
        const qsizetype i = args.indexOf(option);
        if (i >= 0)
            args[i + 1] = value;
        else
            args << option << value;
        return args;
    };
    const QList<QStringList> refused = {
        with(QStringLiteral("--code"), QStringLiteral("1234")),
        with(QStringLiteral("--code"), QStringLiteral("abcde")),
        with(QStringLiteral("--name"), QStringLiteral("a\"b")),
        with(QStringLiteral("--name"), QStringLiteral("a\nb")),
        with(QStringLiteral("--password"), QStringLiteral("p\"")),
        with(QStringLiteral("--start-month"), QStringLiteral("0")),
        with(QStringLiteral("--start-month"), QStringLiteral("13")),
        with(QStringLiteral("--start-month"), QStringLiteral("April")),
        good.mid(2), // no name
    };
    for (const QStringList& args : refused) {
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("school"));
        const Result r = cli(QStringList{QStringLiteral("init-school"), root} + args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_FALSE(QFile::exists(root)) << args.join(' ').toStdString();
    }
    School s;
    writeFile(s.dir, QStringLiteral("school/メモ.txt"), "x");
    EXPECT_EQ(s.init().code, 2);
    EXPECT_EQ(FilesBelow(s.root).size(), 1);
    EXPECT_EQ(s.init({QStringLiteral("--force")}).code, 0);
}

TEST(SchoolCli, BesideTheFamilyOnlyWhatIsMissingIsCreated) {
    // The family's data root: a school whose drill folder belongs to another program.
    School family;
    ASSERT_EQ(family.init().code, 0);
    const QString data = family.root + QStringLiteral("/data");
    ASSERT_TRUE(QDir().rename(data + QStringLiteral("/倍数判定"), data + QStringLiteral("/漢字")));
    writeFile(family.dir, QStringLiteral("school/data/新名簿.txt"),
              sjis(QStringLiteral("1,2019,0,0,\"一年生\",0,\"\",\"\"\r\n\x1A")));
    const QMap<QString, QByteArray> before = FilesBelow(data);

    QTemporaryDir beside;
    const QString root = beside.filePath(QStringLiteral("programs"));
    writeFile(beside, QStringLiteral("programs/漢字/漢字.exe"), "MZ");
    const Result r =
        cli({QStringLiteral("init-school"), root, QStringLiteral("--data-root"), data});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QMap<QString, QByteArray> after = FilesBelow(data);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(after.size(), before.size() + 1); // the criteria of this program
    EXPECT_TRUE(after.contains(QStringLiteral("倍数判定/タイム回数データ.txt")));
    const Result check = cli({QStringLiteral("--program-dir"), root + QStringLiteral("/倍数判定"),
                              QStringLiteral("check")});
    EXPECT_EQ(check.code, 0) << check.out.toStdString();

    // A second install leaves everything; one pointing at another root is refused.
    const QMap<QString, QByteArray> installed = FilesBelow(beside.path());
    EXPECT_EQ(cli({QStringLiteral("init-school"), root, QStringLiteral("--data-root"), data}).code,
              0);
    EXPECT_EQ(FilesBelow(beside.path()), installed);
    EXPECT_EQ(
        cli({QStringLiteral("init-school"), root, QStringLiteral("--data-root"), beside.path()})
            .code,
        2);
    EXPECT_EQ(FilesBelow(beside.path()), installed);
}

TEST(SchoolCli, SettingsRefusalsLeaveTheFileAsItWas) {
    School s;
    ASSERT_EQ(s.init().code, 0);
    const QByteArray before = bytesOf(s.common);
    const QList<QStringList> refused = {
        {QStringLiteral("--code"), QStringLiteral("123")},
        {QStringLiteral("--name"), QStringLiteral("\"")},
        {QStringLiteral("--password"), QStringLiteral("a\r\nb")},
        {QStringLiteral("--start-month"), QStringLiteral("0")},
        {QStringLiteral("--password")},
        {QStringLiteral("--name"), QStringLiteral("駅前\x1A教室")},
        {QStringLiteral("--password"), QStringLiteral("p\x7F")},
    };
    for (const QStringList& args : refused) {
        EXPECT_EQ(s.run(QStringList{QStringLiteral("settings")} + args).code, 2)
            << args.join(' ').toStdString();
        EXPECT_EQ(bytesOf(s.common), before);
    }
    // The end-of-file mark made the file unreadable to every program of the family.
    EXPECT_TRUE(
        s.run({QStringLiteral("settings"), QStringLiteral("--name"), QStringLiteral("a\x1A")})
            .err.contains(QStringLiteral("制御文字 U+001A")));
    ASSERT_EQ(s.run({QStringLiteral("settings"), QStringLiteral("--start-month"),
                     QStringLiteral("3"), QStringLiteral("--code"), QStringLiteral("11111")})
                  .code,
              0);
    EXPECT_EQ(bytesOf(s.common), QByteArray(before).replace("4\r\n\"24680", "3\r\n\"11111"));
}

TEST(SchoolCli, RosterImportRefusesABadLineAndExportRoundTripsTheDemo) {
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("demo"));
    ASSERT_EQ(cli({QStringLiteral("--now"), kNow, QStringLiteral("init-demo"), root}).code, 0);
    auto run = [&](const QStringList& args) {
        return cli(QStringList{QStringLiteral("--program-dir"), root + QStringLiteral("/倍数判定"),
                               QStringLiteral("--now"), kNow} +
                   args);
    };
    const QString roster = root + QStringLiteral("/data/新名簿.txt");
    const QByteArray before = bytesOf(roster);

    const QString bad =
        writeFile(dir, QStringLiteral("bad.csv"),
                  QStringLiteral("番号,名前,学年,状態\n1,a,小１,0\n2,b,小９,0\n").toUtf8());
    const Result refused = run({QStringLiteral("roster-import"), bad});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("3行目"))) << refused.err.toStdString();
    EXPECT_EQ(bytesOf(roster), before);

    const QString out = dir.filePath(QStringLiteral("roster.csv"));
    ASSERT_EQ(run({QStringLiteral("roster-export"), QStringLiteral("--out"), out}).code, 0);
    EXPECT_TRUE(bytesOf(out).startsWith("\xEF\xBB\xBF年度,2026\r\n番号,名前,学年,状態\r\n1,"));
    const Result import = run({QStringLiteral("roster-import"), out});
    ASSERT_EQ(import.code, 0) << import.err.toStdString();
    EXPECT_EQ(bytesOf(roster), before);
}

TEST(SchoolCli, SettingsAtTheSameMomentAreBothKept) {
    School s;
    ASSERT_EQ(s.init().code, 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (int round = 0; round < 30; ++round) {
        const QString name = QStringLiteral("教室%1").arg(round);
        const QString password = QStringLiteral("pw%1").arg(round);
        QProcess byName, byPassword;
        for (auto [process, option, value] : {std::tuple(&byName, "--name", name),
                                              std::tuple(&byPassword, "--password", password)}) {
            process->setProcessEnvironment(environment);
            process->start(QStringLiteral(BAISUU_CLI),
                           {QStringLiteral("--program-dir"), s.program, QStringLiteral("settings"),
                            QString::fromLatin1(option), value});
        }
        ASSERT_TRUE(byName.waitForFinished(30000) && byPassword.waitForFinished(30000));
        EXPECT_EQ(byName.exitCode(), 0);
        EXPECT_EQ(byPassword.exitCode(), 0);
        const QByteArray common = bytesOf(s.common);
        EXPECT_TRUE(common.contains(sjis(QStringLiteral("\"24680") + name + QLatin1Char('"'))) &&
                    common.contains(sjis(QLatin1Char('"') + password + QLatin1Char('"'))))
            << "round " << round << ": " << common.toStdString();
    }
}

TEST(SchoolCli, SettingsThatCannotBeWrittenSayWhyAndLeaveTheFile) {
    School s;
    ASSERT_EQ(s.init().code, 0);
    const QByteArray before = bytesOf(s.common);
    // Files of more than 16 bytes cannot be written, as on a disk that is full.
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(environment);
    p.setChildProcessModifier([] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    p.start(QStringLiteral(BAISUU_CLI),
            {QStringLiteral("--program-dir"), s.program, QStringLiteral("settings"),
             QStringLiteral("--password"), QStringLiteral("8402")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("元のファイルは変えていません"))) << err.toStdString();
    EXPECT_EQ(bytesOf(s.common), before);
    EXPECT_EQ(QDir(s.root + QStringLiteral("/data")).entryList(QDir::Files | QDir::Hidden).size(),
              2); // no temporary file is left behind
}

// --force overwrites an empty school an earlier init-school wrote, never one
// in use: its runs, its pupils and its code stay.
TEST(SchoolCli, InitSchoolForceRefusesASchoolInUse) {
    const QByteArray record(44, '\x01');
    const QByteArray pupil = sjis(QStringLiteral("1,2019,0,0,\"一年生\",0,\"\",\"\"\r\n"));
    struct Case {
        const char* what;
        QList<std::pair<QString, QByteArray>> files;
    };
    const Case cases[] = {
        {"a results log", {{QStringLiteral("school/data/倍数判定/成績累積データ.dat"), record}}},
        {"another program's log",
         {{QStringLiteral("school/data/漢字/成績累積データ.dat"), record}}},
        {"a roster with a pupil", {{QStringLiteral("school/data/新名簿.txt"), pupil}}},
        {"the data root パスデータ.txt names",
         {{QStringLiteral("school/パスデータ.txt"),
           QByteArray("\"../elsewhere/\",0,0,0,0,0,0,0,0,0\r\n")},
          {QStringLiteral("elsewhere/倍数判定/成績累積データ.dat"), record}}},
    };
    for (const Case& c : cases) {
        School s;
        ASSERT_EQ(s.init().code, 0);
        for (const auto& [file, bytes] : c.files)
            writeFile(s.dir, file, bytes);
        const QMap<QString, QByteArray> before = FilesBelow(s.dir.path());
        const Result r =
            s.init({QStringLiteral("--force")});
        EXPECT_EQ(r.code, 2) << c.what;
        EXPECT_TRUE(r.err.contains(QStringLiteral("上書きしません"))) << r.err.toStdString();
        EXPECT_EQ(FilesBelow(s.dir.path()), before) << c.what;
    }
    // An empty log and a roster holding only an end-of-file mark are an empty school.
    School empty;
    ASSERT_EQ(empty.init().code, 0);
    writeFile(empty.dir, QStringLiteral("school/data/倍数判定/成績累積データ.dat"), {});
    writeFile(empty.dir, QStringLiteral("school/data/新名簿.txt"), "\r\n\x1A");
    EXPECT_EQ(empty.init({QStringLiteral("--force")}).code, 0);
}

} // namespace baisuu
