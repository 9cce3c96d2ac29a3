#pragma once
// Which wave files belong to which sound event, as 新音ファイル.txt in the
// sound folder lists them. The sound folder and its list are shared by every
// drill of the family on the data root.

#include "core/file_error.h"

#include <QString>
#include <array>
#include <optional>

namespace baisuu {

// Columns of the cue table; the drill plays only some of them, the others are
// kept because siblings list them in the same file.
enum class SoundCue {
    Correct1 = 1,      // 正解音1
    Correct2 = 2,      // 正解音2: a right answer
    Wrong1 = 3,        // 間違い音1
    Wrong2 = 4,        // 間違い音2: a wrong answer
    Best1 = 5,         // 最高音1
    Best2 = 6,         // 最高音2
    PersonalBest1 = 7, // 自己最高音1
    PersonalBest2 = 8, // 自己最高音2: a personal best
    PersonalBest3 = 9, // 自己最高音3
    PassTime1 = 10,    // 不合格音1: within the lowest passing time, no record
};

constexpr int kSoundRows = 22;    // row 0 names, rows 1..20 files, row 21 the count
constexpr int kSoundColumns = 11; // column 0 unused
constexpr int kFilesPerCue = 20;

struct SoundCueTable {
    // soundTable[row][column]
    std::array<std::array<QString, kSoundColumns>, kSoundRows> soundTable;
    qint16 soundFailures = 0; // failed answer sounds in a row

    SoundCueTable();
    const QString& cell(int row, SoundCue cue) const { return soundTable[row][int(cue)]; }
};

// Reads soundFolder + "新音ファイル.txt" into table (names in row 0 always).
// A missing or unreadable list leaves every cue without files and returns the
// error; playing such a cue then fails like a missing file.
std::optional<FileError> LoadSoundList(SoundCueTable& table, const QString& soundFolder);

// The file a listed cue plays for the draw r in [0, 1): row Int(r × n + 1) of
// the cue's n files (row 1 when none are listed).
QString CueFile(const SoundCueTable& table, const QString& soundFolder, SoundCue cue, double r);

} // namespace baisuu
