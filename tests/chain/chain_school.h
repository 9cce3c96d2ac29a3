#pragma once
// A school of the chain for the sync's tests: a data root of its own (roster,
// criteria, results log, answers files) and the database rows it left.

#include "chain/pg_server.h"
#include "chain/school_sync.h"
#include "core/dates.h"
#include "core/text_file.h"
#include "records/answers_file.h"
#include "records/log_bytes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace baisuu {

struct ChainSchool {
    explicit ChainSchool(const QString& code, const QString& name = QStringLiteral("本町教室")) {
        state.paths.dataRoot = dir.path() + QStringLiteral("/");
        state.paths.dataFolder = state.paths.dataRoot + QStringLiteral("倍数判定/");
        QDir().mkpath(state.paths.dataFolder);
        state.schoolCode = code;
        state.siteName = name;
        roster(QStringLiteral("3,2017,0,0,\"上田　ゆい\",0,\"\",\"\"\r\n"
                              "7,2015,0,0,\"山田　花子\",0,\"\",\"\"\r\n"));
        for (int level = 1; level <= 11; ++level) {
            criteria.levels[size_t(level)].targetTime = 30;
            criteria.levels[size_t(level)].passTime = 60;
            criteria.levels[size_t(level)].pointFactor = 1;
        }
    }
    QString log() const { return state.paths.resultsLogFile(); }
    void roster(const QString& text) {
        FileError e;
        ASSERT_TRUE(WriteTextFile(state.paths.rosterFile(), text, &e)) << e.text().toStdString();
    }
    // A run of pupil at level in seconds, on day d of December 2026.
    QByteArray record(int pupil, int level, qint32 seconds, int day = 1) const {
        const QByteArray code = state.schoolCode.toLatin1();
        RawRecord r{OleDate(QDate(2026, 12, day)), 0.5, qint16(pupil), qint16(level), seconds};
        r.school = code.constData();
        return rawRecord(r);
    }
    void writeLog(const QByteArray& bytes) const {
        QFile f(log());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    void answers(int pupil, const QList<Answer>& list) const {
        ASSERT_FALSE(AppendAnswers(AnswersFilePath(state.paths.dataFolder, pupil), list));
    }
    SyncCounts sync(const QString& conninfo, const SyncOptions& options = {}) const {
        SyncCounts counts;
        const auto error = SyncSchool(conninfo, state, criteria, options, &counts);
        EXPECT_FALSE(error) << error.value_or(QString()).toUtf8().constData();
        return counts;
    }
    // The log's records as sorted hex, to hold against the database's.
    QStringList logRecords() const {
        QFile f(log());
        QStringList out;
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = f.readAll();
            for (qsizetype at = 0; at + 44 <= bytes.size(); at += 44)
                out << QString::fromLatin1(bytes.mid(at, 44).toHex());
        }
        out.sort();
        return out;
    }

    QTemporaryDir dir;
    Hensuu1 state;
    CriteriaTable criteria;
};

// The school's runs in the database as sorted hex.
inline QStringList StoredRecords(PgServer& server, const QString& db, const QString& code) {
    QString out;
    EXPECT_TRUE(server.sql(QStringLiteral("SELECT encode(record, 'hex') FROM baisuu.runs WHERE "
                                          "school_code = '%1' ORDER BY 1")
                               .arg(code),
                           &out, db))
        << server.lastError().toStdString();
    return out.isEmpty() ? QStringList() : out.split(u'\n');
}

// One server for a test program, a database of its own for each test.
class ChainDatabaseTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { server = new PgServer; }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(server->problem(), QString());
        static int databases = 0;
        db = QStringLiteral("chain%1").arg(++databases);
        ASSERT_TRUE(server->createDatabase(db)) << server->lastError().toStdString();
    }
    QString conninfo() const { return server->conninfo(db); }
    // The first column of what sql returns, one value a line.
    QString one(const QString& sql) const {
        QString out;
        EXPECT_TRUE(server->sql(sql, &out, db)) << server->lastError().toStdString();
        return out;
    }

    static inline PgServer* server = nullptr;
    QString db;
};

} // namespace baisuu
