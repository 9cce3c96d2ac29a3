#include "sound/sound_cue_table.h"

#include "core/item_reader.h"
#include "core/text_file.h"

#include <algorithm>
#include <cmath>

namespace baisuu {

SoundCueTable::SoundCueTable() {
    static const char16_t* const names[] = {
        u"正解音1", u"正解音2",     u"間違い音1",   u"間違い音2",   u"最高音1",
        u"最高音2", u"自己最高音1", u"自己最高音2", u"自己最高音3", u"不合格音1",
    };
    int column = 1;
    for (const char16_t* name : names)
        soundTable[0][column++] = QString::fromUtf16(name);
}

std::optional<FileError> LoadSoundList(SoundCueTable& table, const QString& soundFolder) {
    FileError error;
    const std::optional<QString> text =
        ReadTextFile(soundFolder + QStringLiteral("新音ファイル.txt"), &error);
    if (!text) return error;
    ItemReader reader(*text);
    while (!reader.atEnd()) {
        const QString item = reader.next().text;
        for (int c = 1; c < kSoundColumns; ++c) {
            if (table.soundTable[0][c] != item) continue;
            for (int k = 1; k <= kFilesPerCue; ++k) {
                // A list whose last group lacks its "*" ends the group at the
                // end of the file instead of failing on reading past it.
                if (reader.atEnd()) {
                    table.soundTable[21][c] = QString::number(k - 1);
                    break;
                }
                const QString file = reader.next().text;
                if (file == QStringLiteral("*")) {
                    table.soundTable[21][c] = QString::number(k - 1);
                    break;
                }
                table.soundTable[k][c] = file;
            }
        }
    }
    return std::nullopt;
}

QString CueFile(const SoundCueTable& table, const QString& soundFolder, SoundCue cue, double r) {
    const int n = int(LeadingValue(table.cell(21, cue)));
    // A count edited by hand could point outside the table; stay within it.
    const int row = std::clamp(int(std::floor(r * n + 1)), 1, kFilesPerCue);
    return soundFolder + table.cell(row, cue) + QStringLiteral(".wav");
}

} // namespace baisuu
