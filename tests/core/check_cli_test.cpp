// baisuu-cli check over the configuration and criteria files of a demo school,
// rewritten byte by byte as older programs and teachers leave them.

#include "test_support.h"
#include "write_faults.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>

#include <sys/resource.h>

namespace baisuu {

namespace {

const QString kNoServer = QStringLiteral("注意: サウンドサーバーが応答しません");

class CheckCliTest : public ::testing::Test {
  public: // the table of cases below sets schools up through it
    QTemporaryDir dir;
    QString school = QStringLiteral("s"); // the school's folder in dir

    // A path in the school's folder.
    QString at(const QString& relative) const { return dir.filePath(school + u'/' + relative); }
    ProcessResult check(std::function<void()> inChild = [] {}) {
        return RunProgramWith(QStringLiteral(BAISUU_CLI),
                              {QStringLiteral("--program-dir"), at(QStringLiteral("倍数判定")),
                               QStringLiteral("--now"), QStringLiteral("2026-12-08T15:30:00"),
                               QStringLiteral("check")},
                              std::move(inChild));
    }
    void write(const QString& file, const QByteArray& bytes) {
        writeFile(dir, school + QStringLiteral("/data/") + file, bytes);
    }
    void appendEndOfFileMark(const QString& file) {
        QFile f(at(QStringLiteral("data/") + file));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("\x1A");
    }

    void SetUp() override {
        qputenv("PULSE_SERVER", "unix:/nonexistent/native"); // check's, as the test's, has none
        makeSchool();
    }
    void TearDown() override { qunsetenv("PULSE_SERVER"); }
    void makeSchool() {
        ASSERT_EQ(runProgram(QStringLiteral(BAISUU_CLI),
                             {QStringLiteral("--now"), QStringLiteral("2026-12-08T15:30:00"),
                              QStringLiteral("init-demo"), dir.filePath(school)})
                      .code,
                  0);
    }
};

} // namespace

TEST_F(CheckCliTest, EndOfFileMarksOfOlderProgramsAreNothingToTell) {
    for (const char16_t* file : {u"共通データ.txt", u"新名簿.txt", u"音フォルダ/新音ファイル.txt",
                                 u"倍数判定/タイム回数データ.txt"})
        appendEndOfFileMark(QString::fromUtf16(file));
    const ProcessResult r = check();
    EXPECT_EQ(r.code, 0);
    // No sound server is told as a warning only.
    EXPECT_TRUE(r.out.startsWith(kNoServer)) << r.out.toStdString();
    EXPECT_EQ(WithoutNotices(r.out), QStringLiteral("問題はありません。\n")) << r.out.toStdString();
}

TEST_F(CheckCliTest, TellsAnOddStartMonthAndFactorsWithFileAndLine) {
    write(QStringLiteral("共通データ.txt"),
          sjis(QStringLiteral("13\r\n\"塾\"\r\n0\r\n0\r\n\"\"\r\n\"p\"\r\n0\r\n0\r\n0\r\n0\r\n")));
    write(QStringLiteral("倍数判定/タイム回数データ.txt"),
          sjis(QStringLiteral(
              "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\r\n"
              "\"20\",\"30\",100,5,\"1.5\",20,0,7,1,,,\r\n"
              "20,30,100,5,-1,20,0,7,1,,,\r\n"
              "20,30,100,5,1e39,20,0,7,1,,,\r\n")));
    const ProcessResult r = check();
    EXPECT_EQ(r.code, 1);
    // Told, and the check goes on to the criteria.
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("共通データ.txt (1行目): 1項目めの年度の始まりの月「13」")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("前の年の年度として学年を計算します")));
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("タイム回数データ.txt (3行目): レベル2の「ﾎﾟｲﾝﾄ倍率」-1")));
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("タイム回数データ.txt (4行目): レベル3の「ﾎﾟｲﾝﾄ倍率」1e39")));
    // Quoted numbers are nothing to tell.
    EXPECT_FALSE(r.out.contains(QStringLiteral("レベル1"))) << r.out.toStdString();
}

