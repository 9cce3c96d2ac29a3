// Which old copies of the folder of copies a rotation removes.

#include "core/backup_copies.h"
#include "test_support.h"

#include <QDir>
#include <gtest/gtest.h>

namespace baisuu {

namespace {

const QDate kToday(2026, 12, 9);
const QString kStem = QStringLiteral("成績累積データ");
const QString kExt = QStringLiteral(".dat");

QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST(BackupCopies, RotationKeepsTheNewestByNameAndNeverTodaysRecentRestoresOrTheFuture) {
    struct Case {
        const char* what;
        QStringList files;
        int keep;
        QStringList gone;
    };
    const Case cases[] = {
        {"the old daily names and the timed names are one series",
         {"成績累積データ-20261201.dat", "成績累積データ-20261202-080000.dat",
          "成績累積データ-20261203.dat", "成績累積データ-20261203-090000.dat"},
         2,
         {"成績累積データ-20261201.dat", "成績累積データ-20261202-080000.dat"}},
        {"copies dated after today are neither counted nor removed",
         {"成績累積データ-20270101.dat", "成績累積データ-20300101-000000.dat",
          "成績累積データ-20261209.dat", "成績累積データ-20261208.dat",
          "成績累積データ-20261207.dat"},
         2,
         {"成績累積データ-20261207.dat"}},
        {"today's copies all stay, however many",
         {"成績累積データ-20261209.dat", "成績累積データ-20261209-100000.dat",
          "成績累積データ-20261209-110000.dat", "成績累積データ-20261209-110000-2.dat",
          "成績累積データ-20261208.dat"},
         2,
         {"成績累積データ-20261208.dat"}},
        {"a copy from before a restore stays 30 days",
         {"成績累積データ-20261209.dat", "成績累積データ-20261109-100000-戻す前.dat",
          "成績累積データ-20261108-100000-戻す前.dat", "成績累積データ-20261108-100000.dat",
          "成績累積データ-20261120-100000-戻す前-2.dat"},
         1,
         {"成績累積データ-20261108-100000-戻す前.dat", "成績累積データ-20261108-100000.dat"}},
        {"other files, stems and names that hold no date are left alone",
         {"成績累積データ-20261201.dat", "成績累積データ-20261301.dat", "成績累積データtemp.dat",
          "新名簿-20261201-080000.txt", "成績累積データ-20261201.dat.bak", "メモ.txt",
          "成績累積データ-20261209.dat"},
         1,
         {"成績累積データ-20261201.dat"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        for (const QString& name : c.files)
            writeFile(dir, name, name.toUtf8());
        RotateCopies(dir.path(), kStem, kExt, kToday, c.keep);
        QStringList expected = c.files;
        for (const QString& name : c.gone)
            expected.removeOne(name);
        expected.sort();
        EXPECT_EQ(namesIn(dir.path()), expected);
    }
}

} // namespace baisuu
