// Pages for the history's tests: an article of paragraphs of words, which a test changes one
// paragraph at a time, as a news page changes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

// The paragraphs of an article of about `bytes` bytes, the same for the same `draw`.
inline QList<QByteArray> ArticleParagraphs(qsizetype bytes, quint32 draw)
{
    static const char* const words[] = { "council", "river", "the", "market", "of", "new", "said", "bridge", "and",
        "school", "week", "a", "plans", "road", "mayor", "in", "budget", "to", "residents", "station" };
    QRandomGenerator random(draw);
    QList<QByteArray> paragraphs;
    qsizetype total = 0;
    while (total < bytes) {
        QByteArray paragraph = "<p>";
        while (paragraph.size() < 300)
            paragraph += QByteArray(words[random.bounded(20)]) + ' ';
        paragraph += "</p>\r\n";
        total += paragraph.size();
        paragraphs.append(paragraph);
    }
    return paragraphs;
}

inline QByteArray JoinPage(const QList<QByteArray>& paragraphs)
{
    return "<html><body>\r\n" + paragraphs.join() + "</body></html>\r\n";
}

// The article with paragraph `which` rewritten for the `version`th time.
inline QByteArray ChangedArticle(QList<QByteArray> paragraphs, qsizetype which, quint32 version)
{
    paragraphs[which] = ArticleParagraphs(300, version * 7919 + 1).first();
    return JoinPage(paragraphs);
}
