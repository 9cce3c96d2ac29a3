#pragma once
// What makes this member of the drill family itself at the framework's level:
// the content's name and its catalogue of levels. A sibling drill swaps this
// module (and its problem rule) and keeps everything else.

#include "core/table_sizes.h"

#include <QString>
#include <array>

namespace baisuu {

struct LevelCatalog {
    std::array<QString, kLevelSlots> levelNames;
    std::array<qint16, kLevelSlots> levelTimed{};
    qint16 levelCount = 0;
    int startLevel = 0;
    int goalLevel = 0;
};

struct Hensuu1;

// Content name and switches, run once at start-up.
void SetUpContent(Hensuu1& state);

// Fills the level table (names, timed flags, counts). Showing the hub is the
// caller's business.
void BuildLevelCatalog(LevelCatalog& catalog);

// Any level whose name contains "練" is a practice level: its runs are not recorded.
bool IsPracticeLevel(const LevelCatalog& catalog, int level);

} // namespace baisuu
