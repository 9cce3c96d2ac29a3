#include "core/configuration.h"
#include "test_support.h"

#include <QDir>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

// An installation: root/パスデータ.txt, root/data/共通データ.txt, program folder root/倍数判定.
struct Installation {
    QTemporaryDir dir;
    QString programDir;

    explicit Installation(const QString& siteLine = QStringLiteral("\"12345ひまわり塾\""),
                          const QString& dataRootItem = QString()) {
        programDir = dir.filePath(QStringLiteral("倍数判定"));
        QDir().mkpath(programDir);
        const QString root =
            dataRootItem.isNull() ? dir.filePath(QStringLiteral("data/")) : dataRootItem;
        writeFile(dir, QStringLiteral("パスデータ.txt"),
                  sjis(QStringLiteral("\"%1\",0,0,0,0,0,0,0,0,0\r\n").arg(root)));
        writeCommon(
            QStringLiteral("4\r\n%1\r\n1\r\n0\r\n\"\"\r\n\"秘密,です\"\r\n0\r\n0\r\n0\r\n0\r\n")
                .arg(siteLine));
    }
    void writeCommon(const QString& text) {
        writeFile(dir, QStringLiteral("data/共通データ.txt"), sjis(text));
    }
};

} // namespace

TEST(Configuration, ResolvesEveryFolderFromTheProgramFolder) {
    Installation inst;
    Hensuu1 s;
    ASSERT_FALSE(LoadConfiguration(s, inst.programDir));
    const QString root = QDir(inst.dir.path()).absolutePath() + QLatin1Char('/');
    EXPECT_EQ(s.paths.appDir, root + QStringLiteral("倍数判定/"));
    EXPECT_EQ(s.paths.dataRoot, root + QStringLiteral("data/"));
    EXPECT_EQ(s.paths.contentFolder, QStringLiteral("倍数判定"));
    EXPECT_EQ(s.paths.dataFolder, root + QStringLiteral("data/倍数判定/"));
    EXPECT_EQ(s.paths.soundFolder, root + QStringLiteral("data/音フォルダ/"));
    EXPECT_EQ(s.schoolYearStartMonth, 4);
    EXPECT_EQ(s.includeStatusTwo, 1);
    EXPECT_EQ(s.teacherPassword, QStringLiteral("秘密,です"));
    EXPECT_EQ(s.contentName, QStringLiteral("倍数判定"));
    EXPECT_EQ(s.allLevelsOpen, 1);
}

TEST(Configuration, SplitsTheSiteLineOnlyWhenItBeginsWithANonZeroNumber) {
    struct Case {
        QString line, code, name;
    } cases[] = {
        {QStringLiteral("\"12345ひまわり塾\""), QStringLiteral("12345"),
         QStringLiteral("ひまわり塾")},
        {QStringLiteral("\"ひまわり塾\""), QString(), QStringLiteral("ひまわり塾")},
        {QStringLiteral("\"00000ひまわり塾\""), QString(), QStringLiteral("00000ひまわり塾")},
        {QStringLiteral("\"Aひまわり\""), QString(), QStringLiteral("Aひまわり")},
        {QStringLiteral("\"12ab3本校\""), QStringLiteral("12ab3"), QStringLiteral("本校")},
    };
    for (const Case& c : cases) {
        Installation inst(c.line);
        Hensuu1 s;
        ASSERT_FALSE(LoadConfiguration(s, inst.programDir));
        EXPECT_EQ(s.schoolCode, c.code) << c.line.toStdString();
        EXPECT_EQ(s.siteName, c.name) << c.line.toStdString();
    }
}

TEST(Configuration, AddsTheMissingSeparatorAndAcceptsBackslashes) {
    QTemporaryDir probe;
    Installation inst(QStringLiteral("\"塾\""), QStringLiteral("%1/data").arg(probe.path()));
    // The data root written without its separator points at another folder: give it one.
    writeFile(probe, QStringLiteral("data/共通データ.txt"),
              sjis(QStringLiteral("4,\"塾\",0,0,,\"p\",,,,\r\n")));
    Hensuu1 s;
    ASSERT_FALSE(LoadConfiguration(s, inst.programDir));
    EXPECT_EQ(s.paths.dataRoot, probe.path() + QStringLiteral("/data/"));

    EXPECT_EQ(NormalizedFolder(QStringLiteral("C:\\juku\\data")), QStringLiteral("C:/juku/data/"));
}

