#include "core/program_folder.h"

#include "core/configuration.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace baisuu {

namespace {

QString cleanAbsolute(const QString& dir) {
    return QDir::cleanPath(QDir(dir).absolutePath());
}

QString settingsFile(QSettings::Scope scope) {
    return QSettings(QSettings::NativeFormat, scope, QLatin1String(kSettingsOrganization),
                     QLatin1String(kSettingsApplication))
        .fileName();
}

// The user's settings; UserScope falls back to the machine's file for a key
// the user's lacks.
QSettings userThenMachine() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication));
}

// The setting as a person wrote it: an unquoted comma makes QSettings read a
// list, and a path (or a connection URI naming several hosts) may well hold one.
QString settingText(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).trimmed();
    return value.toString().trimmed();
}

} // namespace

QString UserSettingsFile() {
    return settingsFile(QSettings::UserScope);
}
QString SystemSettingsFile() {
    return settingsFile(QSettings::SystemScope);
}

QString UserSettingsFileForHelp() {
    const QString file = UserSettingsFile();
    const QString home = QDir::homePath() + QLatin1Char('/');
    return file.startsWith(home) && home != QLatin1String("//")
               ? QStringLiteral("~/") + file.mid(home.size())
               : file;
}

QString ProgramFolderProblem(const QString& dir) {
    const QString pathData = PathDataFileFor(dir);
    if (QFileInfo(pathData).isFile()) return {};
    return QStringLiteral("「%1」は倍数判定のプログラムフォルダではありません。\n"
                          "プログラムフォルダの一つ上のフォルダにパスデータ.txt が要ります"
                          "（%2 がありません）。")
        .arg(QDir::toNativeSeparators(cleanAbsolute(dir)), QDir::toNativeSeparators(pathData));
}

ProgramFolder ResolveProgramFolder(const QString& option, const QString& executableDir) {
    if (!option.isEmpty()) return {cleanAbsolute(option), ProgramFolder::Source::Option, {}};
    if (ProgramFolderProblem(executableDir).isEmpty())
        return {cleanAbsolute(executableDir), ProgramFolder::Source::BesideExecutable, {}};
    const QString text = settingText(userThenMachine(), QLatin1String(kProgramFolderKey));
    if (text.isEmpty()) return {};
    ProgramFolder found{cleanAbsolute(text), ProgramFolder::Source::Settings, {}};
    if (const QString problem = ProgramFolderProblem(found.folder); !problem.isEmpty())
        found.problem =
            QStringLiteral("設定 %1（%2 または %3）のフォルダが使えません。\n")
                .arg(QLatin1String(kProgramFolderKey), UserSettingsFile(), SystemSettingsFile()) +
            problem;
    return found;
}

bool FullScreenSetting() {
    const QString text = userThenMachine().value(QLatin1String(kFullScreenKey)).toString().trimmed();
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
           text == QLatin1String("1");
}

QString ChainDatabase() {
    return settingText(userThenMachine(), QLatin1String(kChainDatabaseKey));
}

QString RememberProgramFolder(const QString& dir) {
    if (QString problem = ProgramFolderProblem(dir); !problem.isEmpty()) return problem;
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                       QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication));
    settings.setValue(QLatin1String(kProgramFolderKey), cleanAbsolute(dir));
    settings.sync();
    if (settings.status() == QSettings::NoError) return {};
    return QStringLiteral("プログラムフォルダを設定ファイル %1 に書けませんでした。"
                          "次に起動したときにもう一度たずねます。")
        .arg(settings.fileName());
}

QString NoProgramFolderText() {
    return QStringLiteral("倍数判定のプログラムフォルダがわかりません。\n"
                          "--program-dir DIR で指定するか、設定ファイル %1（このユーザー）または %2"
                          "（このコンピュータの全員）の [General] に %3=プログラムフォルダ "
                          "を書いてください。")
        .arg(UserSettingsFile(), SystemSettingsFile(), QLatin1String(kProgramFolderKey));
}

} // namespace baisuu
