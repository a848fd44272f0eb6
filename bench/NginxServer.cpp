#include "NginxServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <curl/curl.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A port that nothing listens on now: the kernel's pick for a socket bound to port 0.
int freePort()
{
    const int socketHandle = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socketHandle < 0)
        return -1;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = -1;
    if (::bind(socketHandle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(socketHandle, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(socketHandle);
    return port;
}

size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// Whether the server answers a request for "/" with any status.
bool answers(const QString& url)
{
    CURL* curl = curl_easy_init();
    const QByteArray bytes = url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, bytes.constData());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 1000L);
    const bool answered = curl_easy_perform(curl) == CURLE_OK;
    curl_easy_cleanup(curl);
    return answered;
}

} // namespace

NginxServer::NginxServer(
    const QString& root, const QString& workDirectory, const QStringList& addresses, bool countBytes)
    : m_workDirectory(workDirectory)
    , m_port(freePort())
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("nginx"), { "/usr/sbin", "/sbin" });
    if (program.isEmpty() || m_port <= 0 || !QDir().mkpath(workDirectory))
        return;
    QString listen;
    for (const QString& address : addresses)
        listen += QStringLiteral("        listen %1:%2;\n").arg(address).arg(m_port);
    // As root nginx would hand its workers to "nobody", who may not read a private folder.
    const QString user = ::geteuid() == 0 ? QStringLiteral("user root;\n") : QString();
    const QString config = QStringLiteral("%1worker_processes 1;\n"
                                          "pid %2/nginx.pid;\n"
                                          "error_log %2/error.log;\n"
                                          "events { worker_connections 512; }\n"
                                          "http {\n"
                                          "%5"
                                          "    sendfile on;\n"
                                          "    tcp_nodelay on;\n"
                                          "    keepalive_requests 1000000;\n"
                                          "    keepalive_timeout 60s;\n"
                                          "    default_type text/html;\n"
                                          "    client_body_temp_path %2/body;\n"
                                          "    server {\n%3"
                                          "        root %4;\n"
                                          "    }\n"
                                          "}\n")
                               .arg(user, workDirectory, listen, root,
                                   countBytes ? QStringLiteral("    log_format bytes '$bytes_sent';\n"
                                                               "    access_log %1/access.log bytes;\n")
                                                    .arg(workDirectory)
                                              : QStringLiteral("    access_log off;\n"));
    QFile file(workDirectory + QStringLiteral("/nginx.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return;
    file.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program,
        { "-p", workDirectory, "-c", workDirectory + "/nginx.conf", "-e", workDirectory + "/error.log", "-g",
            "daemon off;" });
    if (!m_process.waitForStarted(10000))
        return;
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        if (answers(url(addresses.value(0), QStringLiteral("/")))) {
            m_ok = true;
            return;
        }
        QThread::msleep(20);
    }
}

NginxServer::~NginxServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // QUIT lets the workers finish and end with the master.
    ::kill(static_cast<pid_t>(m_process.processId()), SIGQUIT);
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString NginxServer::url(const QString& address, const QString& path) const
{
    return QStringLiteral("http://%1:%2%3").arg(address).arg(m_port).arg(path);
}

QString NginxServer::errors() const
{
    QFile log(m_workDirectory + QStringLiteral("/error.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QStringLiteral("(no error log)");
}

qint64 NginxServer::bytesSent() const
{
    QFile log(m_workDirectory + QStringLiteral("/access.log"));
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    qint64 bytes = 0;
    for (const QByteArray& line : log.readAll().split('\n'))
        bytes += line.toLongLong();
    return bytes;
}
