// Why something failed, in the program's words. The core makes these texts in English, the
// words that the state file and the log keep, so that a data folder reads the same in every
// language and in earlier builds; the user reads them translated when they are shown.
#pragma once

#include <QString>
#include <QtGlobal>

#include <span>

namespace Reasons {

// Reasons with arguments, each %1, %2, ... a file name, an address, a time, or a reason in turn.
inline constexpr const char* kCannotWriteTo = QT_TRANSLATE_NOOP("FailureReason", "Cannot write to \"%1\": %2");
inline constexpr const char* kCannotMeasure = QT_TRANSLATE_NOOP("FailureReason", "Cannot measure \"%1\": %2");
inline constexpr const char* kCannotRemove = QT_TRANSLATE_NOOP("FailureReason", "Cannot remove \"%1\": %2");
inline constexpr const char* kCannotRename = QT_TRANSLATE_NOOP("FailureReason", "Cannot rename \"%1\" to \"%2\": %3");
inline constexpr const char* kCannotLink = QT_TRANSLATE_NOOP("FailureReason", "Cannot link \"%1\" to \"%2\": %3");
inline constexpr const char* kCannotCopy = QT_TRANSLATE_NOOP("FailureReason", "Cannot copy \"%1\" to \"%2\": %3");
inline constexpr const char* kCannotRead = QT_TRANSLATE_NOOP("FailureReason", "Cannot read \"%1\": %2");
inline constexpr const char* kSnapshotUnreadable
    = QT_TRANSLATE_NOOP("FailureReason", "The snapshot %1 cannot be read.");
inline constexpr const char* kSnapshotUnreadableBecause
    = QT_TRANSLATE_NOOP("FailureReason", "The snapshot %1 cannot be read: %2");
inline constexpr const char* kDownloadUnreadable
    = QT_TRANSLATE_NOOP("FailureReason", "The download %1 cannot be read.");
inline constexpr const char* kDownloadUnreadableBecause
    = QT_TRANSLATE_NOOP("FailureReason", "The download %1 cannot be read: %2");
//: %1 is a date and time, as in 12/08/26 09:30 PM
inline constexpr const char* kServerAskedToWait
    = QT_TRANSLATE_NOOP("FailureReason", "the server asked to wait until %1");
inline constexpr const char* kFileCannotGrow
    = QT_TRANSLATE_NOOP("FailureReason", "the disk is full or the file cannot grow (%1 of %2 bytes written).");

// The reasons above, for the translation of a text that holds one.
std::span<const char* const> WithArguments();

// `text` in the user's language where it is one of the program's reasons (whole, or one of the
// reasons with arguments, each argument translated in turn) or one of Qt's words for the
// commonest system errors; any other text as it came, as a server's or a library's own words.
QString Translated(const QString& text);

} // namespace Reasons
