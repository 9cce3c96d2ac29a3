#include "chain/pg_server.h"

#include <QCollator>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <libpq-fe.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace baisuu {

namespace {

const char kServerUser[] = "postgres";

// Debian keeps initdb and postgres out of PATH, in one folder per major
// version; the newest one is used, then whatever PATH offers.
QString PgProgram(const QString& name) {
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(),
              [&](const QString& a, const QString& b) { return numeric.compare(a, b) > 0; });
    for (const QString& v : versions) {
        const QString found = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v)});
        if (!found.isEmpty()) return found;
    }
    return QStandardPaths::findExecutable(name);
}

// Starts a PostgreSQL program; as root it runs as the postgres user instead
// (setpriv execs it in place, so the process is the program itself).
void StartAsServerUser(QProcess& p, const QString& program, const QStringList& arguments) {
    if (::geteuid() != 0) {
        p.start(program, arguments);
        return;
    }
    p.start(QStringLiteral("setpriv"),
            QStringList{QStringLiteral("--reuid=%1").arg(QLatin1String(kServerUser)),
                        QStringLiteral("--regid=%1").arg(QLatin1String(kServerUser)),
                        QStringLiteral("--init-groups"), QStringLiteral("--"), program} +
                arguments);
}

// A value of a keyword/value connection string, quoted as libpq reads it.
QString ConnValue(QString value) {
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

QString ConnError(PGconn* conn) {
    return QString::fromUtf8(PQerrorMessage(conn)).trimmed();
}

} // namespace

PgServer::PgServer()
    : dir_(QDir::tempPath() + QStringLiteral("/pg-XXXXXX")), port_(20000 + ::getpid() % 40000) {
    if (!dir_.isValid()) {
        problem_ = QStringLiteral("cannot make a temporary folder: ") + dir_.errorString();
        return;
    }
    if (initCluster()) start();
}

PgServer::~PgServer() {
    stop();
}

bool PgServer::initCluster() {
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam(kServerUser);
        if (!user) {
            problem_ = QStringLiteral("running as root, the server needs the postgres user "
                                      "(scripts/install-deps installs postgresql, which makes it)");
            return false;
        }
        if (::chown(QFile::encodeName(dir_.path()).constData(), user->pw_uid, user->pw_gid) != 0) {
            problem_ = QStringLiteral("cannot give %1 to the postgres user").arg(dir_.path());
            return false;
        }
    }
    const QString initdb = PgProgram(QStringLiteral("initdb"));
    if (initdb.isEmpty()) {
        problem_ = QStringLiteral("initdb not found (scripts/install-deps installs postgresql)");
        return false;
    }
    QProcess p;
    p.setWorkingDirectory(dir_.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    StartAsServerUser(p, initdb,
                      {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
                       QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-A"),
                       QStringLiteral("trust"), QStringLiteral("--no-sync"),
                       QStringLiteral("--no-instructions"), QStringLiteral("-E"),
                       QStringLiteral("UTF8"), QStringLiteral("--locale=C")});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        problem_ = QStringLiteral("initdb failed: ") + p.errorString() + QLatin1Char('\n') +
                   QString::fromLocal8Bit(p.readAll());
        return false;
    }
    return true;
}

void PgServer::start() {
    if (server_.state() != QProcess::NotRunning) return;
    problem_.clear();
    const QString postgres = PgProgram(QStringLiteral("postgres"));
    server_.setWorkingDirectory(dir_.path());
    server_.setStandardOutputFile(dir_.filePath(QStringLiteral("server.log")), QIODevice::Append);
    server_.setStandardErrorFile(dir_.filePath(QStringLiteral("server.log")), QIODevice::Append);
    // Only the socket in the folder: no TCP port to collide with another
    // test's server or to be reached from outside. Durability is not tested
    // against the disk, so the server does not wait for it.
    StartAsServerUser(server_, postgres,
                      {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")),
                       QStringLiteral("-p"), QString::number(port_), QStringLiteral("-c"),
                       QStringLiteral("listen_addresses="), QStringLiteral("-c"),
                       QStringLiteral("unix_socket_directories=") + dir_.path(),
                       QStringLiteral("-c"), QStringLiteral("fsync=off")});
    if (!server_.waitForStarted(5000)) {
        problem_ =
            QStringLiteral("postgres does not start (scripts/install-deps installs postgresql): ") +
            server_.errorString();
        return;
    }
    const QByteArray info = conninfo().toUtf8();
    QDeadlineTimer deadline(15000);
    while (PQping(info.constData()) != PQPING_OK) {
        if (deadline.hasExpired() || server_.state() != QProcess::Running) {
            problem_ =
                QStringLiteral("postgres does not answer on %1:\n%2").arg(dir_.path(), logTail());
            stop();
            return;
        }
        QThread::msleep(20);
    }
}

void PgServer::stop() {
    if (server_.state() == QProcess::NotRunning) return;
    // A fast shutdown: open sessions are cut off, as when the server goes away
    // under a client; a plain terminate would wait for them to end.
    if (server_.processId() > 0) ::kill(pid_t(server_.processId()), SIGINT);
    if (!server_.waitForFinished(10000)) {
        server_.kill();
        server_.waitForFinished(2000);
    }
}

QString PgServer::logTail() const {
    QFile log(dir_.filePath(QStringLiteral("server.log")));
    if (!log.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLocal8Bit(log.readAll().right(2000));
}

QString PgServer::conninfo(const QString& dbname, const QString& user) const {
    return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
        .arg(ConnValue(dir_.path()), QString::number(port_), ConnValue(dbname), ConnValue(user));
}

bool PgServer::sql(const QString& statements, QString* out, const QString& dbname,
                   const QString& user) {
    lastError_.clear();
    if (out) out->clear();
    const std::unique_ptr<PGconn, decltype(&PQfinish)> conn(
        PQconnectdb(conninfo(dbname, user).toUtf8().constData()), &PQfinish);
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        lastError_ = ConnError(conn.get());
        return false;
    }
    if (!PQsendQuery(conn.get(), statements.toUtf8().constData())) {
        lastError_ = ConnError(conn.get());
        return false;
    }
    // Every statement's result is read, so a failing later one is not missed.
    QStringList values;
    while (PGresult* r = PQgetResult(conn.get())) {
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_TUPLES_OK) {
            for (int row = 0; row < PQntuples(r); ++row)
                values << QString::fromUtf8(PQgetvalue(r, row, 0));
        } else if (status != PGRES_COMMAND_OK && status != PGRES_EMPTY_QUERY &&
                   lastError_.isEmpty()) {
            lastError_ = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        }
        PQclear(r);
    }
    if (out) *out = values.join(QLatin1Char('\n'));
    return lastError_.isEmpty();
}

bool PgServer::createDatabase(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return sql(QStringLiteral("CREATE DATABASE \"%1\"").arg(quoted));
}

} // namespace baisuu
