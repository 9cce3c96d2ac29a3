#pragma once
// A connection to the head office's PostgreSQL through libpq: statements with
// parameters, COPY in both directions, and every failure in words for the
// person who looks after the connection. libpq's own conventions (service
// files, PGSERVICE, ~/.pgpass, PGPASSFILE) apply to the connection string.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct pg_conn;

namespace baisuu {

// Why conninfo may not be used: it is no libpq connection string, or it holds
// a password, which belongs in ~/.pgpass (or PGPASSFILE), never in a data
// root or a command line that others may read.
std::optional<QString> ConninfoRefusal(const QString& conninfo);

// One field of a COPY line in text format: backslash, tab and line ends
// escaped; a null QByteArray is written as \N.
QByteArray CopyField(const QByteArray& value);
// A COPY line's fields read back (the inverse of CopyField).
QList<QByteArray> CopyFields(QByteArrayView line);

class PgConnection {
  public:
    PgConnection() = default;
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects; the failure says what to check.
    std::optional<QString> open(const QString& conninfo);
    bool isOpen() const { return conn_ != nullptr; }
    // Runs one statement with $1, $2 … as text parameters; the rows of its
    // result, each column as text (a null as a null QString), go to rows.
    std::optional<QString> exec(const QString& sql, const QStringList& params = {},
                                QList<QStringList>* rows = nullptr);
    // COPY … FROM STDIN in text format with data (whole lines).
    std::optional<QString> copyIn(const QString& copySql, const QByteArray& data);
    // COPY … TO STDOUT in text format: take gets each line without its line end.
    std::optional<QString> copyOut(const QString& copySql,
                                   const std::function<void(QByteArrayView line)>& take);
    // Ends the connection at once, as a process that dies does: an open
    // transaction is rolled back by the server.
    void close();
    // The SQLSTATE of the last statement that failed ("42501": not allowed).
    QString lastSqlState() const { return sqlState_; }

  private:
    QString failure(const QString& what) const;
    pg_conn* conn_ = nullptr;
    QString sqlState_;
};

} // namespace baisuu