// A hand-edited file the reader takes but the criteria editor would refuse.
TEST_F(CheckCliTest, TellsCriteriaTheEditorWouldRefuse) {
    for (const char* row : {"20,858993460,100,5,1,20,0,7,1,,,", "20,30,100,5,1,-1,0,7,1,,,"}) {
        write(QStringLiteral("倍数判定/タイム回数データ.txt"),
              sjis(QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,"
                                  "禁期間,,,\r\n") +
                   QString::fromUtf8(row) + QStringLiteral("\r\n")));
        const ProcessResult r = check();
        EXPECT_EQ(r.code, 1) << row;
        EXPECT_TRUE(r.out.contains(QStringLiteral("レベル1")) &&
                    r.out.contains(QStringLiteral("合格タイムデータ変更")))
            << r.out.toStdString();
    }
}

namespace {

// A school that cannot keep what it is given, and what check says of it.
struct Unkept {
    const char* name;
    // What check prints, besides other lines; empty when the variant cannot be
    // made here. inChild runs in check's process before it starts.
    std::function<QString(CheckCliTest&, MountOver&, std::function<void()>* inChild)> setUp;
};

QString dataPath(const CheckCliTest& t, const char* relative) {
    return t.at(QStringLiteral("data/") + QString::fromUtf8(relative));
}

} // namespace

TEST_F(CheckCliTest, TellsEverythingThatWouldKeepTheSchoolFromKeepingItsRuns) {
    const Unkept cases[] = {
        {"a data root that is not there (a share not connected)",
         [](CheckCliTest& t, MountOver&, std::function<void()>*) {
             const QString share = t.dir.filePath(QStringLiteral("share"));
             writeFile(t.dir, t.school + QStringLiteral("/パスデータ.txt"),
                       sjis(QStringLiteral("\"%1/\",0,0,0,0,0,0,0,0,0\r\n").arg(share)));
             return QStringLiteral(
                        "データのフォルダが見つかりません。共有フォルダがつながっているか"
                        "確かめてください: ") +
                    QDir::toNativeSeparators(share);
         }},
        {"a data folder that is not there",
         [](CheckCliTest& t, MountOver&, std::function<void()>*) {
             QDir(dataPath(t, "倍数判定")).removeRecursively();
             return QStringLiteral(
                        "データのフォルダが見つかりません。共有フォルダがつながっているか"
                        "確かめてください: ") +
                    QDir::toNativeSeparators(dataPath(t, "倍数判定"));
         }},
        {"an empty roster",
         [](CheckCliTest& t, MountOver&, std::function<void()>*) {
             t.write(QStringLiteral("新名簿.txt"), {});
             return QStringLiteral("新名簿.txt: 名簿に生徒がいません");
         }},
        {"an empty 共通データ.txt",
         [](CheckCliTest& t, MountOver&, std::function<void()>*) {
             t.write(QStringLiteral("共通データ.txt"), {});
             return QStringLiteral("共通データ.txt (1行目): 項目が足りません");
         }},
        {"a data root on a read-only file system",
         [](CheckCliTest& t, MountOver& mount, std::function<void()>*) {
             if (RunningAsRoot()
                     ? !mount.readOnly(dataPath(t, ""))
                     : !QFile::setPermissions(dataPath(t, ""), QFile::ReadOwner | QFile::ExeOwner))
                 return QString();
             return QStringLiteral("このフォルダに書き込めません。") +
                    (RunningAsRoot() ? QStringLiteral("読み取り専用です")
                                     : QStringLiteral("書き込む権限がありません"));
         }},
        {"a log the account may not write",
         [](CheckCliTest& t, MountOver&, std::function<void()>* inChild) {
             const QString log = dataPath(t, "倍数判定/成績累積データ.dat");
             if (RunningAsRoot()) {
                 // Every folder open to "nobody", the log still root's alone.
                 for (QString folder = dataPath(t, "倍数判定"); folder.startsWith(t.dir.path());
                      folder = QFileInfo(folder).absolutePath())
                     QFile::setPermissions(folder, QFile::Permissions(0x7777));
                 *inChild = BecomeNobody;
             } else {
                 QFile::setPermissions(log, QFile::ReadOwner);
             }
             return QStringLiteral("成績累積データ.dat: 成績ファイルを開けません。"
                                   "書き込む権限がありません");
         }},
    };
    int n = 0;
    for (const Unkept& c : cases) {
        SCOPED_TRACE(c.name);
        school = QStringLiteral("case%1/s").arg(++n);
        makeSchool();
        MountOver mount;
        std::function<void()> inChild = [] {};
        const QString told = c.setUp(*this, mount, &inChild);
        if (told.isEmpty()) {
            std::printf("skipped here: %s\n", c.name);
            continue;
        }
        const ProcessResult r = check(inChild);
        EXPECT_EQ(r.code, 1) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(told)) << r.out.toStdString();
    }
}

