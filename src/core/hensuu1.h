#pragma once
// The program's shared state: the folder layout, the configuration items and
// the level catalogue that every screen reads, plus who is signed in and which
// level is about to run. One instance lives in the AppContext made by main().

#include "core/level_catalog.h"

#include <QString>

namespace baisuu {

struct AppPaths {
    QString appDir;        // the program's folder, ending in "/"
    QString dataRoot;      // item 1 of パスデータ.txt, ending in "/"
    QString contentFolder; // last component of the program's folder: this content's name on disk
    QString dataFolder;    // dataRoot + contentFolder + "/": criteria and results log
    QString soundFolder;   // dataRoot + "音フォルダ/"

    QString commonDataFile() const { return dataRoot + QStringLiteral("共通データ.txt"); }
    QString rosterFile() const { return dataRoot + QStringLiteral("新名簿.txt"); }
    QString criteriaFile() const { return dataFolder + QStringLiteral("タイム回数データ.txt"); }
    QString resultsLogFile() const { return dataFolder + QStringLiteral("成績累積データ.dat"); }
    QString soundListFile() const { return soundFolder + QStringLiteral("新音ファイル.txt"); }
};

struct Hensuu1 {
    AppPaths paths;
    QString pathDataFile; // where パスデータ.txt was looked for

    // Items of 共通データ.txt
    int schoolYearStartMonth = 4;
    QString siteName;
    QString schoolCode; // five characters, or empty when the site line has none
    qint16 includeStatusTwo = 0;
    QString teacherPassword;

    qint16 developmentLayout = 0;
    qint32 seasonColor = 0; // 0x00BBGGRR

    // The content (set by SetUpContent and BuildLevelCatalog)
    QString contentName;
    qint16 allLevelsOpen = 0;
    LevelCatalog catalog;

    // Who is signed in and what runs next
    qint16 currentPupil = 0;
    QString pupilName;
    QString pupilGrade;                               // the pupil's grade label ("小３")
    QString selectedGroup = QStringLiteral("全学年"); // the grade group chosen at sign-in
    qint32 pupilStartTime = 0;                        // seconds since midnight of the sign-in
    qint16 currentLevel = 0;

    // The hub's first level column in view; kept here so it survives the run
    // that unloads the hub.
    int firstColumn = 0;
    int resultPeriod = 3; // the period of the hub's all-results list (1..5)
};

} // namespace baisuu
