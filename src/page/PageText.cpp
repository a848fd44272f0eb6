// A page's text on libxml2's HTML parser, which takes the page as UTF-8: a page in another
// character set is decoded first.
#include "page/PageText.h"

#include "page/ParsedPage.h"

#include <QDeadlineTimer>
#include <QStringDecoder>

#include <algorithm>
#include <utility>

namespace {

bool isUtf8Name(const QByteArray& name)
{
    // Pages that claim UTF-16 in a meta tag are read as UTF-8, as browsers do: a page whose
    // tag could be read was not UTF-16.
    return name.isEmpty() || name == "utf-8" || name == "utf8" || name == "unicode-1-1-utf-8"
        || name.startsWith("utf-16") || name == "unicode";
}

// Browsers read pages labelled Latin-1 or ASCII as Windows-1252, and GB2312 as GBK; their
// authors wrote them in what the browser showed.
QByteArray decoderName(const QByteArray& name)
{
    static const char* const latin1Labels[]
        = { "iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "us-ascii", "ascii", "cp819", "ibm819" };
    for (const char* label : latin1Labels) {
        if (name == label)
            return "windows-1252";
    }
    if (name == "gb2312" || name == "gb_2312-80" || name == "x-gbk" || name == "chinese")
        return "GBK";
    return name;
}

} // namespace

QString DecodePageBytes(QByteArrayView bytes, const QByteArray& charset)
{
    const QByteArray name = decoderName(charset.trimmed().toLower());
    QString text;
    if (isUtf8Name(name)) {
        text = QString::fromUtf8(bytes);
    } else {
        QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
        if (!decoder.isValid()) {
            text = QString::fromUtf8(bytes);
        } else {
            text = decoder.decode(bytes);
            // Qt hands the sets it does not know itself to ICU, which marks bad bytes with
            // SUB (U+001A) rather than the replacement character; SUB is a control character
            // that no page shows, so it is replaced below with the rest.
        }
    }
    for (QChar& character : text) {
        const char16_t code = character.unicode();
        if (code < 0x20 && code != u'\t' && code != u'\n' && code != u'\r' && code != u'\f')
            character = QChar::ReplacementCharacter;
    }
    return text;
}

QByteArray PageBytesAsUtf8(QByteArrayView bytes, const QByteArray& charset)
{
    // Most pages are clean UTF-8 and go to the parser as they are.
    if (isUtf8Name(decoderName(charset.trimmed().toLower())) && bytes.isValidUtf8()
        && std::none_of(bytes.begin(), bytes.end(), [](char byte) {
               return static_cast<unsigned char>(byte) < 0x20 && byte != '\t' && byte != '\n' && byte != '\r'
                   && byte != '\f';
           }))
        return QByteArray::fromRawData(bytes.data(), bytes.size());
    return DecodePageBytes(bytes, charset).toUtf8();
}

PageText::PageText(QByteArrayView page, QDeadlineTimer deadline)
    : m_page(page.toByteArray())
    , m_deadline(deadline)
    , m_declaredCharset(DeclaredCharset(m_page, deadline))
{
}

QString PageText::decoded() const
{
    return DecodePageBytes(m_page, m_declaredCharset);
}

std::optional<QStringList> PageText::readableLines() const
{
    const ParsedPage parsed(m_page, m_declaredCharset, m_deadline);
    if (!parsed.document())
        return std::nullopt;
    QStringList lines;
    for (ReadableLine& line : ReadableLinesOf({ parsed.root() }, false))
        lines.append(std::move(line.text));
    return lines;
}

QStringList PageText::sourceLines() const
{
    QStringList lines = decoded().split(QLatin1Char('\n'));
    // Every line of a snapshot ends with CR LF, so the text after the last one is empty.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // A carriage return or form feed inside a line would break the line in the view.
        for (QChar& character : line) {
            if (character == QLatin1Char('\r') || character == QLatin1Char('\f'))
                character = QChar::ReplacementCharacter;
        }
    }
    return lines;
}