TEST_F(CheckCliTest, TellsCuesThePlayerCannotDecodeAndAnswersTheDrillCannotHaveAsked) {
    const QString sounds = QStringLiteral("s/data/音フォルダ/");
    const QString answers = QStringLiteral("s/data/倍数判定/解答記録/");
    QFile demoCue(dir.filePath(sounds + QStringLiteral("正解音2_1.wav")));
    ASSERT_TRUE(demoCue.open(QIODevice::ReadOnly));
    const QByteArray wave = demoCue.readAll();
    const auto line = [](const char* level, const char* divisor, const char* number) {
        return "2026/12/08,10:00:00," + QByteArray(level) + ',' + divisor + ',' + number +
               ",3,1,900\r\n";
    };
    writeFile(dir, sounds + QStringLiteral("間違い音2_1.wav"), "a text file renamed");
    writeFile(dir, sounds + QStringLiteral("正解音2_2.wav"), wave.left(40));
    writeFile(dir, sounds + QStringLiteral("合格.wav"), wave.left(44));
    writeFile(dir, answers + QStringLiteral("0101.txt"),
              line("5", "5", "25") + line("0", "5", "25") + line("99", "5", "25") +
                  line("5", "0", "25") + line("2", "2", "99999") + line("11", "7", "91"));
    // Damaged, 24 MB: told in a bounded number of lines, in little memory.
    writeFile(dir, answers + QStringLiteral("0102.txt"),
              line("0", "1", "1").repeated(30) + QByteArray("x\r\n").repeated(8000000));
    const ProcessResult r = check();
    EXPECT_EQ(r.code, 1) << r.err.toStdString();
    for (const char* told :
         {"間違い音2_1.wav: 「間違い音2」に登録された音のファイルを鳴らせません",
          "正解音2_2.wav: 「正解音2」に登録された音のファイルを鳴らせません",
          "合格.wav: 音のファイルを鳴らせません",
          "0101.txt (2行目): ドリルが出さない問題の解答です（レベル0、倍数5、数25）",
          "0101.txt (3行目)", "0101.txt (4行目)",
          "0101.txt (5行目): ドリルが出さない問題の解答です（レベル2、倍数2、数99999）",
          "0102.txt (20行目)", "0102.txt: ほかに8000010行"})
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(told))) << told << "\n" << r.out.toStdString();
    for (const char* untold : {"0101.txt (1行目)", "0101.txt (6行目)", "0102.txt (21行目)"})
        EXPECT_FALSE(r.out.contains(QString::fromUtf8(untold))) << untold;
    EXPECT_LT(r.out.size(), 10000);
    rusage used{};
    getrusage(RUSAGE_CHILDREN, &used);
    EXPECT_LT(used.ru_maxrss, 200 * 1024) << "kB at most in check";
}

} // namespace baisuu
