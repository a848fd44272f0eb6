#include "UrlRecorder.h"

#include <QDesktopServices>

UrlRecorder::UrlRecorder(QStringList schemes)
    : m_schemes(std::move(schemes))
{
    for (const QString& scheme : m_schemes)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

UrlRecorder::~UrlRecorder()
{
    for (const QString& scheme : m_schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void UrlRecorder::open(const QUrl& url) { m_urls.append(url); }
