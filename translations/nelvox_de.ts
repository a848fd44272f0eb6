<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Bookmarks</name>
    <message>
        <source>Cannot read the bookmarks in &quot;%1&quot;: %2</source>
        <translation>Die Lesezeichen in „%1“ können nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>the file cannot be opened (%1).</source>
        <translation>Die Datei lässt sich nicht öffnen (%1).</translation>
    </message>
    <message>
        <source>the file cannot be read (%1).</source>
        <translation>Die Datei lässt sich nicht lesen (%1).</translation>
    </message>
    <message>
        <source>it is not a bookmarks file. Nelvox reads the bookmarks HTML file that browsers export, Chromium&apos;s and Google Chrome&apos;s &quot;Bookmarks&quot; file and Firefox&apos;s &quot;places.sqlite&quot;.</source>
        <translation>Die Datei ist keine Lesezeichendatei. Nelvox liest die Lesezeichen-HTML-Datei, die Browser exportieren, die Datei „Bookmarks“ von Chromium und Google Chrome und die Datei „places.sqlite“ von Firefox.</translation>
    </message>
    <message>
        <source>it holds no bookmarks.</source>
        <translation>Die Datei enthält keine Lesezeichen.</translation>
    </message>
    <message>
        <source>its folders are nested deeper than Nelvox can read.</source>
        <translation>Die Ordner der Datei sind tiefer verschachtelt, als Nelvox lesen kann.</translation>
    </message>
    <message>
        <source>it is cut short or damaged (%1 at byte %2).</source>
        <translation>Die Datei ist unvollständig oder beschädigt (%1 bei Byte %2).</translation>
    </message>
    <message>
        <source>it is a JSON file but not a Chromium or Google Chrome bookmarks file.</source>
        <translation>Die Datei ist eine JSON-Datei, aber keine Lesezeichendatei von Chromium oder Google Chrome.</translation>
    </message>
    <message>
        <source>Not an http, https or file address</source>
        <translation>Keine http-, https- oder file-Adresse</translation>
    </message>
    <message>
        <source>No address</source>
        <translation>Keine Adresse</translation>
    </message>
    <message>
        <source>The address contains a space</source>
        <translation>Die Adresse enthält ein Leerzeichen</translation>
    </message>
    <message>
        <source>Cannot export the favorites to &quot;%1&quot;: %2</source>
        <translation>Die Favoriten können nicht nach „%1“ exportiert werden: %2</translation>
    </message>
    <message>
        <source>Bookmarks Menu</source>
        <translation>Lesezeichen-Menü</translation>
    </message>
    <message>
        <source>Bookmarks Toolbar</source>
        <translation>Lesezeichen-Symbolleiste</translation>
    </message>
    <message>
        <source>Other Bookmarks</source>
        <translation>Weitere Lesezeichen</translation>
    </message>
    <message>
        <source>Mobile Bookmarks</source>
        <translation>Mobile Lesezeichen</translation>
    </message>
    <message>
        <source>it is damaged (%1).</source>
        <translation>Die Datei ist beschädigt (%1).</translation>
    </message>
    <message>
        <source>its tables are not those of Firefox&apos;s bookmarks (schema version %1: %2).</source>
        <translation>Ihre Tabellen sind nicht die der Lesezeichen von Firefox (Schemaversion %1: %2).</translation>
    </message>
    <message>
        <source>Qt&apos;s SQLite driver is not installed (Debian: libqt6sql6-sqlite).</source>
        <translation>Der SQLite-Treiber von Qt ist nicht installiert (Debian: libqt6sql6-sqlite).</translation>
    </message>
    <message>
        <source>no copy of it could be made to read (%1).</source>
        <translation>Es ließ sich keine Kopie zum Lesen anlegen (%1).</translation>
    </message>
    <message>
        <source>no copy of its log could be made to read (%1).</source>
        <translation>Es ließ sich keine Kopie ihres Protokolls zum Lesen anlegen (%1).</translation>
    </message>
    <message>
        <source>it cannot be opened as a database (%1).</source>
        <translation>Die Datei lässt sich nicht als Datenbank öffnen (%1).</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Nelvox</source>
        <translation>Über Nelvox</translation>
    </message>
    <message>
        <source>Nelvox Version</source>
        <translation>Nelvox Version</translation>
    </message>
    <message>
        <source>Watches your favorite pages for changes.</source>
        <translation>Beobachtet Ihre Lieblingsseiten auf Änderungen.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Nelvox Version %1</source>
        <translation>Nelvox Version %1</translation>
    </message>
