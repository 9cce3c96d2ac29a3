#include "core/configuration.h"

#include "core/item_reader.h"
#include "core/text_file.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace baisuu {

namespace {

constexpr int kConfigItems = 10;

// Reads the ten items of a configuration file, or tells which one is missing.
std::optional<FileError> readTenItems(const QString& path, const QStringList& itemNames,
                                      QList<Item>* items) {
    FileError error;
    const auto text = ReadTextFile(path, &error);
    if (!text) return error;
    ItemReader reader(*text);
    while (items->size() < kConfigItems && !reader.atEnd())
        items->append(reader.next());
    if (items->size() < kConfigItems) {
        const int missing = int(items->size()) + 1;
        const QString what = missing <= itemNames.size() && !itemNames[missing - 1].isEmpty()
                                 ? QStringLiteral("（%1）").arg(itemNames[missing - 1])
                                 : QString();
        return FileError{
            path, reader.line(),
            QStringLiteral("項目が足りません。%1項目めから後%2がありません（10項目必要です）。")
                .arg(missing)
                .arg(what)};
    }
    return std::nullopt;
}

} // namespace

QString NormalizedFolder(QString path) {
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}

int DevelopmentLayoutFor(const QString& programDir) {
    const bool named =
        programDir.contains(QString::fromUtf16(kDevelopmentFolderName), Qt::CaseInsensitive);
    const bool brand = programDir.contains(QStringLiteral("TALLMER"), Qt::CaseInsensitive);
    return named && !brand ? 1 : 0;
}

std::optional<qint32> SeasonColorFor(int month) {
    if (month >= 1 && month <= 2) return 0x0080FF;
    if (month >= 3 && month <= 5) return 0xC0FFC0;
    if (month >= 6 && month <= 8) return 0xC0C000;
    if (month >= 9 && month <= 11) return 0x0040C0;
    if (month == 12) return 0xC0FFC0;
    return std::nullopt;
}

QString PathDataFileFor(const QString& programDir) {
    // Lexically: a symbolic link to the program folder still finds the school
    // the link sits in.
    return QDir::cleanPath(NormalizedFolder(QDir::cleanPath(QDir(programDir).absolutePath())) +
                           QStringLiteral("../パスデータ.txt"));
}

std::optional<FileError> LoadConfiguration(Hensuu1& state, const QString& programDir,
                                           QList<FileError>* warnings) {
    const QString programFolder = QDir::cleanPath(QDir(programDir).absolutePath());
    AppPaths paths;
    paths.appDir = NormalizedFolder(programFolder);
    const QString pathDataFile = PathDataFileFor(programDir);

    QList<Item> pathItems;
    if (auto error =
            readTenItems(pathDataFile, {QStringLiteral("データフォルダの場所")}, &pathItems))
        return error;
    QString dataRoot = pathItems[0].text.trimmed();
    if (dataRoot.isEmpty())
        return FileError{pathDataFile, pathItems[0].line,
                         QStringLiteral("1項目めのデータフォルダの場所が空です。")};
    dataRoot = NormalizedFolder(dataRoot);
    // A relative data root is taken from the folder that holds パスデータ.txt.
    if (QDir::isRelativePath(dataRoot))
        dataRoot = NormalizedFolder(
            QDir::cleanPath(QFileInfo(pathDataFile).absolutePath() + QLatin1Char('/') + dataRoot));
    if (state.developmentLayout == 1) {
        // The drive part of a Windows path; the file-system root elsewhere.
        const qsizetype firstSlash = paths.appDir.indexOf(QLatin1Char('/'));
        dataRoot = paths.appDir.left(firstSlash + 1) + QString::fromUtf16(kDevelopmentDataFolder);
    }
    paths.dataRoot = dataRoot;

    QList<Item> common;
    const QStringList commonNames = {QStringLiteral("年度の始まりの月"),
                                     QStringLiteral("塾コードと教室名"),
                                     QStringLiteral("休会者を表示するか"),
                                     QString(),
                                     QString(),
                                     QStringLiteral("先生のパスワード")};
    if (auto error = readTenItems(paths.commonDataFile(), commonNames, &common)) return error;
    // Any start month is taken: grades only compare today's month with it, so 0
    // never moves the school year back and 13 always does. It is told, not refused.
    const int month = int(std::clamp(std::nearbyint(LeadingValue(common[0].text)), -1e9, 1e9));
    if ((month < 1 || month > 12) && warnings)
        warnings->append(
            {paths.commonDataFile(), common[0].line,
             QStringLiteral(
                 "1項目めの年度の始まりの月「%1」が 1 から 12 の数ではありません（%2）。")
                 .arg(common[0].text,
                      month < 1 ? QStringLiteral("1月始まりと同じに学年を計算します")
                                : QStringLiteral("どの月も前の年の年度として学年を計算します"))});

    paths.contentFolder = programFolder.mid(programFolder.lastIndexOf(QLatin1Char('/')) + 1);
    paths.dataFolder = state.developmentLayout == 1
                           ? paths.appDir
                           : paths.dataRoot + paths.contentFolder + QLatin1Char('/');
    paths.soundFolder = paths.dataRoot + QStringLiteral("音フォルダ/");

    state.paths = paths;
    state.pathDataFile = pathDataFile;
    state.schoolYearStartMonth = month;
    const QString siteLine = common[1].text;
    if (LeadingValue(siteLine.left(5)) != 0) {
        state.schoolCode = siteLine.left(5);
        state.siteName = siteLine.mid(5);
    } else {
        state.schoolCode.clear();
        state.siteName = siteLine;
    }
    state.includeStatusTwo = qint16(std::lround(LeadingValue(common[2].text)));
    state.teacherPassword = common[5].text;
    SetUpContent(state);
    return std::nullopt;
}

QString GradeMark(int grade) {
    static const char16_t marks[] = u"①②③④⑤⑥ⅠⅡⅢ";
    if (grade >= 1 && grade <= 9) return QString(QChar(marks[grade - 1]));
    return QStringLiteral("　");
}

} // namespace baisuu
