#pragma once
// Which program folder a start uses when --program-dir is not given.
//
// A copied-together school keeps the program beside its data, so the
// executable's own folder is the program folder whenever ../パスデータ.txt is
// there. An installed program (/usr/bin) has no school beside it: it reads the
// folder from its settings, QSettings in NativeFormat under the names below,
// which on Linux are ~/.config/baisuu/baisuu.conf for one user and
// /etc/xdg/baisuu/baisuu.conf for every user of the machine (the user's file
// wins). Both programs resolve through here, so they always agree.

#include <QString>

namespace baisuu {

inline constexpr char kSettingsOrganization[] = "baisuu";
inline constexpr char kSettingsApplication[] = "baisuu";
// The key, in the [General] group of the files.
inline constexpr char kProgramFolderKey[] = "programDir";
// fullScreen=true in the same group starts the program in full screen.
inline constexpr char kFullScreenKey[] = "fullScreen";

// The head office's database, in the [chain] group: a libpq connection string
// or URI that the program syncs the school into after its daily backup.
inline constexpr char kChainDatabaseKey[] = "chain/database";

struct ProgramFolder {
    enum class Source { Option, BesideExecutable, Settings, None };
    QString folder; // absolute and clean; empty with None
    Source source = Source::None;
    // With Settings: why the folder named there is no program folder (else empty).
    QString problem;
};

// --program-dir (when not empty) > the executable's folder holding a school >
// the setting. Nothing is checked for an explicit option: loading the
// installation tells what is wrong with it, naming the file.
ProgramFolder ResolveProgramFolder(const QString& option, const QString& executableDir);

// Empty when dir is a program folder (its ../パスデータ.txt is a file);
// otherwise what is wrong, in Japanese.
QString ProgramFolderProblem(const QString& dir);

// Keeps dir in the user's settings. Empty on success; a folder that is no
// program folder is refused with ProgramFolderProblem's text; otherwise why
// the file could not be written (the folder can still be used for this start).
QString RememberProgramFolder(const QString& dir);

// What to do when no program folder is known: names --program-dir, the key and
// both settings files.
QString NoProgramFolderText();

// The setting fullScreen (the user's file over the machine's); false when not set.
bool FullScreenSetting();

// The setting [chain] database (the user's file over the machine's); empty when not set.
QString ChainDatabase();

// The two settings files, for messages and tests.
QString UserSettingsFile();
QString SystemSettingsFile();
// The user's file as --help names it: ~/ for the home folder, so that the
// manual pages made from --help describe every user's file.
QString UserSettingsFileForHelp();

} // namespace baisuu
