// The page check: a favorite's page is downloaded again and compared by length with its
// snapshot file; a different length makes the download the new snapshot and marks the row.
#pragma once

#include "update/SnapshotName.h"

#include <QString>

class FavoritesList;
class InternetSession;

// Opens the page, then writes it into the named file line by line, each line followed by
// CR LF. False when the file cannot be created. Failures of the download or of writing
// throw InternetError or FileError; the file is closed in every case.
bool DownloadPage(InternetSession& session, const QString& address, const QString& fileName);

// Checks the favorite in `row` whose Web Site text is `address`. True when the page's
// length changed: the download then is the snapshot, Last Updated holds the current time
// and CHANGED is "YES". Failures throw as for DownloadPage.
bool CheckPage(InternetSession& session, FavoritesList& list, int row, const QString& address);
