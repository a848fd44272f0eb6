// SQLite's result codes in words for the user.
#include "history/HistoryQuery.h"

#include "history/HistoryDatabase.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>

namespace {

QString reasonOf(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (!ok)
        return text;
    switch (code) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QCoreApplication::translate("History", "another program keeps it locked");
    case 13: // SQLITE_FULL
        return QCoreApplication::translate("History", "the disk is full");
    case 10: // SQLITE_IOERR: a write that failed part way, as on a disk that filled up
        return QCoreApplication::translate("History", "it cannot be written (%1)").arg(text);
    case 11: // SQLITE_CORRUPT
        return QCoreApplication::translate("History", "it is damaged (%1), and is left as it is").arg(text);
    case 26: // SQLITE_NOTADB
        return QCoreApplication::translate("History", "it is not a database, and is left as it is");
    case 8: // SQLITE_READONLY
    case 14: // SQLITE_CANTOPEN
        return QCoreApplication::translate("History", "it cannot be written (%1)").arg(text);
    default:
        return text;
    }
}

} // namespace

QString HistoryFailure(const QString& fileName, const QString& reason)
{
    return QCoreApplication::translate("History",
        "The history of the pages cannot be kept in \"%1\": %2. The checks go on with the "
        "snapshots.")
        .arg(QFileInfo(fileName).fileName(), reason);
}

void FailHistory(const QString& fileName, const QSqlError& error)
{
    throw HistoryError(HistoryFailure(fileName, reasonOf(error)));
}

HistoryQuery::HistoryQuery(const QString& connection, const QString& fileName, const QString& statement)
    : m_fileName(fileName)
    , m_query(QSqlDatabase::database(connection, false))
{
    m_query.setForwardOnly(true);
    if (!m_query.prepare(statement))
        FailHistory(m_fileName, m_query.lastError());
}

HistoryQuery& HistoryQuery::run()
{
    if (!m_query.exec())
        FailHistory(m_fileName, m_query.lastError());
    return *this;
}

qint64 HistoryQuery::single()
{
    run();
    const qint64 value = m_query.next() ? m_query.value(0).toLongLong() : 0;
    m_query.finish();
    return value;
}

HistoryTransaction::HistoryTransaction(const QString& connection, const QString& fileName)
    : m_connection(connection)
    , m_fileName(fileName)
{
    HistoryQuery(m_connection, m_fileName, QStringLiteral("BEGIN IMMEDIATE")).run();
}

HistoryTransaction::~HistoryTransaction()
{
    if (!m_committed)
        QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("ROLLBACK"));
}

void HistoryTransaction::commit()
{
    HistoryQuery(m_connection, m_fileName, QStringLiteral("COMMIT")).run();
    m_committed = true;
}