TEST(Configuration, MissingOrShortFilesAreNamedAndNothingIsCreated) {
    {
        Installation inst;
        inst.writeCommon(QStringLiteral("4,\"12345塾\",0\r\n"));
        Hensuu1 s;
        const auto error = LoadConfiguration(s, inst.programDir);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->file.endsWith(QStringLiteral("共通データ.txt")));
        EXPECT_TRUE(error->message.contains(QStringLiteral("4項目め")));
        EXPECT_TRUE(s.paths.dataRoot.isEmpty()); // the state is not half filled
    }
    {
        Installation inst;
        QFile::remove(inst.dir.filePath(QStringLiteral("パスデータ.txt")));
        Hensuu1 s;
        const auto error = LoadConfiguration(s, inst.programDir);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->file.endsWith(QStringLiteral("パスデータ.txt")));
        EXPECT_FALSE(QFile::exists(inst.dir.filePath(QStringLiteral("パスデータ.txt"))));
    }
}

TEST(Configuration, AnyStartMonthIsTakenAndAnOddOneIsTold) {
    struct Case {
        QString item;
        int month;
    } cases[] = {{QStringLiteral("0"), 0},
                 {QStringLiteral("13"), 13},
                 {QStringLiteral("-1"), -1},
                 {QStringLiteral("99"), 99},
                 {QStringLiteral("十三"), 0},
                 {QStringLiteral("\"13月\""), 13},
                 {QStringLiteral("99999999999"), 1000000000}}; // held, not wrapped
    for (const Case& c : cases) {
        Installation inst;
        inst.writeCommon(QStringLiteral("%1\r\n\"塾\",0,0,,\"p\",,,,\r\n").arg(c.item));
        Hensuu1 s;
        QList<FileError> warnings;
        ASSERT_FALSE(LoadConfiguration(s, inst.programDir, &warnings)) << c.item.toStdString();
        EXPECT_EQ(s.schoolYearStartMonth, c.month) << c.item.toStdString();
        if (c.month >= 1 && c.month <= 12) {
            EXPECT_TRUE(warnings.isEmpty());
            continue;
        }
        ASSERT_EQ(warnings.size(), 1) << c.item.toStdString();
        EXPECT_TRUE(warnings[0].file.endsWith(QStringLiteral("共通データ.txt")));
        EXPECT_EQ(warnings[0].line, 1);
        EXPECT_TRUE(warnings[0].message.contains(QStringLiteral("年度の始まりの月")));
    }
    Installation plain;
    Hensuu1 s;
    QList<FileError> warnings;
    ASSERT_FALSE(LoadConfiguration(s, plain.programDir, &warnings));
    EXPECT_TRUE(warnings.isEmpty());
}

TEST(Configuration, DevelopmentLayoutKeepsDataBesideTheProgram) {
    EXPECT_EQ(DevelopmentLayoutFor(QStringLiteral("/home/a/倍数判定開発用/倍数判定")), 1);
    EXPECT_EQ(DevelopmentLayoutFor(QStringLiteral("/home/a/倍数判定開発用/Tallmer/倍数判定")), 0);
    EXPECT_EQ(DevelopmentLayoutFor(QStringLiteral("/home/a/倍数判定")), 0);

    Installation inst;
    Hensuu1 s;
    s.developmentLayout = 1;
    // The common file is looked for in the developer's data folder, which this machine lacks.
    const auto error = LoadConfiguration(s, inst.programDir);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->file.startsWith(QStringLiteral("/倍数判定開発用データ/")));
}

TEST(SharedState, SeasonColoursGradeMarksAndTheCatalogue) {
    EXPECT_EQ(SeasonColorFor(2), 0x0080FF);
    EXPECT_EQ(SeasonColorFor(12), 0xC0FFC0);
    EXPECT_EQ(SeasonColorFor(1), 0x0080FF);
    EXPECT_EQ(SeasonColorFor(7), 0xC0C000);
    EXPECT_EQ(SeasonColorFor(10), 0x0040C0);
    EXPECT_FALSE(SeasonColorFor(13));

    EXPECT_EQ(GradeMark(1), QStringLiteral("①"));
    EXPECT_EQ(GradeMark(7), QStringLiteral("Ⅰ"));
    EXPECT_EQ(GradeMark(9), QStringLiteral("Ⅲ"));
    EXPECT_EQ(GradeMark(0), QStringLiteral("　"));
    EXPECT_EQ(GradeMark(10), QStringLiteral("　"));

    LevelCatalog c;
    BuildLevelCatalog(c);
    EXPECT_EQ(c.levelCount, 11);
    EXPECT_EQ(c.goalLevel, 11);
    EXPECT_EQ(c.levelNames[1], QStringLiteral("偶数奇数"));
    EXPECT_EQ(c.levelNames[11], QStringLiteral("レベル４－1")); // half-width 1
    EXPECT_EQ(c.levelNames[20], QStringLiteral("レベル７－1"));
    EXPECT_EQ(c.levelNames[12], QStringLiteral("レベル４－２"));
    EXPECT_TRUE(c.levelNames[25].isEmpty());
    EXPECT_TRUE(IsPracticeLevel(c, 13));
    EXPECT_FALSE(IsPracticeLevel(c, 11));
    for (int level = 1; level <= 24; ++level)
        EXPECT_EQ(c.levelTimed[level], 1);
}

} // namespace baisuu
