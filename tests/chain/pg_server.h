#pragma once
// A PostgreSQL server of the test's own: a fresh cluster in a temporary
// folder, reached only through a Unix socket in that folder (no TCP port), with
// trust authentication, stopped and removed at the end. PostgreSQL refuses to
// run as root, so where the tests run as root the cluster belongs to the
// unprivileged `postgres` user and the server runs as that user; root still
// reaches the socket.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace baisuu {

class PgServer {
  public:
    PgServer();
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Empty when the server runs; otherwise why it does not.
    QString problem() const { return problem_; }
    // A restart: stop ends the server (open sessions are cut off), start runs
    // it again on the same cluster, folder and port and returns once it
    // answers (problem() says when it does not).
    void stop();
    void start();

    // A libpq keyword/value connection string for this server.
    QString conninfo(const QString& dbname = QStringLiteral("postgres"),
                     const QString& user = QStringLiteral("postgres")) const;
    int port() const { return port_; }
    QString socketDir() const { return dir_.path(); }

    // Runs the statements (one or more, separated by semicolons) in one
    // connection; `out` gets the first column of every row they return, one
    // value a line. False when a statement fails or the server cannot be
    // reached; lastError() then says why.
    bool sql(const QString& statements, QString* out = nullptr,
             const QString& dbname = QStringLiteral("postgres"),
             const QString& user = QStringLiteral("postgres"));
    bool createDatabase(const QString& name);
    QString lastError() const { return lastError_; }

  private:
    bool initCluster();
    QString logTail() const;

    QTemporaryDir dir_;
    QProcess server_;
    int port_ = 0;
    QString problem_;
    QString lastError_;
};

} // namespace baisuu
