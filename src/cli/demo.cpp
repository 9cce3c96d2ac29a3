// init-demo: a complete demo school, written from code (no stored assets), so
// the program can be run and looked at on a fresh machine.

#include "cli/cli.h"
#include "cli/school_files.h"

#include <QDir>
#include <QFile>

namespace baisuu {

namespace {

struct DemoPupil {
    const char16_t* name;
    int grade; // grade index: 0 = 幼３, 1..6 = 小, 7..9 = 中
    int status = 0;
};

const DemoPupil kPupils[] = {
    {u"青木　さくら", 0},  {u"石井　はると", 0}, {u"上田　ゆい", 1},    {u"江口　そうた", 1},
    {u"大野　ひなた", 1},  {u"加藤　ゆうと", 2}, {u"木村　あおい", 2},  {u"工藤　りく", 2},
    {u"小林　めい", 3},    {u"斎藤　かいと", 3}, {u"清水　ゆな", 3},    {u"鈴木　いつき", 4},
    {u"関　こはる", 4},    {u"高橋　れん", 4},   {u"田中　みお", 4},    {u"千葉　そら", 5},
    {u"土屋　ひまり", 5},  {u"中村　ゆうま", 5}, {u"西田　あかり", 5},  {u"野口　たくみ", 6},
    {u"橋本　ことね", 6},  {u"藤田　しょう", 6}, {u"堀　まな", 6},      {u"前田　けんた", 7},
    {u"松本　りお", 7},    {u"三浦　だいち", 7}, {u"村上　ちひろ", 8},  {u"森　こうせい", 8},
    {u"山口　なな", 8},    {u"山本　ゆうき", 9}, {u"吉田　はるか", 9},  {u"渡辺　しゅん", 9},
    {u"和田　みく", 3},    {u"岡田　つばさ", 5}, {u"遠藤　りな", 2, 1}, {u"後藤　ゆず", 6, 2},
    {u"★見学　体験生", 4}, {u"佐藤先生", 9},     {u"長谷川　あや", 7},  {u"福田　こうき", 1},
};

// The school code opens the site item of the common data, and every demo run carries it.
const QString kSchoolCode = QStringLiteral("12345");

// Grades are derived from the base year against the school year in force now.
bool writeRoster(CliEnv& env, const SchoolFolders& f) {
    const QDate today = env.clock->now().date();
    const int schoolYear = today.month() < 4 ? today.year() - 1 : today.year();
    QStringList roster;
    int number = 1;
    for (const DemoPupil& p : kPupils) {
        const int baseYear = schoolYear - 6 - p.grade;
        roster.append(QStringLiteral("%1,%2,0,0,%3,%4,%5,%6")
                          .arg(number++)
                          .arg(baseYear)
                          .arg(QuotedItem(QString::fromUtf16(p.name)))
                          .arg(p.status)
                          .arg(QuotedItem(QString()), QuotedItem(QString())));
    }
    return WriteSchoolText(env, f, f.data + QStringLiteral("新名簿.txt"), roster);
}

bool writeCommonData(CliEnv& env, const SchoolFolders& f) {
    SchoolSettings settings;
    settings.startMonth = 4;
    settings.code = kSchoolCode;
    settings.name = QStringLiteral("ブラムウェル塾　本校");
    settings.password = QStringLiteral("2468");
    return WriteCommonData(env, f, settings);
}

// The results log, written whole with months of demo runs.
bool writeResultsLog(CliEnv& env, const SchoolFolders& f) {
    const QString log = f.data + f.content + QStringLiteral("/成績累積データ.dat");
    return WriteDemoHistory(env, log, DemoTargets(), int(std::size(kPupils)),
                            kSchoolCode);
}

} // namespace

int CmdInitDemo(CliEnv& env) {
    QDir root(QDir(env.positionals.first()).absolutePath());
    if (root.exists() && !root.isEmpty() && !env.flag(QStringLiteral("--force"))) {
        env.err << QStringLiteral(
                       "%1 は空ではありません。上書きするときは --force を付けてください。")
                       .arg(QDir::toNativeSeparators(root.path()))
                << Qt::endl;
        return 1;
    }
    const SchoolFolders folders =
        SchoolFoldersAt(root.path(), root.path() + QStringLiteral("/data/"));

    // One writer per file, in this order; the first that fails stops the demo.
    using Step = bool (*)(CliEnv&, const SchoolFolders&);
    const Step steps[] = {MakeSchoolFolders, WritePathData, writeCommonData, writeRoster,
                          WriteSounds,       WriteCriteria, writeResultsLog};
    for (const Step step : steps)
        if (!step(env, folders)) return 1;

    env.out
        << QStringLiteral("デモの塾を作りました: %1").arg(QDir::toNativeSeparators(folders.base))
        << Qt::endl;
    env.out << QStringLiteral("プログラムフォルダ: %1")
                   .arg(QDir::toNativeSeparators(folders.base + folders.content))
            << Qt::endl;
    return 0;
}

} // namespace baisuu
