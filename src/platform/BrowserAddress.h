// Which favorite addresses the browser is given. A favorite's address is whatever the user
// typed or the favorites file held, so only web addresses leave the program.
#pragma once

#include <QString>
#include <QUrl>

// The address as the browser should open it: http, https and ftp addresses as they stand,
// an address without a scheme as http://. Empty for anything else: local paths, file:
// addresses, other schemes, text with blanks or control characters.
QUrl BrowserUrl(const QString& address);

// The scheme of an address in lower case ("http" of "HTTP://host/"), or empty when it has none.
// "host:8080/page" names a port, not a scheme called "host".
QString AddressScheme(const QString& address);
