// init-demo: a complete demo school, written from code (no stored assets), so
// the program can be run and looked at on a fresh machine.

#include "cli/cli.h"

#include "core/text_file.h"
#include "sound/wave_file.h"

#include <QDir>
#include <QFile>

namespace baisuu {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool writeText(CliEnv& env, const QString& path, const QStringList& lines) {
    FileError error;
    if (!WriteTextFile(path, lines.join(kCrLf) + kCrLf, &error)) {
        env.err << error.text() << Qt::endl;
        return false;
    }
    return true;
}

QString quoted(const QString& s) {
    return QLatin1Char('"') + s + QLatin1Char('"');
}

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

// Target times by level (index 0 unused): they grow with the level; the
// criteria file and the demo history both go by them.
const int kTargets[] = {0, 20, 25, 35, 40, 30, 45, 50, 50, 45, 25, 60};

// The school code opens the site item of the common data, and every demo run carries it.
const QString kSchoolCode = QStringLiteral("12345");

// Where the demo school's files go.
struct DemoFolders {
    QString base;    // the school root, holding パスデータ.txt and the program folder
    QString data;    // the data root
    QString content; // the program folder's name, also the drill's folder in the data root
    QString sounds;  // the sound folder in the data root
};

bool writeWave(CliEnv& env, const QString& path, const QList<double>& tones, double seconds) {
    QFile wav(path);
    if (!wav.open(QIODevice::WriteOnly) || wav.write(ToneWave(tones, seconds)) < 0) {
        env.err << QStringLiteral("書けません: %1").arg(wav.fileName()) << Qt::endl;
        return false;
    }
    return true;
}

bool makeFolders(CliEnv& env, const DemoFolders& f) {
    for (const QString& dir : {f.base + f.content, f.data + f.content, f.sounds})
        if (!QDir().mkpath(dir)) {
            env.err << QStringLiteral("フォルダを作れません: %1").arg(dir) << Qt::endl;
            return false;
        }
    return true;
}

// パスデータ.txt: item 1 is the data root; nine more items are read and not used.
bool writePathData(CliEnv& env, const DemoFolders& f) {
    QStringList pathData = {quoted(f.data)};
    for (int i = 0; i < 9; ++i)
        pathData.append(QStringLiteral("0"));
    return writeText(env, f.base + QStringLiteral("パスデータ.txt"),
                     {pathData.join(QLatin1Char(','))});
}

bool writeCommonData(CliEnv& env, const DemoFolders& f) {
    const QStringList common = {
        QStringLiteral("4"),                                          // school year starts in April
        quoted(kSchoolCode + QStringLiteral("ブラムウェル塾　本校")), // school code + site name
        QStringLiteral("0"), // status-2 pupils are not listed
        QStringLiteral("0"),
        quoted(QString()),
        quoted(QStringLiteral("2468")), // teacher password
        QStringLiteral("0"),
        QStringLiteral("0"),
        QStringLiteral("0"),
        QStringLiteral("0")};
    return writeText(env, f.data + QStringLiteral("共通データ.txt"), common);
}

// Grades are derived from the base year against the school year in force now.
bool writeRoster(CliEnv& env, const DemoFolders& f) {
    const QDate today = env.clock->now().date();
    const int schoolYear = today.month() < 4 ? today.year() - 1 : today.year();
    QStringList roster;
    int number = 1;
    for (const DemoPupil& p : kPupils) {
        const int baseYear = schoolYear - 6 - p.grade;
        roster.append(QStringLiteral("%1,%2,0,0,%3,%4,%5,%6")
                          .arg(number++)
                          .arg(baseYear)
                          .arg(quoted(QString::fromUtf16(p.name)))
                          .arg(p.status)
                          .arg(quoted(QString()), quoted(QString())));
    }
    return writeText(env, f.data + QStringLiteral("新名簿.txt"), roster);
}

// Every cue gets distinct tones; the answer cues two files each, so the
// random pick can be heard. The cue list names each cue's files.
bool writeCueSounds(CliEnv& env, const DemoFolders& f) {
    struct Cue {
        const char16_t* name;
        QList<QList<double>> files;
    };
    const Cue cues[] = {
        {u"正解音1", {{880, 1320}}},
        {u"正解音2", {{1047, 1568}, {1175, 1760}}},
        {u"間違い音1", {{220, 185}}},
        {u"間違い音2", {{196, 147}, {233, 175}}},
        {u"最高音1", {{523, 659, 784, 1047}}},
        {u"最高音2", {{587, 740, 880, 1175}}},
        {u"自己最高音1", {{659, 784, 988}}},
        {u"自己最高音2", {{784, 988, 1175}, {698, 880, 1047}}},
        {u"自己最高音3", {{880, 1109, 1319}}},
        {u"不合格音1", {{523, 659}}},
    };
    QStringList list;
    for (const Cue& cue : cues) {
        const QString name = QString::fromUtf16(cue.name);
        QStringList group = {name};
        for (int i = 0; i < cue.files.size(); ++i) {
            const QString file = QStringLiteral("%1_%2").arg(name).arg(i + 1);
            group.append(file);
            if (!writeWave(env, f.sounds + file + QStringLiteral(".wav"), cue.files[i], 0.09))
                return false;
        }
        group.append(QStringLiteral("*"));
        list.append(group.join(QLatin1Char(',')));
    }
    return writeText(env, f.sounds + QStringLiteral("新音ファイル.txt"), list);
}

// The two sounds with fixed file names, outside the cue list.
bool writeFixedSounds(CliEnv& env, const DemoFolders& f) {
    const std::pair<const char16_t*, QList<double>> fixed[] = {
        {u"最高1.wav", {523, 659, 784, 1047, 1319, 1568}},
        {u"合格.wav", {392, 523, 659, 784, 1047}},
    };
    for (const auto& [name, tones] : fixed)
        if (!writeWave(env, f.sounds + QString::fromUtf16(name), tones, 0.12)) return false;
    return true;
}

// Criteria: minimum times half again the targets; the mixed level 11 counts one and a half.
bool writeCriteria(CliEnv& env, const DemoFolders& f) {
    QStringList criteria = {
        QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,")};
    for (int level = 1; level <= 11; ++level) {
        const int target = kTargets[level];
        criteria.append(QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,,,")
                            .arg(target)
                            .arg(target * 3 / 2)
                            .arg(100)
                            .arg(5)
                            .arg(level == 11 ? QStringLiteral("1.5") : QStringLiteral("1"))
                            .arg(20)
                            .arg(0)
                            .arg(7)
                            .arg(1));
    }
    return writeText(env, f.data + f.content + QStringLiteral("/タイム回数データ.txt"), criteria);
}

// The results log, emptied and then filled with months of demo runs.
bool writeResultsLog(CliEnv& env, const DemoFolders& f) {
    QFile log(f.data + f.content + QStringLiteral("/成績累積データ.dat"));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        env.err << QStringLiteral("書けません: %1").arg(log.fileName()) << Qt::endl;
        return false;
    }
    log.close();
    return WriteDemoHistory(env, log.fileName(), kTargets, int(std::size(kPupils)), kSchoolCode);
}

} // namespace

int CmdInitDemo(CliEnv& env) {
    if (env.args.isEmpty() || env.args.first().startsWith(QStringLiteral("--"))) {
        env.err << "usage: baisuu-cli init-demo DIR [--force]" << Qt::endl;
        return 2;
    }
    QDir root(QDir(env.args.first()).absolutePath());
    if (root.exists() && !root.isEmpty() && !env.flag(QStringLiteral("--force"))) {
        env.err << QStringLiteral(
                       "%1 は空ではありません。上書きするときは --force を付けてください。")
                       .arg(QDir::toNativeSeparators(root.path()))
                << Qt::endl;
        return 1;
    }
    DemoFolders folders;
    folders.base = root.path() + QLatin1Char('/');
    folders.data = folders.base + QStringLiteral("data/");
    folders.content = QStringLiteral("倍数判定");
    folders.sounds = folders.data + QStringLiteral("音フォルダ/");

    // One writer per file, in this order; the first that fails stops the demo.
    using Step = bool (*)(CliEnv&, const DemoFolders&);
    const Step steps[] = {makeFolders,    writePathData,    writeCommonData, writeRoster,
                          writeCueSounds, writeFixedSounds, writeCriteria,   writeResultsLog};
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