</context>
<context>
    <name>CAddEditDlg</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>ADD OR EDIT FAVORITE</source>
        <translation>FAVORIT HINZUFÜGEN ODER BEARBEITEN</translation>
    </message>
    <message>
        <source>Type name of website (include &quot;http://&quot;):</source>
        <translation>Adresse der Website eingeben (mit „http://“):</translation>
    </message>
    <message>
        <source>How often do you want to check for updates?</source>
        <translation>Wie oft soll nach Änderungen gesucht werden?</translation>
    </message>
    <message>
        <source>Hourly</source>
        <translation>Stündlich</translation>
    </message>
    <message>
        <source>Daily (at 5 PM)</source>
        <translation>Täglich (um 17 Uhr)</translation>
    </message>
    <message>
        <source>Weekly (Fridays at 5 PM)</source>
        <translation>Wöchentlich (freitags um 17 Uhr)</translation>
    </message>
    <message>
        <source>Monthly (First day of the month, 5 PM)</source>
        <translation>Monatlich (am Ersten des Monats, 17 Uhr)</translation>
    </message>
    <message>
        <source>What counts as a change</source>
        <translation>Was als Änderung zählt</translation>
    </message>
    <message>
        <source>Page &amp;length: the page&apos;s size in bytes differs</source>
        <translation>Seiten&amp;länge: die Größe der Seite in Bytes ändert sich</translation>
    </message>
    <message>
        <source>Page &amp;text: the text a reader sees differs</source>
        <translation>Seiten&amp;text: der Text, den ein Leser sieht, ändert sich</translation>
    </message>
    <message>
        <source>Lin&amp;k addresses count</source>
        <translation>Lin&amp;kadressen zählen mit</translation>
    </message>
    <message>
        <source>Ignore:</source>
        <translation>Ignorieren:</translation>
    </message>
    <message>
        <source>&amp;Numbers</source>
        <translation>&amp;Zahlen</translation>
    </message>
    <message>
        <source>Lines &amp;containing (one per line; /.../ is a regular expression):</source>
        <translation>Zeilen &amp;mit (eine pro Zeile; /.../ ist ein regulärer Ausdruck):</translation>
    </message>
    <message>
        <source>Only &amp;part of the page (CSS selector or XPath), empty for all:</source>
        <translation>Nur &amp;ein Teil der Seite (CSS-Selektor oder XPath), leer für alles:</translation>
    </message>
    <message>
        <source>Please enter a Web site.</source>
        <translation>Bitte geben Sie eine Website ein.</translation>
    </message>
    <message>
        <source>A Web site address cannot contain spaces.</source>
        <translation>Die Adresse einer Website darf keine Leerzeichen enthalten.</translation>
    </message>
    <message>
        <source>Nelvox can watch http://, https:// and file:// addresses.</source>
        <translation>Nelvox kann http://-, https://- und file://-Adressen beobachten.</translation>
    </message>
    <message>
        <source>The regular expression %1 is not valid at character %2: %3.</source>
        <translation>Der reguläre Ausdruck %1 ist bei Zeichen %2 ungültig: %3.</translation>
    </message>
    <message>
        <source>Add or Edit Favorite</source>
        <translation>Favorit hinzufügen oder bearbeiten</translation>
    </message>
    <message>
        <source>The part of the page &quot;%1&quot; cannot be used: %2</source>
        <translation>Der Teil der Seite „%1“ kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>Counters, relative times and what differs at every load of the page do not count: Nelvox loads a changed page once more to tell them apart</source>
        <translation>Zähler, relative Zeitangaben und was bei jedem Laden der Seite anders ist, zählen nicht: Nelvox lädt eine geänderte Seite ein zweites Mal, um sie zu unterscheiden</translation>
    </message>
    <message>
        <source>What changes by &amp;itself</source>
        <translation>Was sich &amp;von selbst ändert</translation>
    </message>
</context>
<context>
    <name>CChangesDlg</name>
    <message>
        <source>Web Site:</source>
        <translation>Website:</translation>
    </message>
    <message>
        <source>Earlier copy:</source>
        <translation>Frühere Kopie:</translation>
    </message>
    <message>
        <source>Latest copy:</source>
        <translation>Neueste Kopie:</translation>
    </message>
    <message>
        <source>A change is:</source>
        <translation>Eine Änderung ist:</translation>
    </message>
    <message>
        <source>Co&amp;mpare:</source>
        <translation>&amp;Vergleichen:</translation>
    </message>
    <message>
        <source>&amp;with</source>
        <translation>&amp;mit</translation>
    </message>
    <message>
        <source>for this favorite</source>
        <translation>für diesen Favoriten</translation>
    </message>
    <message>
        <source>Show page &amp;source</source>
        <translation>Seiten&amp;quelltext anzeigen</translation>
    </message>
    <message>
        <source>&amp;Open this copy</source>
        <translation>Diese Kopie ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>1 line</source>
        <translation>1 Zeile</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 Zeilen</translation>
    </message>
    <message>
        <source>none</source>
        <comment>no copy</comment>
        <translation>keine</translation>
    </message>
    <message>
        <source>the page&apos;s length in bytes differs (Page length).</source>
        <translation>die Länge der Seite in Bytes ändert sich (Seitenlänge).</translation>
    </message>
    <message>
        <source>the text a reader sees differs (Page text)</source>
        <translation>der Text, den ein Leser sieht, ändert sich (Seitentext)</translation>
    </message>
    <message>
        <source>link addresses count</source>
        <translation>Linkadressen zählen mit</translation>
    </message>
    <message>
        <source>link addresses do not count</source>
        <translation>Linkadressen zählen nicht</translation>
    </message>
    <message>
        <source>numbers are ignored</source>
        <translation>Zahlen werden ignoriert</translation>
    </message>
    <message>
        <source>lines containing %1 are ignored</source>
        <translation>Zeilen mit %1 werden ignoriert</translation>
    </message>
    <message>
        <source>only the part %1 counts</source>
        <translation>nur der Teil %1 zählt</translation>
    </message>
    <message>
        <source>; </source>
        <comment>between the parts of a rule</comment>
        <translation>; </translation>
    </message>
    <message>
        <source>.</source>
        <comment>after a rule</comment>
        <translation>.</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>Änderungen</translation>
    </message>
    <message>
        <source>Nelvox could not read this copy of the page from its history:

%1</source>
        <translation>Nelvox konnte diese Kopie der Seite nicht aus seinem Verlauf lesen:

%1</translation>
    </message>
    <message>
        <source>%1, when you last looked; 1 copy lies between them</source>
        <translation>%1, als Sie zuletzt nachgesehen haben; 1 Kopie liegt dazwischen</translation>
    </message>
    <message>
        <source>%1, when you last looked; %2 copies lie between them</source>
        <translation>%1, als Sie zuletzt nachgesehen haben; %2 Kopien liegen dazwischen</translation>
    </message>
    <message>
        <source>%1; 1 copy lies between them</source>
        <translation>%1; 1 Kopie liegt dazwischen</translation>
    </message>
    <message>
        <source>%1; %2 copies lie between them</source>
        <translation>%1; %2 Kopien liegen dazwischen</translation>
    </message>
    <message>
        <source>&amp;Earlier copy, %1</source>
        <translation>Frühere &amp;Kopie, %1</translation>
    </message>
    <message>
        <source>Nelvox could not hand this copy to a web browser:

%1</source>
        <translation>Nelvox konnte diese Kopie nicht an einen Webbrowser übergeben:

%1</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Web pages (*.html *.htm);;All files (*)</source>
        <translation>Webseiten (*.html *.htm);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Nelvox could not save &quot;%1&quot;: %2</source>
        <translation>Nelvox konnte „%1“ nicht speichern: %2</translation>
    </message>
    <message>
        <source>Only the markup changed.</source>
        <translation>Nur das Markup hat sich geändert.</translation>
    </message>
    <message>
        <source>&amp;Ignore markup changes</source>
        <translation>Markup-Änderungen &amp;ignorieren</translation>
    </message>
    <message>
        <source>Only numbers changed.</source>
        <translation>Nur Zahlen haben sich geändert.</translation>
    </message>
    <message>
        <source>&amp;Ignore numbers</source>
        <translation>Zahlen &amp;ignorieren</translation>
    </message>
    <message>
        <source>No earlier copy of this page is kept yet; the next change will be shown here.</source>
        <translation>Von dieser Seite ist noch keine frühere Kopie vorhanden; die nächste Änderung wird hier gezeigt.</translation>
    </message>
    <message>
        <source>This page is too large to compare.</source>
        <translation>Diese Seite ist zu groß für einen Vergleich.</translation>
    </message>
    <message>
        <source>This page is too large to compare by its text: its checks compare its length.</source>
        <translation>Diese Seite ist zu groß, um ihren Text zu vergleichen: Ihre Prüfungen vergleichen ihre Länge.</translation>
    </message>
    <message>
        <source>The page&apos;s text did not change; only its markup did: %1.</source>
        <translation>Der Text der Seite hat sich nicht geändert, nur ihr Markup: %1.</translation>
    </message>
    <message>
        <source>The two copies of this page are the same.</source>
        <translation>Die beiden Kopien dieser Seite sind gleich.</translation>
    </message>
    <message>
        <source>    (ignored)</source>
        <translation>    (ignoriert)</translation>
    </message>
    <message>
        <source>&amp;Later copy, %1</source>
        <translation>&amp;Spätere Kopie, %1</translation>
    </message>
    <message>
        <source>Only parts that change by themselves changed.</source>
        <translation>Nur Teile, die sich von selbst ändern, haben sich geändert.</translation>
    </message>
    <message>
        <source>&amp;Ignore what changes by itself</source>
        <translation>Was sich von selbst ändert, &amp;ignorieren</translation>
    </message>
    <message>
        <source>    (changes by itself)</source>
        <translation>    (ändert sich von selbst)</translation>
    </message>
    <message>
        <source>count again</source>
        <translation>wieder zählen</translation>
    </message>
    <message>
        <source>%1 (your last look)</source>
        <translation>%1 (zuletzt gesehen)</translation>
    </message>
    <message>
        <source>1 line added</source>
        <translation>1 Zeile hinzugefügt</translation>
    </message>
    <message>
        <source>%1 lines added</source>
        <translation>%1 Zeilen hinzugefügt</translation>
    </message>
    <message>
        <source>1 line removed</source>
        <translation>1 Zeile entfernt</translation>
    </message>
    <message>
        <source>%1 lines removed</source>
        <translation>%1 Zeilen entfernt</translation>
    </message>
    <message>
        <source>1 line unchanged</source>
        <translation>1 Zeile unverändert</translation>
    </message>
    <message>
        <source>%1 lines unchanged</source>
        <translation>%1 Zeilen unverändert</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <extracomment>Lines added and lines removed, as in &quot;1 line added, 0 lines removed&quot;</extracomment>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>CImportDlg</name>
    <message>
        <source>Bookmark</source>
        <translation>Lesezeichen</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>How often to check the new favorites (a favorite exported by Nelvox keeps its own):</source>
        <translation>Wie oft die neuen Favoriten geprüft werden (ein von Nelvox exportierter Favorit behält seine eigene Angabe):</translation>
    </message>
    <message>
        <source>Hourly</source>
        <translation>Stündlich</translation>
    </message>
    <message>
        <source>Daily (at 5 PM)</source>
        <translation>Täglich (um 17 Uhr)</translation>
    </message>
    <message>
        <source>Weekly (Fridays at 5 PM)</source>
        <translation>Wöchentlich (freitags um 17 Uhr)</translation>
    </message>
    <message>
        <source>Monthly (First day of the month, 5 PM)</source>
        <translation>Monatlich (am Ersten des Monats, 17 Uhr)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Import Bookmarks</source>
        <translation>Lesezeichen importieren</translation>
    </message>
    <message>
        <source>The bookmarks in &quot;%1&quot;. The checked ones become favorites.</source>
        <translation>Die Lesezeichen in „%1“. Die markierten werden zu Favoriten.</translation>
    </message>
    <message>
        <source>Folders nested more than %1 deep are shown inside the folder at that depth.</source>
        <translation>Ordner, die tiefer als %1 Ebenen verschachtelt sind, werden im Ordner dieser Tiefe gezeigt.</translation>
    </message>
    <message>
        <source>Only the first %L1 folders and links of the file are shown.</source>
        <translation>Nur die ersten %L1 Ordner und Links der Datei werden gezeigt.</translation>
    </message>
    <message>
        <source>Already a favorite</source>
        <translation>Schon ein Favorit</translation>
    </message>
    <message>
        <source>Listed earlier in this file</source>
        <translation>Weiter oben in dieser Datei</translation>
    </message>
    <message>
        <source>Daily</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Monatlich</translation>
    </message>
    <message>
        <source>%1, as exported</source>
        <extracomment>%1 is how often the bookmarks file says the page is checked: Hourly, Daily, ...</extracomment>
        <translation>%1, wie exportiert</translation>
    </message>
    <message>
        <source>%L1 of %L2 bookmarks chosen</source>
        <translation>%L1 von %L2 Lesezeichen ausgewählt</translation>
    </message>
</context>
<context>
    <name>CNelvoxApp</name>
    <message>
        <source>Nelvox is already running with the favorites in this folder.</source>
        <translation>Nelvox läuft bereits mit den Favoriten in diesem Ordner.</translation>
    </message>
    <message>
        <source>Nelvox needs a graphical desktop (X11 or Wayland), but neither DISPLAY nor WAYLAND_DISPLAY is set.</source>
        <translation>Nelvox braucht eine grafische Arbeitsoberfläche (X11 oder Wayland), aber weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt.</translation>
    </message>
</context>
<context>
    <name>CNelvoxDlg</name>
    <message>
        <source>&amp;Quit Nelvox</source>
        <translation>Nelvox &amp;beenden</translation>
    </message>
    <message>
        <source>&amp;Add Favorite</source>
        <translation>&amp;Favorit hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Delete Selected Favorites</source>
        <translation>Markierte Favoriten &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Edit Selected Favorites</source>
        <translation>Markierte Favoriten b&amp;earbeiten</translation>
    </message>
    <message>
        <source>&amp;Update All Now</source>
        <translation>&amp;Alle jetzt prüfen</translation>
    </message>
    <message>
        <source>Nelvox He&amp;lp and Updates</source>
        <translation>&amp;Hilfe und Updates zu Nelvox</translation>
    </message>
    <message>
        <source>&amp;Visit Selected Favorites</source>
        <translation>Markierte Favoriten auf&amp;rufen</translation>
    </message>
    <message>
        <source>Enable Update Notification</source>
        <translation>Benachrichtigung bei Änderungen</translation>
    </message>
    <message>
        <source>The rules file &quot;%1&quot; cannot be read: until it can, every favorite is checked by its page length, and the file is left as it is.</source>
        <translation>Die Regeldatei „%1“ kann nicht gelesen werden: Bis sie lesbar ist, wird jeder Favorit nach seiner Seitenlänge geprüft, und die Datei bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>Nelvox could not find its help page.</source>
        <translation>Nelvox konnte seine Hilfeseite nicht finden.</translation>
    </message>
    <message>
        <source>&amp;About Nelvox...</source>
        <translation>Ü&amp;ber Nelvox...</translation>
    </message>
    <message>
        <source>Some of your Nelvox favorites have been changed since your last update. Would you like to view them now?</source>
        <translation>Einige Ihrer Nelvox-Favoriten haben sich seit Ihrer letzten Aktualisierung geändert. Möchten Sie sie jetzt ansehen?</translation>
    </message>
</context>
<context>
    <name>CSTI</name>
    <message>
        <source>&amp;Show Nelvox</source>
        <translation>Nelvox an&amp;zeigen</translation>
    </message>
    <message>
        <source>&amp;Update All Now</source>
        <translation>&amp;Alle jetzt prüfen</translation>
    </message>
    <message>
        <source>&amp;About Nelvox...</source>
        <translation>&amp;Über Nelvox...</translation>
    </message>
    <message>
        <source>&amp;Quit Nelvox</source>
        <translation>Nelvox &amp;beenden</translation>
    </message>
    <message>
        <source>some of your favorites have changed</source>
        <translation>einige Ihrer Favoriten haben sich geändert</translation>
    </message>
    <message>
        <source>1 favorite failing</source>
        <translation>1 Favorit schlägt fehl</translation>
    </message>
    <message numerus="yes">
        <source>%n favorites failing</source>
        <translation>
            <numerusform>%n Favorit schlägt fehl</numerusform>
            <numerusform>%n Favoriten schlagen fehl</numerusform>
        </translation>
    </message>
    <message>
        <source>1 favorite changed</source>
        <translation>1 Favorit geändert</translation>
    </message>
    <message numerus="yes">
        <source>%n favorites changed</source>
        <translation>
            <numerusform>%n Favorit geändert</numerusform>
            <numerusform>%n Favoriten geändert</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the counts in the tip</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>checking %1 of %2</source>
        <comment>in the tray icon&apos;s tip, after the caption</comment>
        <translation>prüfe %1 von %2</translation>
    </message>
</context>
<context>
    <name>ChangeRules</name>
    <message>
        <source>Cannot save the rules of the favorites to &quot;%1&quot;: %2</source>
        <translation>Die Regeln der Favoriten können nicht in „%1“ gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>CheckProgressDlg</name>
    <message>
        <source>Checking favorites: 0 of 0</source>
        <translation>Favoriten werden geprüft: 0 von 0</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>Checking Favorites</source>
        <translation>Favoriten prüfen</translation>
    </message>
    <message>
        <source>Checking favorites: %1 of %2</source>
        <translation>Favoriten werden geprüft: %1 von %2</translation>
    </message>
</context>
<context>
    <name>CopyFiles</name>
    <message>
        <source>Nelvox could not make a folder for the copy in &quot;%1&quot;.</source>
        <translation>Nelvox konnte in „%1“ keinen Ordner für die Kopie anlegen.</translation>
    </message>
    <message>
        <source>Nelvox could not write &quot;%1&quot;: %2</source>
        <translation>Nelvox konnte „%1“ nicht schreiben: %2</translation>
    </message>
</context>
<context>
    <name>CssSelector</name>
    <message>
        <source>The quote at character %1 is not closed.</source>
        <translation>Das Anführungszeichen bei Zeichen %1 wird nicht geschlossen.</translation>
    </message>
    <message>
        <source>The selector ends too early, after character %1.</source>
        <translation>Der Selektor endet zu früh, nach Zeichen %1.</translation>
    </message>
    <message>
        <source>Unexpected &quot;%1&quot; at character %2.</source>
        <translation>Unerwartetes „%1“ bei Zeichen %2.</translation>
    </message>
</context>
<context>
    <name>FailureReason</name>
    <message>
        <source>The part of the page chosen for this favorite is not on the page.</source>
        <translation>Der für diesen Favoriten gewählte Teil der Seite ist nicht auf der Seite.</translation>
    </message>
    <message>
        <source>the server answered &quot;not modified&quot; to a plain request</source>
        <translation>Der Server antwortete auf eine einfache Anfrage mit „nicht geändert“</translation>
    </message>
    <message>
        <source>host not found</source>
        <translation>Host nicht gefunden</translation>
    </message>
    <message>
        <source>proxy not found</source>
        <translation>Proxy nicht gefunden</translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation>Verbindung abgelehnt</translation>
    </message>
    <message>
        <source>timed out</source>
        <translation>Zeitüberschreitung</translation>
    </message>
    <message>
        <source>certificate not trusted</source>
        <translation>Zertifikat nicht vertrauenswürdig</translation>
    </message>
    <message>
        <source>secure connection failed</source>
        <translation>sichere Verbindung fehlgeschlagen</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>zu viele Weiterleitungen</translation>
    </message>
    <message>
        <source>page too large</source>
        <translation>Seite zu groß</translation>
    </message>
    <message>
        <source>the server sent nothing</source>
        <translation>Der Server hat nichts gesendet</translation>
    </message>
    <message>
        <source>connection lost in the middle of the page</source>
        <translation>Verbindung mitten in der Seite abgebrochen</translation>
    </message>
    <message>
        <source>the page could not be written</source>
        <translation>Die Seite konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>it is not a file</source>
        <translation>das ist keine Datei</translation>
    </message>
    <message>
        <source>it is a directory, not a regular file</source>
        <translation>es ist ein Ordner, keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it is a named pipe, not a regular file</source>
        <translation>es ist eine benannte Pipe, keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it is a socket, not a regular file</source>
        <translation>es ist ein Socket, keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it is a device, not a regular file</source>
        <translation>es ist ein Gerät, keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>die Datei gibt es nicht</translation>
    </message>
    <message>
        <source>Cannot write to &quot;%1&quot;: %2</source>
        <translation>In „%1“ kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot measure &quot;%1&quot;: %2</source>
        <translation>Die Länge von „%1“ kann nicht bestimmt werden: %2</translation>
    </message>
    <message>
        <source>Cannot remove &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>Cannot rename &quot;%1&quot; to &quot;%2&quot;: %3</source>
        <translation>„%1“ kann nicht in „%2“ umbenannt werden: %3</translation>
    </message>
    <message>
        <source>Cannot link &quot;%1&quot; to &quot;%2&quot;: %3</source>
        <translation>„%1“ kann nicht als „%2“ verknüpft werden: %3</translation>
    </message>
    <message>
        <source>Cannot copy &quot;%1&quot; to &quot;%2&quot;: %3</source>
        <translation>„%1“ kann nicht nach „%2“ kopiert werden: %3</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The snapshot %1 cannot be read.</source>
        <translation>Die Momentaufnahme %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The snapshot %1 cannot be read: %2</source>
        <translation>Die Momentaufnahme %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The download %1 cannot be read.</source>
        <translation>Der Download %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The download %1 cannot be read: %2</source>
        <translation>Der Download %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>the server asked to wait until %1</source>
        <extracomment>%1 is a date and time, as in 12/08/26 09:30 PM</extracomment>
        <translation>der Server bat, bis %1 zu warten</translation>
    </message>
    <message>
        <source>the disk is full or the file cannot grow (%1 of %2 bytes written).</source>
        <translation>der Datenträger ist voll oder die Datei kann nicht wachsen (%1 von %2 Bytes geschrieben).</translation>
    </message>
    <message>
        <source>Unsupported protocol</source>
        <translation>Protokoll nicht unterstützt</translation>
    </message>
    <message>
        <source>Failed initialization</source>
        <translation>Initialisierung fehlgeschlagen</translation>
    </message>
    <message>
        <source>URL using bad/illegal format or missing URL</source>
        <translation>Adresse fehlt oder hat ein ungültiges Format</translation>
    </message>
    <message>
        <source>Weird server reply</source>
        <translation>Unverständliche Antwort des Servers</translation>
    </message>
    <message>
        <source>Access denied to remote resource</source>
        <translation>Zugriff auf die entfernte Ressource verweigert</translation>
    </message>
    <message>
        <source>Error in the HTTP2 framing layer</source>
        <translation>Fehler in der Rahmenschicht von HTTP/2</translation>
    </message>
    <message>
        <source>Failed writing received data to disk/application</source>
        <translation>Empfangene Daten konnten nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Failed to open/read local data from file/application</source>
        <translation>Lokale Daten konnten nicht geöffnet oder gelesen werden</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genug Speicher</translation>
    </message>
    <message>
        <source>Requested range was not delivered by the server</source>
        <translation>Der Server lieferte den angefragten Bereich nicht</translation>
    </message>
    <message>
        <source>Couldn&apos;t read a file:// file</source>
        <translation>Eine file://-Datei konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>Operation was aborted by an application callback</source>
        <translation>Vorgang vom Programm abgebrochen</translation>
    </message>
    <message>
        <source>Failed binding local connection end</source>
        <translation>Das lokale Verbindungsende konnte nicht gebunden werden</translation>
    </message>
    <message>
        <source>SSL crypto engine not found</source>
        <translation>SSL-Kryptomodul nicht gefunden</translation>
    </message>
    <message>
        <source>Failed sending data to the peer</source>
        <translation>Daten konnten nicht an die Gegenstelle gesendet werden</translation>
    </message>
    <message>
        <source>Problem with the local SSL certificate</source>
        <translation>Problem mit dem lokalen SSL-Zertifikat</translation>
    </message>
    <message>
        <source>Couldn&apos;t use specified SSL cipher</source>
        <translation>Die angegebene SSL-Verschlüsselung kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>Unrecognized or bad HTTP Content or Transfer-Encoding</source>
        <translation>Unbekannte oder fehlerhafte HTTP-Kodierung des Inhalts oder der Übertragung</translation>
    </message>
    <message>
        <source>Requested SSL level failed</source>
        <translation>Die verlangte SSL-Stufe ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Failed to initialise SSL crypto engine</source>
        <translation>Das SSL-Kryptomodul konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>Problem with the SSL CA cert (path? access rights?)</source>
        <translation>Problem mit dem SSL-Stammzertifikat (Pfad? Zugriffsrechte?)</translation>
    </message>
    <message>
        <source>Remote file not found</source>
        <translation>Entfernte Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Failed to shut down the SSL connection</source>
        <translation>Die SSL-Verbindung konnte nicht beendet werden</translation>
    </message>
    <message>
        <source>Socket not ready for send/recv</source>
        <translation>Socket nicht bereit zum Senden oder Empfangen</translation>
    </message>
    <message>
        <source>Failed to load CRL file (path? access rights?, format?)</source>
        <translation>Die Sperrliste konnte nicht geladen werden (Pfad? Zugriffsrechte? Format?)</translation>
    </message>
    <message>
        <source>Issuer check against peer certificate failed</source>
        <translation>Prüfung des Ausstellers gegen das Zertifikat der Gegenstelle fehlgeschlagen</translation>
    </message>
    <message>
        <source>SSL public key does not match pinned public key</source>
        <translation>Der öffentliche SSL-Schlüssel entspricht nicht dem festgelegten</translation>
    </message>
    <message>
        <source>SSL server certificate status verification FAILED</source>
        <translation>Prüfung des Zertifikatsstatus des Servers FEHLGESCHLAGEN</translation>
    </message>
    <message>
        <source>Stream error in the HTTP/2 framing layer</source>
        <translation>Datenstromfehler in der Rahmenschicht von HTTP/2</translation>
    </message>
    <message>
        <source>An authentication function returned an error</source>
        <translation>Eine Anmeldefunktion meldete einen Fehler</translation>
    </message>
    <message>
        <source>HTTP/3 error</source>
        <translation>HTTP/3-Fehler</translation>
    </message>
    <message>
        <source>QUIC connection error</source>
        <translation>QUIC-Verbindungsfehler</translation>
    </message>
    <message>
        <source>proxy handshake error</source>
        <translation>Fehler beim Verbindungsaufbau mit dem Proxy</translation>
    </message>
    <message>
        <source>SSL Client Certificate required</source>
        <translation>SSL-Clientzertifikat erforderlich</translation>
    </message>
    <message>
        <source>Unrecoverable error in select/poll</source>
        <translation>Nicht behebbarer Fehler in select/poll</translation>
    </message>
</context>
<context>
    <name>FavoriteCommands</name>
    <message>
        <source>The selected favorite changed or has a rule other than Page length.</source>
        <translation>Der ausgewählte Favorit hat sich geändert oder hat eine andere Regel als Seitenlänge.</translation>
    </message>
    <message>
        <source>%1 of the %2 selected favorites changed or have a rule other than Page length.</source>
        <translation>%1 der %2 ausgewählten Favoriten haben sich geändert oder haben eine andere Regel als Seitenlänge.</translation>
    </message>
    <message>
        <source>Delete the favorites that changed or have a rule of their own?</source>
        <translation>Die Favoriten löschen, die sich geändert haben oder eine eigene Regel haben?</translation>
    </message>
    <message>
        <source>Yes deletes every selected favorite, No keeps them all.</source>
        <translation>Ja löscht alle ausgewählten Favoriten, Nein behält sie alle.</translation>
    </message>
    <message>
        <source>Nelvox can watch at most %1 favorites.</source>
        <translation>Nelvox kann höchstens %1 Favoriten beobachten.</translation>
    </message>
    <message>
        <source>Nelvox could not hand this address to a web browser:

%1</source>
        <translation>Nelvox konnte diese Adresse nicht an einen Webbrowser übergeben:

%1</translation>
    </message>
    <message>
        <source>Bookmarks HTML files (*.html *.htm)</source>
        <translation>Lesezeichen-HTML-Dateien (*.html *.htm)</translation>
    </message>
    <message>
        <source>Chromium and Google Chrome bookmarks (Bookmarks)</source>
        <translation>Lesezeichen von Chromium und Google Chrome (Bookmarks)</translation>
    </message>
    <message>
        <source>Firefox bookmarks (places.sqlite)</source>
        <translation>Lesezeichen von Firefox (places.sqlite)</translation>
    </message>
    <message>
        <source>Import Bookmarks</source>
        <translation>Lesezeichen importieren</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Export Favorites</source>
        <translation>Favoriten exportieren</translation>
    </message>
</context>
<context>
    <name>FavoriteStates</name>
    <message>
        <source>Cannot save what the checks found to &quot;%1&quot;: %2</source>
        <translation>Die Ergebnisse der Prüfungen können nicht in „%1“ gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>FavoritesFile</name>
    <message>
        <source>Cannot save the favorites to &quot;%1&quot;: %2</source>
        <translation>Die Favoriten können nicht in „%1“ gespeichert werden: %2</translation>
    </message>
    <message>
        <source>the file is read-only.</source>
        <translation>Die Datei ist schreibgeschützt.</translation>
    </message>
</context>
<context>
    <name>FavoritesModel</name>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>YES</source>
        <extracomment>Shown in the CHANGED column of a changed page</extracomment>
        <translation>JA</translation>
    </message>
    <message>
        <source>Web Site</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Prüfung</translation>
    </message>
    <message>
        <source>Last Updated</source>
        <translation>Zuletzt geändert</translation>
    </message>
    <message>
        <source>CHANGED</source>
        <extracomment>The heading of the column that shows YES for a changed page</extracomment>
        <translation>Geändert</translation>
    </message>
    <message>
        <source>Last check failed %1 times in a row since %2: %3</source>
        <translation>Die letzte Prüfung ist seit %2 %1-mal in Folge fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>Last check failed at %1: %2</source>
        <translation>Die letzte Prüfung ist am %1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>
The page was last fetched %1.</source>
        <translation>
Die Seite wurde zuletzt am %1 abgerufen.</translation>
    </message>
    <message>
        <source>
The page has not been fetched yet.</source>
        <translation>
Die Seite wurde noch nicht abgerufen.</translation>
    </message>
</context>
<context>
    <name>FavoritesView</name>
    <message>
        <source>Show &amp;Changes...</source>
        <translation>&amp;Änderungen anzeigen...</translation>
    </message>
    <message>
        <source>&amp;Import Bookmarks...</source>
        <translation>Lesezeichen &amp;importieren...</translation>
    </message>
    <message>
        <source>E&amp;xport Favorites...</source>
        <translation>Favoriten e&amp;xportieren...</translation>
    </message>
</context>
<context>
    <name>HelpPage</name>
    <message>
        <source>Help</source>
        <comment>the help window&apos;s caption</comment>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>index.html</source>
        <comment>the file name of the help page in this language: index.&lt;language&gt;.html, or index.html for the English page</comment>
        <translation>index.de.html</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>a copy in it cannot be read, and it is left as it is</source>
        <translation>eine Kopie darin ist nicht lesbar; die Datei bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>Qt&apos;s SQLite driver is not installed</source>
        <translation>der SQLite-Treiber von Qt ist nicht installiert</translation>
    </message>
    <message>
        <source>it is not a history of Nelvox, and is left as it is</source>
        <translation>sie ist kein Verlauf von Nelvox und bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>a newer version of Nelvox wrote it, and it is left as it is</source>
        <translation>eine neuere Version von Nelvox hat sie geschrieben; sie bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>it is damaged, and is left as it is</source>
        <translation>sie ist beschädigt und bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>another program keeps it locked</source>
        <translation>ein anderes Programm hält sie gesperrt</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>it cannot be written (%1)</source>
        <translation>sie kann nicht geschrieben werden (%1)</translation>
    </message>
    <message>
        <source>it is damaged (%1), and is left as it is</source>
        <translation>sie ist beschädigt (%1) und bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>it is not a database, and is left as it is</source>
        <translation>sie ist keine Datenbank und bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>The history of the pages cannot be kept in &quot;%1&quot;: %2. The checks go on with the snapshots.</source>
        <translation>Der Verlauf der Seiten kann nicht in „%1“ geführt werden: %2. Die Prüfungen gehen mit den Schnappschüssen weiter.</translation>
    </message>
</context>
<context>
    <name>InternetSession</name>
    <message>
        <source>the connection cache cannot be set up</source>
        <translation>Der Verbindungs-Cache kann nicht eingerichtet werden</translation>
    </message>
    <message>
        <source>Cannot start an internet session: %1</source>
        <translation>Die Internetsitzung kann nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>the system refused it</source>
        <translation>Das System hat sie verweigert</translation>
    </message>
    <message>
        <source>Cannot start an internet session: out of memory</source>
        <translation>Die Internetsitzung kann nicht gestartet werden: kein Speicher frei</translation>
    </message>
</context>
<context>
    <name>PageHistory</name>
    <message>
        <source>this copy is no longer kept</source>
        <translation>diese Kopie wird nicht mehr aufbewahrt</translation>
    </message>
</context>
<context>
    <name>PagePart</name>
    <message>
        <source>XPath error %1</source>
        <translation>XPath-Fehler %1</translation>
    </message>
    <message>
        <source>XPath: the expression cannot be evaluated.</source>
        <translation>XPath: Der Ausdruck kann nicht ausgewertet werden.</translation>
    </message>
    <message>
        <source>XPath: %1.</source>
        <translation>XPath: %1.</translation>
    </message>
    <message>
        <source>XPath: %1 at the end of the expression.</source>
        <translation>XPath: %1 am Ende des Ausdrucks.</translation>
    </message>
    <message>
        <source>XPath: %1 at character %2.</source>
        <translation>XPath: %1 bei Zeichen %2.</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>wahr oder falsch</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>eine Zahl</translation>
    </message>
    <message>
        <source>a text</source>
        <translation>einen Text</translation>
    </message>
    <message>
        <source>no elements</source>
        <translation>keine Elemente</translation>
    </message>
    <message>
        <source>The XPath expression gives %1, not a part of the page.</source>
        <translation>Der XPath-Ausdruck ergibt %1, keinen Teil der Seite.</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>In Ordnung</translation>
    </message>
    <message>
        <source>Number encoding</source>
        <translation>Zahl falsch geschrieben</translation>
    </message>
    <message>
        <source>Unfinished literal</source>
        <translation>Zeichenkette nicht abgeschlossen</translation>
    </message>
    <message>
        <source>Start of literal</source>
        <translation>Beginn einer Zeichenkette</translation>
    </message>
    <message>
        <source>Expected $ for variable reference</source>
        <translation>$ für einen Variablenbezug erwartet</translation>
    </message>
    <message>
        <source>Undefined variable</source>
        <translation>Unbekannte Variable</translation>
    </message>
    <message>
        <source>Invalid predicate</source>
        <translation>Ungültiges Prädikat</translation>
    </message>
    <message>
        <source>Invalid expression</source>
        <translation>Ungültiger Ausdruck</translation>
    </message>
    <message>
        <source>Missing closing curly brace</source>
        <translation>Schließende geschweifte Klammer fehlt</translation>
    </message>
    <message>
        <source>Unregistered function</source>
        <translation>Unbekannte Funktion</translation>
    </message>
    <message>
        <source>Invalid operand</source>
        <translation>Ungültiger Operand</translation>
    </message>
    <message>
        <source>Invalid type</source>
        <translation>Ungültiger Typ</translation>
    </message>
    <message>
        <source>Invalid number of arguments</source>
        <translation>Falsche Zahl von Argumenten</translation>
    </message>
    <message>
        <source>Invalid context size</source>
        <translation>Ungültige Kontextgröße</translation>
    </message>
    <message>
        <source>Invalid context position</source>
        <translation>Ungültige Kontextposition</translation>
    </message>
    <message>
        <source>Memory allocation error</source>
        <translation>Speicher konnte nicht belegt werden</translation>
    </message>
    <message>
        <source>Syntax error</source>
        <translation>Syntaxfehler</translation>
    </message>
    <message>
        <source>Resource error</source>
        <translation>Ressourcenfehler</translation>
    </message>
    <message>
        <source>Sub resource error</source>
        <translation>Fehler einer Teilressource</translation>
    </message>
    <message>
        <source>Undefined namespace prefix</source>
        <translation>Unbekanntes Namensraumpräfix</translation>
    </message>
    <message>
        <source>Encoding error</source>
        <translation>Kodierungsfehler</translation>
    </message>
    <message>
        <source>Char out of XML range</source>
        <translation>Zeichen außerhalb des XML-Bereichs</translation>
    </message>
    <message>
        <source>Invalid or incomplete context</source>
        <translation>Ungültiger oder unvollständiger Kontext</translation>
    </message>
    <message>
        <source>Stack usage error</source>
        <translation>Fehler im Stapelgebrauch</translation>
    </message>
    <message>
        <source>Forbidden variable</source>
        <translation>Verbotene Variable</translation>
    </message>
    <message>
        <source>Operation limit exceeded</source>
        <translation>Grenze der Rechenschritte überschritten</translation>
    </message>
    <message>
        <source>Recursion limit exceeded</source>
        <translation>Grenze der Rekursionstiefe überschritten</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <translation>Verzeichnis</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>Symbolischer Link</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
</context>
</TS>
