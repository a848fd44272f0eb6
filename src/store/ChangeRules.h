// What counts as a change of each favorite's page, kept beside the favorites file in
// "nelvox.rules": the favorites file keeps the format every earlier build and other programs
// read. A plain text file a user can read and edit, one block per address; a favorite without
// a block of its own has the Page length rule, so a list without the file behaves as it always
// did. Lines a block does not know are kept.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class FavoritesList;

inline constexpr const char* kRulesFileName = "nelvox.rules";

struct ChangeRule {
    enum class Kind {
        // The page changed when its length in bytes differs from the snapshot's.
        PageLength,
        // The page changed when the text a reader sees differs, under the options below.
        PageText,
    };
    Kind kind = Kind::PageLength;
    // Page text: the target of every link is compared too.
    bool linkAddresses = true;
    // Page text: digits do not count.
    bool ignoreNumbers = false;
    // Page text: a line of the text that contains one of these (in any case) does not count;
    // one written /.../ is a regular expression.
    QStringList ignoreLines;
    // Page text: when not empty, only the text of the elements this CSS selector or XPath
    // expression matches is compared.
    QString part;
    // Page text: what changes by itself does not count: relative times ("9 minutes ago") are
    // compared as relative times, and the lines and link targets whose shape (numbers and
    // tokens masked, see MaskedShape) is learned below count as that shape.
    bool ignoreSelfChanging = false;
    // The shapes of the lines and of the link targets found changing by themselves, as
    // written in the rules file: "#" stands for a number or token, one "*" for any text.
    QStringList learnedLines {};
    QStringList learnedLinks {};

    // Page text with the options the dialog first offers.
    static ChangeRule pageText()
    {
        ChangeRule rule;
        rule.kind = Kind::PageText;
        return rule;
    }
    bool isPageLength() const { return kind == Kind::PageLength; }
    bool operator==(const ChangeRule&) const = default;
};

// Whether a learned shape read from a rules file is one: one line, not too long, at most one
// "*", and something else than "#", "*" and white space in it.
bool IsValidShape(const QString& shape);

class ChangeRules {
public:
    // Reads the file. Returns false, leaving every favorite on Page length, when it is there
    // but cannot be read; a missing file is no fault. A line that cannot be read loses only
    // itself, and is written back as it was. A file that could not be read is not written
    // over by save(): the user's rules in it stay for a later start.
    bool load(const QString& fileName = QString::fromLatin1(kRulesFileName));
    // Writes the rules of the addresses in `list` that have one, in one step. Throws FileError.
    void save(const FavoritesList& list, const QString& fileName = QString::fromLatin1(kRulesFileName)) const;

    // The rule of `address`: Page length when it has none of its own.
    ChangeRule rule(const QString& address) const;
    void setRule(const QString& address, const ChangeRule& rule);
    // Edit that changes an address carries the rule along.
    void rename(const QString& from, const QString& to);
    void remove(const QString& address);
    QStringList addresses() const { return m_rules.keys(); }

private:
    struct Entry {
        ChangeRule rule;
        QStringList otherLines;
    };
    QHash<QString, Entry> m_rules;
    QStringList m_leadingLines;
    bool m_unreadable = false;
};
