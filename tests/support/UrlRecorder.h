// Stands in for the desktop's browser: records every address that the program asks the
// desktop to open, for the schemes given, instead of opening it.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    explicit UrlRecorder(QStringList schemes = { "http", "https", "ftp", "file" });
    ~UrlRecorder() override;

    const QList<QUrl>& urls() const { return m_urls; }

public slots:
    void open(const QUrl& url);

private:
    QStringList m_schemes;
    QList<QUrl> m_urls;
};
