// Failures of our platform layer. The operations throw, the commands catch where the
// program's rules say, and the main window shows whatever escapes a command.
#pragma once

#include <QString>

#include <exception>

class NelvoxError : public std::exception {
public:
    explicit NelvoxError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }

    // The text for the user: the operation, the file or address, and the system's reason.
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

class FileError : public NelvoxError {
public:
    enum class Cause { Other, NotFound };

    FileError(QString message, Cause cause = Cause::Other)
        : NelvoxError(std::move(message))
        , m_cause(cause)
    {
    }

    // True when the file named by the operation does not exist.
    bool isNotFound() const noexcept { return m_cause == Cause::NotFound; }

private:
    Cause m_cause;
};

class InternetError : public NelvoxError {
public:
    using NelvoxError::NelvoxError;
};
