// baisuu: the drill program.

#include "core/configuration.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QMessageBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("倍数判定"));
    QCommandLineParser parser;
    QCommandLineOption programDir(QStringLiteral("program-dir"), QStringLiteral("program folder"),
                                  QStringLiteral("DIR"), QCoreApplication::applicationDirPath());
    parser.addOption(programDir);
    parser.addHelpOption();
    parser.process(app);

    Hensuu1 state;
    const QString dir = parser.value(programDir);
    state.developmentLayout = qint16(DevelopmentLayoutFor(dir));
    if (auto error = LoadConfiguration(state, dir)) {
        QMessageBox::critical(nullptr, QStringLiteral("設定エラー"),
                              QStringLiteral("設定ファイルを読めません。先生を呼んでください。\n\n") +
                                  error->text());
        return 1;
    }
    QLabel window(QStringLiteral("データフォルダ: %1").arg(state.paths.dataRoot));
    window.resize(640, 200);
    window.show();
    return app.exec();
}
