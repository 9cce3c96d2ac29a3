#include "chain/pg_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace baisuu {

namespace {

struct ResultFree {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultFree>;

QString serverText(const char* message) {
    return QString::fromUtf8(message).trimmed();
}

} // namespace

std::optional<QString> ConninfoRefusal(const QString& conninfo) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
    if (!options) {
        const QString why = error ? serverText(error) : QString();
        PQfreemem(error);
        return QStringLiteral("データベースの指定が読めません（%1）。"
                              "libpq の接続文字列（host=… dbname=…）か "
                              "postgresql:// で始まる URI を指定してください。")
            .arg(why);
    }
    bool password = false;
    for (PQconninfoOption* o = options; o->keyword; ++o)
        if (qstrcmp(o->keyword, "password") == 0 && o->val && *o->val) password = true;
    PQconninfoFree(options);
    if (password)
        return QStringLiteral("データベースの指定にパスワードが書かれています。パスワードは"
                              "接続文字列に書かず、~/.pgpass（または PGPASSFILE の指すファイル）"
                              "に書いてください。");
    return std::nullopt;
}

QByteArray CopyField(const QByteArray& value) {
    if (value.isNull()) return QByteArrayLiteral("\\N");
    QByteArray out;
    out.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QList<QByteArray> CopyFields(QByteArrayView line) {
    QList<QByteArray> fields;
    for (qsizetype at = 0; at <= line.size();) {
        qsizetype end = line.indexOf('\t', at);
        if (end < 0) end = line.size();
        const QByteArrayView field = line.sliced(at, end - at);
        at = end + 1;
        if (field == "\\N") {
            fields.append(QByteArray());
            continue;
        }
        QByteArray out("");
        for (qsizetype i = 0; i < field.size(); ++i) {
            char c = field[i];
            if (c == '\\' && i + 1 < field.size()) {
                const char next = field[++i];
                c = next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
            }
            out += c;
        }
        fields.append(out);
    }
    return fields;
}

PgConnection::~PgConnection() {
    close();
}

void PgConnection::close() {
    if (conn_) PQfinish(conn_);
    conn_ = nullptr;
}

QString PgConnection::failure(const QString& what) const {
    return QStringLiteral("%1（%2）")
        .arg(what, conn_ ? serverText(PQerrorMessage(conn_)) : QString());
}

std::optional<QString> PgConnection::open(const QString& conninfo) {
    if (auto refusal = ConninfoRefusal(conninfo)) return refusal;
    close();
    // A host that does not answer would hold a connection attempt for minutes
    // (the program's end waits for its daily sync): ten seconds unless the
    // connection string or PGCONNECT_TIMEOUT says otherwise, as the
    // expanded connection string, coming later, overrides the default.
    const QByteArray text = conninfo.toUtf8();
    const char* const keywords[] = {"connect_timeout", "dbname", nullptr};
    const char* const values[] = {qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT") ? nullptr : "10",
                                  text.constData(), nullptr};
    conn_ = PQconnectdbParams(keywords, values, 1);
    if (PQstatus(conn_) != CONNECTION_OK) {
        const QString why = failure(QStringLiteral(
            "データベースにつながりません。接続先、ユーザー名と ~/.pgpass のパスワード、"
            "サーバーが動いているかを確かめてください"));
        close();
        return why;
    }
    PQsetClientEncoding(conn_, "UTF8");
    // Notices (a table that already exists, say) are no news to anybody.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    return std::nullopt;
}

std::optional<QString> PgConnection::exec(const QString& sql, const QStringList& params,
                                          QList<QStringList>* rows) {
    if (!conn_) return QStringLiteral("データベースにつながっていません。");
    QList<QByteArray> values;
    for (const QString& p : params)
        values.append(p.toUtf8());
    std::vector<const char*> pointers;
    for (qsizetype i = 0; i < values.size(); ++i)
        pointers.push_back(params[i].isNull() ? nullptr : values[i].constData());
    const Result r(PQexecParams(conn_, sql.toUtf8().constData(), int(pointers.size()), nullptr,
                                pointers.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        sqlState_ = QString::fromLatin1(PQresultErrorField(r.get(), PG_DIAG_SQLSTATE));
        return failure(QStringLiteral("データベースが命令を受け付けませんでした"));
    }
    if (rows) {
        rows->clear();
        for (int row = 0; row < PQntuples(r.get()); ++row) {
            QStringList cells;
            for (int col = 0; col < PQnfields(r.get()); ++col)
                cells << (PQgetisnull(r.get(), row, col)
                              ? QString()
                              : QString::fromUtf8(PQgetvalue(r.get(), row, col)));
            rows->append(cells);
        }
    }
    return std::nullopt;
}

std::optional<QString> PgConnection::copyIn(const QString& copySql, const QByteArray& data) {
    if (!conn_) return QStringLiteral("データベースにつながっていません。");
    {
        const Result r(PQexec(conn_, copySql.toUtf8().constData()));
        if (PQresultStatus(r.get()) != PGRES_COPY_IN)
            return failure(QStringLiteral("データベースがデータを受け付けませんでした"));
    }
    // In pieces, so a large table never needs a second copy of itself.
    constexpr qsizetype kPiece = 1 << 20;
    for (qsizetype at = 0; at < data.size(); at += kPiece) {
        const qsizetype n = std::min(kPiece, data.size() - at);
        if (PQputCopyData(conn_, data.constData() + at, int(n)) != 1)
            return failure(QStringLiteral("データベースへデータを送れませんでした"));
    }
    if (PQputCopyEnd(conn_, nullptr) != 1)
        return failure(QStringLiteral("データベースへデータを送れませんでした"));
    std::optional<QString> error;
    while (PGresult* raw = PQgetResult(conn_)) {
        const Result r(raw);
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK && !error) {
            sqlState_ = QString::fromLatin1(PQresultErrorField(r.get(), PG_DIAG_SQLSTATE));
            error = failure(QStringLiteral("データベースがデータを受け付けませんでした"));
        }
    }
    return error;
}

std::optional<QString> PgConnection::copyOut(const QString& copySql,
                                             const std::function<void(QByteArrayView)>& take) {
    if (!conn_) return QStringLiteral("データベースにつながっていません。");
    {
        const Result r(PQexec(conn_, copySql.toUtf8().constData()));
        if (PQresultStatus(r.get()) != PGRES_COPY_OUT)
            return failure(QStringLiteral("データベースから読めませんでした"));
    }
    char* line = nullptr;
    int n = 0;
    while ((n = PQgetCopyData(conn_, &line, 0)) > 0) {
        QByteArrayView view(line, n);
        if (view.endsWith('\n')) view.chop(1);
        take(view);
        PQfreemem(line);
    }
    std::optional<QString> error;
    if (n == -2) error = failure(QStringLiteral("データベースから読めませんでした"));
    while (PGresult* raw = PQgetResult(conn_)) {
        const Result r(raw);
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK && !error)
            error = failure(QStringLiteral("データベースから読めませんでした"));
    }
    return error;
}

} // namespace baisuu
