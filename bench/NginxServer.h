// nginx (Debian's nginx-light) started by a benchmark as an unprivileged server on loopback
// addresses, serving the files under a folder, with its configuration, logs and temporary
// folders in a folder of its own. It stops when the object goes.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class NginxServer {
public:
    // Serves `root` on every address of `addresses` ("127.0.0.1", ...) at one free port.
    // ok() tells whether it came up. With `countBytes` it logs the bytes of every answer.
    NginxServer(
        const QString& root, const QString& workDirectory, const QStringList& addresses, bool countBytes = false);
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    bool ok() const { return m_ok; }
    int port() const { return m_port; }
    // "http://<address>:<port><path>"
    QString url(const QString& address, const QString& path) const;
    // The bytes nginx has put on the wire so far, headers included, when it counts them.
    qint64 bytesSent() const;
    // What nginx said, for a failure message.
    QString errors() const;

private:
    QProcess m_process;
    QString m_workDirectory;
    int m_port = -1;
    bool m_ok = false;
};
