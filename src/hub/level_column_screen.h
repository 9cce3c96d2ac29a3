#pragma once
// One level column of the results hub: its caption and number, start button,
// today's and all-time tallies, judgement and criteria lines and ranking list,
// all on one small widget so scrolling the hub moves them as one. The column
// shows what BuildHubView says of its level; the hub connects its buttons.

#include "hub/hub_model.h"
#include "ui/screen_parts.h"

#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace baisuu {

// The controls of one level column: element i of each control array.
// Element 0 is the template and stays out of view.
struct LevelColumn {
    QWidget* place = nullptr;         // holds the column's controls
    QLabel* Label1 = nullptr;         // the level number
    ClickableLabel* Label3 = nullptr; // the level caption; a click starts the level
    QPushButton* Command4 = nullptr;  // the start button "ｽﾀｰﾄ(&n)"
    QLabel* Text1 = nullptr;          // "やりすぎ禁止" over a blocked level
    QLabel* Label7 = nullptr;         // criteria line
    QLabel* Label8 = nullptr;         // judgement period line
    QLabel* Label9 = nullptr;         // the caption "今日" of today's tally
    QLabel* Label14 = nullptr;        // today's tally: runs and points ("n回/p点")
    QLabel* Label10 = nullptr;        // the caption "今まで" of the all-time tally
    QLabel* Label15 = nullptr;        // the all-time tally: runs and points
    QListWidget* List5 = nullptr;     // the level's ranking or list of runs
    QPushButton* Command3 = nullptr;  // "成績表示", loaded and kept hidden

    // Every text of the column but its list; a practice level shows no list,
    // tallies or criteria.
    void show(const HubColumn& from);
    // Puts lines in the list from its top, scrolled so the pupil's own line
    // (ownLine, or none when negative) and the one ahead of it are in view.
    void fillList(const QStringList& lines, int ownLine);
    // The opening rule's answer: the start button, and the overdo banner over it.
    void open(bool enabled, bool blocked);
};

// The column of level on a widget of width × height in area; its controls are
// named "<control>_<level>".
LevelColumn MakeLevelColumn(QWidget* area, int level, int width, int height);

} // namespace baisuu
