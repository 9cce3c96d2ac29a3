#pragma once
// A problem with one of the data root's files, told so a teacher can act on it:
// which file, which line (0 when no line applies) and what is wrong.

#include <QDir>
#include <QString>

namespace baisuu {

struct FileError {
    QString file;
    int line = 0;
    QString message;

    QString text() const {
        const QString where = QDir::toNativeSeparators(file);
        if (line > 0) return QStringLiteral("%1 (%2行目): %3").arg(where).arg(line).arg(message);
        return QStringLiteral("%1: %2").arg(where, message);
    }
};

} // namespace baisuu
