// The translators of the program's texts for one language: Qt's own (the standard buttons and
// dialogs) and Nelvox's, both removed again when the object ends.
#pragma once

#include <QLocale>
#include <QTranslator>

class Translators {
public:
    // Loads the first of `locale`'s languages that Nelvox has a translation for; English texts,
    // with no translator at all, where none fits.
    explicit Translators(const QLocale& locale);
    ~Translators();
    Translators(const Translators&) = delete;
    Translators& operator=(const Translators&) = delete;

    // Whether Nelvox's own texts are translated (false for English).
    bool translated() const { return m_nelvoxInstalled; }

private:
    QTranslator m_qt;
    QTranslator m_nelvox;
    bool m_qtInstalled = false;
    bool m_nelvoxInstalled = false;
};
