#include "cli/school_files.h"

#include "core/configuration.h"
#include "core/durable_file.h"
#include "core/text_file.h"
#include "sound/wave_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace baisuu {

namespace {

const int kTargets[] = {0, 20, 25, 35, 40, 30, 45, 50, 50, 45, 25, 60};

bool writeSchoolFile(CliEnv& env, const SchoolFolders& f, const QString& path,
                     const QString& text) {
    if (f.keepExisting && QFile::exists(path)) return true;
    FileError error;
    if (!WriteTextFile(path, text, &error)) {
        env.err << error.text() << Qt::endl;
        return false;
    }
    return true;
}

bool writeWave(CliEnv& env, const SchoolFolders& f, const QString& path, const QList<double>& tones,
               double seconds) {
    if (f.keepExisting && QFile::exists(path)) return true;
    return !Failed(env, WriteFileDurably(path, ToneWave(tones, seconds)));
}

// Every cue gets distinct tones; the answer cues two files each, so the
// random pick can be heard. The cue list names each cue's files.
bool writeCueSounds(CliEnv& env, const SchoolFolders& f) {
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
            if (!writeWave(env, f, f.sounds + file + QStringLiteral(".wav"), cue.files[i], 0.09))
                return false;
        }
        group.append(QStringLiteral("*"));
        list.append(group.join(QLatin1Char(',')));
    }
    return WriteSchoolText(env, f, f.sounds + QStringLiteral("新音ファイル.txt"), list);
}

// The two sounds with fixed file names, outside the cue list.
bool writeFixedSounds(CliEnv& env, const SchoolFolders& f) {
    const std::pair<const char16_t*, QList<double>> fixed[] = {
        {u"最高1.wav", {523, 659, 784, 1047, 1319, 1568}},
        {u"合格.wav", {392, 523, 659, 784, 1047}},
    };
    for (const auto& [name, tones] : fixed)
        if (!writeWave(env, f, f.sounds + QString::fromUtf16(name), tones, 0.12)) return false;
    return true;
}

} // namespace

SchoolFolders SchoolFoldersAt(const QString& base, const QString& dataRoot) {
    SchoolFolders f;
    f.base = NormalizedFolder(base);
    f.data = NormalizedFolder(dataRoot);
    f.content = QStringLiteral("倍数判定");
    f.sounds = f.data + QStringLiteral("音フォルダ/");
    return f;
}

std::span<const int> DemoTargets() {
    return kTargets;
}

bool WriteSchoolText(CliEnv& env, const SchoolFolders& f, const QString& path,
                     const QStringList& lines) {
    const QString crLf = QStringLiteral("\r\n");
    return writeSchoolFile(env, f, path, lines.isEmpty() ? QString() : lines.join(crLf) + crLf);
}

QString QuotedItem(const QString& s) {
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString FileOfSchoolInUse(const QString& dataRoot) {
    const QDir root(dataRoot);
    for (const QString& program : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QFileInfo log(root.filePath(program + QStringLiteral("/成績累積データ.dat")));
        if (log.size() > 0) return log.filePath();
    }
    QFile roster(root.filePath(QStringLiteral("新名簿.txt")));
    if (roster.open(QIODevice::ReadOnly)) {
        QByteArray bytes = roster.readAll();
        if (const qsizetype mark = bytes.indexOf('\x1A'); mark >= 0) bytes.truncate(mark);
        if (!bytes.trimmed().isEmpty()) return roster.fileName();
    }
    return {};
}

bool MakeSchoolFolders(CliEnv& env, const SchoolFolders& f) {
    for (const QString& dir : {f.base + f.content, f.data + f.content, f.sounds})
        if (!QDir().mkpath(dir)) {
            env.err << QStringLiteral("フォルダを作れません: %1").arg(dir) << Qt::endl;
            return false;
        }
    return true;
}

// パスデータ.txt: item 1 is the data root; nine more items are read and not used.
bool WritePathData(CliEnv& env, const SchoolFolders& f) {
    QStringList pathData = {QuotedItem(f.data)};
    for (int i = 0; i < 9; ++i)
        pathData.append(QStringLiteral("0"));
    return WriteSchoolText(env, f, f.base + QStringLiteral("パスデータ.txt"),
                           {pathData.join(QLatin1Char(','))});
}

bool WriteCommonData(CliEnv& env, const SchoolFolders& f, const SchoolSettings& settings) {
    return writeSchoolFile(env, f, f.data + QStringLiteral("共通データ.txt"),
                           NewCommonDataText(settings));
}

bool WriteEmptyRoster(CliEnv& env, const SchoolFolders& f) {
    return writeSchoolFile(env, f, f.data + QStringLiteral("新名簿.txt"), QString());
}

bool WriteSounds(CliEnv& env, const SchoolFolders& f) {
    // A family's own sound list names its own files; ours would only clutter the folder.
    if (f.keepExisting && QFile::exists(f.sounds + QStringLiteral("新音ファイル.txt"))) return true;
    return writeCueSounds(env, f) && writeFixedSounds(env, f);
}

// Criteria: minimum times half again the targets; the mixed level 11 counts one and a half.
bool WriteCriteria(CliEnv& env, const SchoolFolders& f) {
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
    return WriteSchoolText(env, f, f.data + f.content + QStringLiteral("/タイム回数データ.txt"),
                           criteria);
}

} // namespace baisuu
