#include "core/level_catalog.h"

#include "core/hensuu1.h"

namespace baisuu {

void SetUpContent(Hensuu1& state) {
    state.contentName = QStringLiteral("倍数判定");
    state.allLevelsOpen = 1;
}

void BuildLevelCatalog(LevelCatalog& catalog) {
    // Levels 12 to 24 carry names inherited from the family's shared catalogue
    // layout but have no problem rule; the hub offers only the first eleven.
    // The half-width "1" in レベル４－1 and レベル７－1 is how siblings spell them.
    static const char16_t* const names[] = {
        u"偶数奇数",     u"偶数奇数２",   u"３の倍数",     u"４の倍数",     u"５の倍数",
        u"６の倍数",     u"７の倍数",     u"８の倍数",     u"９の倍数",     u"１０の倍数",
        u"レベル４－1",  u"レベル４－２", u"レベル５練習", u"レベル５－１", u"レベル５－２",
        u"レベル６練習", u"レベル６－１", u"レベル６－２", u"レベル７練習", u"レベル７－1",
        u"レベル７－２", u"レベル８練習", u"レベル８－１", u"レベル８－２",
    };
    catalog.levelCount = 11;
    catalog.startLevel = 1;
    catalog.goalLevel = catalog.levelCount;
    int level = 1;
    for (const char16_t* name : names) {
        catalog.levelNames[level] = QString::fromUtf16(name);
        catalog.levelTimed[level] = 1;
        ++level;
    }
}

bool IsPracticeLevel(const LevelCatalog& catalog, int level) {
    return level >= 0 && level < kLevelSlots &&
           catalog.levelNames[level].contains(QStringLiteral("練"));
}

} // namespace baisuu
