// Nelvox's translations are built into the program under :/i18n; Qt's come from the system.
#include "app/Translators.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace {

// Qt's French has no words for the kinds of files that its file dialog lists ("Folder"), so that
// Import's dialog would show them in English; Nelvox's translations give them where Qt's have
// no word.
[[maybe_unused]] const char* const kQtFileKinds[] = {
    QT_TRANSLATE_NOOP("QAbstractFileIconProvider", "Folder"),
    QT_TRANSLATE_NOOP("QAbstractFileIconProvider", "File"),
    QT_TRANSLATE_NOOP("QAbstractFileIconProvider", "Drive"),
    QT_TRANSLATE_NOOP("QAbstractFileIconProvider", "Shortcut"),
    QT_TRANSLATE_NOOP("QAbstractFileIconProvider", "Unknown"),
};

} // namespace

Translators::Translators(const QLocale& locale)
{
    // QTranslator::load(QLocale, ...) walks the locale's languages in the user's order
    // (LANGUAGE=fr:de tries French first) and takes the first file found.
    m_nelvoxInstalled = m_nelvox.load(locale, QStringLiteral("nelvox"), QStringLiteral("_"), QStringLiteral(":/i18n"))
        && QCoreApplication::installTranslator(&m_nelvox);
    if (!m_nelvoxInstalled)
        return;
    // Qt's buttons follow the language Nelvox speaks, so that one box never mixes two.
    const QLocale spoken(m_nelvox.language());
    m_qtInstalled = m_qt.load(spoken, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(&m_qt);
}

Translators::~Translators()
{
    if (m_nelvoxInstalled)
        QCoreApplication::removeTranslator(&m_nelvox);
    if (m_qtInstalled)
        QCoreApplication::removeTranslator(&m_qt);
}
