#include "ui/look.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <algorithm>

namespace baisuu {

QString ScreenFontFamily() {
    static const QString family = [] {
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        // The proportional face of the font the program installs reads best on
        // labels; the list font (FixedPitchFont) picks its fixed-pitch twin.
        for (const QString& preferred : {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")})
            if (japanese.contains(preferred)) return preferred;
        return japanese.value(0);
    }();
    return family;
}

QFont FontOf(double points, bool bold) {
    QFont font;
    if (!ScreenFontFamily().isEmpty()) font.setFamily(ScreenFontFamily());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont FixedPitchFont(double points) {
    static const QString family = [] {
        QFont font = FontOf(20);
        for (const QString& candidate : QFontDatabase::families(QFontDatabase::Japanese)) {
            font.setFamily(candidate);
            const QFontMetricsF fm(font);
            const qreal half = fm.horizontalAdvance(QLatin1Char('0'));
            if (half > 0 && fm.horizontalAdvance(QLatin1Char(' ')) == half &&
                fm.horizontalAdvance(QChar(0x3042)) == 2 * half && // あ
                fm.horizontalAdvance(QChar(0x25CF)) == 2 * half)   // ●
                return candidate;
        }
        return QString();
    }();
    QFont font = FontOf(points);
    if (family.isEmpty())
        font.setStyleHint(QFont::TypeWriter);
    else
        font.setFamily(family);
    font.setFixedPitch(true);
    return font;
}

QFont PageFont(double units, bool bold) {
    QFont f = FixedPitchFont(10);
    f.setPixelSize(std::max(1, qRound(units)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QColor ColourOfBgr(qint32 bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

} // namespace baisuu
