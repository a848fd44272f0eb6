// The statements of the history's connection: each one that fails throws HistoryError with the
// database's reason in words, and a write transaction that is rolled back unless committed.
#pragma once

#include <QDateTime>
#include <QSqlQuery>
#include <QTimeZone>
#include <QString>
#include <QVariant>

class QSqlError;

// The history keeps times as milliseconds since the epoch.
inline qint64 toMs(const QDateTime& time)
{
    return time.toMSecsSinceEpoch();
}
inline QDateTime fromMs(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

// The message that the history of `fileName` cannot be kept, and why.
QString HistoryFailure(const QString& fileName, const QString& reason);
// Throws HistoryError for `error` of the database in `fileName`.
[[noreturn]] void FailHistory(const QString& fileName, const QSqlError& error);

class HistoryQuery {
public:
    // `connection` names the Qt connection, `fileName` the file its failures name.
    HistoryQuery(const QString& connection, const QString& fileName, const QString& statement);
    HistoryQuery& bind(const QVariant& value)
    {
        m_query.addBindValue(value);
        return *this;
    }
    HistoryQuery& run();
    bool next() { return m_query.next(); }
    QVariant value(int column) const { return m_query.value(column); }
    qint64 number(int column) const { return m_query.value(column).toLongLong(); }
    qint64 lastInsertId() const { return m_query.lastInsertId().toLongLong(); }
    // Runs a statement of one value and ends it, so that no read stays open: 0 for no row.
    qint64 single();

private:
    QString m_fileName;
    QSqlQuery m_query;
};

// Takes the write lock at once, so that a history another program holds fails here rather
// than halfway.
class HistoryTransaction {
public:
    HistoryTransaction(const QString& connection, const QString& fileName);
    ~HistoryTransaction();
    HistoryTransaction(const HistoryTransaction&) = delete;
    HistoryTransaction& operator=(const HistoryTransaction&) = delete;
    void commit();

private:
    QString m_connection;
    QString m_fileName;
    bool m_committed = false;
};
