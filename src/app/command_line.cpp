#include "app/command_line.h"

#include "core/program_folder.h"
#include "core/table_sizes.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace baisuu {

CommandLine::CommandLine() {
    parser.addOptions(options());
}

QString HelpText() {
    return QStringLiteral(
               "使い方: baisuu [オプション]\n"
               "倍数判定: 偶数・奇数・倍数を、時間を計って練習するドリルです。\n"
               "\n"
               "オプション:\n"
               "  --program-dir DIR     プログラムフォルダ。省略すると、実行ファイルのフォルダの\n"
               "                        上に パスデータ.txt があればそのフォルダ、なければ設定\n"
               "                        %1 の値（設定ファイルは %2\n"
               "                        または %3）\n"
               "  --now YYYY-MM-DDTHH:MM:SS\n"
               "                        時計をこの日時から進めます\n"
               "  --silent              音を出しません\n"
               "  --print-to-pdf FILE   印刷する代わりにPDFファイルに書きます\n"
               "  --screenshots DIR     データの写しで全画面をめぐり、DIR に画面ごとのPNGを\n"
               "                        保存して終わります\n"
               "  --pupil N             名前を選ばずに、生徒番号 N（1〜%4）で始めます\n"
               "  --level L             レベル L（1〜%5）をすぐ始めます（--pupil とともに）\n"
               "  --fullscreen          全画面で始めます（同じファイルの設定 %6=true でも同じ。\n"
               "                        F11 で切り替え）。指定しないと、画面に入るいちばん\n"
               "                        大きなウィンドウで開きます\n"
               "  -h, --help            この説明を表示します\n"
               "  -v, --version         版を表示します\n"
               "\n"
               "画面のない端末からは起動できません。デスクトップから起動してください。\n"
               "画面なしでスクリーンショットを撮るときは QT_QPA_PLATFORM=offscreen を付けます。\n")
        .arg(QLatin1String(kProgramFolderKey), UserSettingsFileForHelp(), SystemSettingsFile())
        .arg(kHighestPupil)
        .arg(kHighestNamedLevel)
        .arg(QLatin1String(kFullScreenKey));
}

namespace {

QString dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// What is wrong with args, in Japanese: the parser's own error is English.
QString optionErrorText(const CommandLine& cl, const QStringList& args) {
    if (const QStringList unknown = cl.parser.unknownOptionNames(); !unknown.isEmpty()) {
        QStringList names;
        for (const QString& name : unknown)
            names << dashed(name);
        return QStringLiteral("知らないオプションです: ") + names.join(QStringLiteral(", "));
    }
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1Char('-'))) continue;
        const QString name =
            arg.mid(arg.startsWith(QStringLiteral("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0);
        for (const QCommandLineOption& option : cl.options()) {
            if (!option.names().contains(name)) continue;
            if (option.valueName().isEmpty() && arg.contains(QLatin1Char('=')))
                return dashed(name) + QStringLiteral(" には値を付けません");
            if (!option.valueName().isEmpty() && !arg.contains(QLatin1Char('=')) &&
                i + 1 == args.size())
                return dashed(name) + QStringLiteral(" のあとに ") + option.valueName() +
                       QStringLiteral(" を書いてください");
        }
    }
    return QStringLiteral("オプションを読めません: ") + args.mid(1).join(QLatin1Char(' '));
}

} // namespace

std::optional<int> FirstLook(const QStringList& args) {
    CommandLine cl;
    QString problem;
    if (!cl.parser.parse(args))
        problem = optionErrorText(cl, args);
    else if (const QStringList extra = cl.parser.positionalArguments(); !extra.isEmpty())
        problem = QStringLiteral("余分な引数です: ") + extra.join(QLatin1Char(' '));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "baisuu: %s\n%s\n", qPrintable(problem),
                     qPrintable(QStringLiteral("使えるオプションは baisuu --help で見られます。")));
        return 2;
    }
    if (cl.parser.isSet(cl.help)) {
        std::fputs(qPrintable(HelpText()), stdout);
        return 0;
    }
    if (cl.parser.isSet(cl.version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

namespace {

const QString kStartFrom = QStringLiteral(
    "デスクトップのメニューから起動するか、画面のある端末で起動してください。\n"
    "ほかのコンピュータの画面に出すときは DISPLAY を設定してください。\n"
    "画面なしでスクリーンショットを撮るときは QT_QPA_PLATFORM=offscreen を付けてください"
    "（例: QT_QPA_PLATFORM=offscreen baisuu --screenshots DIR）。");

} // namespace

QString MissingDisplayText() {
    // A platform chosen by name (offscreen, minimal, xcb …) is left to Qt:
    // OpenDisplay tells when it cannot start.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return {};
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral("倍数判定のウィンドウを出す画面がありません"
                          "（DISPLAY も WAYLAND_DISPLAY も設定されていません）。\n") +
           kStartFrom;
}

namespace {

// Qt's words while the display opens: shown after it opened, or under the
// Japanese message when it could not.
QStringList heldMessages;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // Qt's last words advise reinstalling the program, which never helps here.
    if (type != QtFatalMsg) {
        heldMessages << qFormatLogMessage(type, context, text);
        return;
    }
    const QString display = qEnvironmentVariable(
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "DISPLAY" : "WAYLAND_DISPLAY");
    std::fprintf(
        stderr, "baisuu: %s\n%s\n\n%s\n",
        qPrintable(
            QStringLiteral("倍数判定のウィンドウを出す画面（%1）に接続できません。").arg(display)),
        qPrintable(kStartFrom),
        qPrintable(QStringLiteral("Qt の報告:\n") + heldMessages.join(QLatin1Char('\n'))));
    std::fflush(stderr);
    std::_Exit(2); // before Qt's abort
}

} // namespace

std::unique_ptr<QApplication> OpenDisplay(int& argc, char** argv) {
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& held : std::exchange(heldMessages, {}))
        std::fprintf(stderr, "%s\n", qPrintable(held));
    return app;
}

} // namespace baisuu
