#pragma once
// The name selection screen (namesel) without widgets: the pupil list it
// shows, the name a click or a double click chooses, what confirming the name
// writes into the shared state, and the way out to the family's program menu.

#include "context/app_context.h"
#include "roster/roster_lines.h"

#include <QString>
#include <QStringList>

namespace baisuu {

// Label1 while nobody is chosen.
constexpr char16_t kChooseNamePrompt[] = u"名前を選びなさい";
// The title of the box that tells a teacher what could not be read.
constexpr char16_t kSelectionProblemTitle[] = u"名簿の読み込み";

struct SelectionList {
    RosterList lines;
    // What went wrong reading the roster or the results log, for a teacher;
    // empty when both were read whole. The list is usable either way.
    QString problem;
};

// 名簿表示: recomputes the tallies from the results log (waiting while another
// machine holds it), reloads the roster into ctx.roster and builds the lines
// for the display mode and group.
SelectionList BuildSelectionList(AppContext& ctx, int displayMode, const QString& group);

// The chosen pupil as Label1 and Label2 show it.
struct NameChoice {
    QString nameLine = QString::fromUtf16(kChooseNamePrompt); // Label1
    int number = -1; // Label2; -1 while nobody is chosen
};

// A click on visible line row: the line's first ten characters. The header
// (row 0), or a row the list does not have, chooses nobody.
NameChoice ClickedName(const RosterList& list, int row);
// A double click: the line before its first "/".
NameChoice DoubleClickedName(const RosterList& list, int row);

// Confirms the choice: the sign-in time, the pupil's number, name and grade
// label and the group go into the shared state, and the level catalogue is
// built. Returns false and changes nothing when no name is chosen.
bool ConfirmName(AppContext& ctx, const NameChoice& choice, const QString& group);

// The family's program menu, in the folder "起動" beside the program folder
// (two levels up in the development layout, which passes no argument).
struct ProgramMenu {
    QString program;
    QStringList arguments;
};
ProgramMenu ProgramMenuFor(const QString& programDir, bool developmentLayout);

// Starts the program menu and ends this program. A menu that is missing or
// does not start is told in a message first; the program ends all the same.
void LeaveToProgramMenu(AppContext& ctx);

} // namespace baisuu
