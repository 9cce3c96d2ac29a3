#pragma once
// The files of a school's installation, one writer per file, shared by
// init-demo and init-school.

#include "cli/cli.h"
#include "core/configuration_edit.h"

#include <QStringList>
#include <span>

namespace baisuu {

// Where a school's files go.
struct SchoolFolders {
    QString base;    // the school root, holding パスデータ.txt and the program folder
    QString data;    // the data root
    QString content; // the program folder's name, also the drill's folder in the data root
    QString sounds;  // the sound folder in the data root
    // Installing beside other programs: a file that exists already is left as it is.
    bool keepExisting = false;
};

// The folders of a school at base whose data root is dataRoot (both absolute).
SchoolFolders SchoolFoldersAt(const QString& base, const QString& dataRoot);

// Target times by level (index 0 unused): the criteria file and the demo
// history both go by them.
std::span<const int> DemoTargets();

// Writes lines (CR LF after each) as Shift-JIS; tells a failure.
bool WriteSchoolText(CliEnv& env, const SchoolFolders& f, const QString& path,
                     const QStringList& lines);
QString QuotedItem(const QString& s);

// A file of dataRoot that shows a school in use, which only an earlier
// init-school's empty school lacks: a results log with records (of this or
// any other program of the family) or a roster with anything in it. Empty
// when there is none.
QString FileOfSchoolInUse(const QString& dataRoot);

// Each writer tells its failure on stderr and returns false.
bool MakeSchoolFolders(CliEnv& env, const SchoolFolders& f);
bool WritePathData(CliEnv& env, const SchoolFolders& f);
bool WriteCommonData(CliEnv& env, const SchoolFolders& f, const SchoolSettings& settings);
// 新名簿.txt with no pupil.
bool WriteEmptyRoster(CliEnv& env, const SchoolFolders& f);
// The cue sounds with their list 新音ファイル.txt, and the two fixed sounds.
bool WriteSounds(CliEnv& env, const SchoolFolders& f);
bool WriteCriteria(CliEnv& env, const SchoolFolders& f);

} // namespace baisuu
