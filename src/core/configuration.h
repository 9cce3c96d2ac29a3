#pragma once
// Finding the data root and reading the two configuration files.

#include "core/file_error.h"
#include "core/hensuu1.h"

#include <QList>
#include <optional>

namespace baisuu {

// The developer's working layout: a program folder whose path names the
// developer's working folder (and not the brand) keeps its data beside itself.
inline constexpr char16_t kDevelopmentFolderName[] = u"倍数判定開発用";
inline constexpr char16_t kDevelopmentDataFolder[] = u"倍数判定開発用データ/";
int DevelopmentLayoutFor(const QString& programDir);

// Season colour (0x00BBGGRR) of a month; nullopt for a month outside 1..12.
std::optional<qint32> SeasonColorFor(int month);

// Reads パスデータ.txt beside the program folder and 共通データ.txt in the data
// root, resolves every folder and sets up the content. state.developmentLayout
// must already be set. A missing or short file gives a FileError and leaves
// nothing created. Values that are read but look wrong (a start month outside
// 1..12) are told in warnings when given. Criteria and sounds are read by their
// own loaders after this.
std::optional<FileError> LoadConfiguration(Hensuu1& state, const QString& programDir,
                                           QList<FileError>* warnings = nullptr);

// The パスデータ.txt that LoadConfiguration reads for this program folder.
QString PathDataFileFor(const QString& programDir);

// "①".."⑥" for grades 1..6, "Ⅰ".."Ⅲ" for 7..9, a full-width blank otherwise.
QString GradeMark(int grade);

// A folder path with "\" written as "/" and a trailing "/".
QString NormalizedFolder(QString path);

} // namespace baisuu
