<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Nelvox</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nelvox Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Watches your favorite pages for changes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CAddEditDlg</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ADD OR EDIT FAVORITE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type name of website (include &quot;http://&quot;):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>How often do you want to check for updates?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hourly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Daily (at 5 PM)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Weekly (Fridays at 5 PM)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Monthly (First day of the month, 5 PM)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What counts as a change</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Page &amp;length: the page&apos;s size in bytes differs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Page &amp;text: the text a reader sees differs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lin&amp;k addresses count</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ignore:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Numbers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lines &amp;containing (one per line; /.../ is a regular expression):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only &amp;part of the page (CSS selector or XPath), empty for all:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter a Web site.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A Web site address cannot contain spaces.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nelvox can watch http://, https:// and file:// addresses.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CChangesDlg</name>
    <message>
        <source>Web Site:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Earlier copy:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latest copy:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A change is:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Co&amp;mpare:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;with</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>for this favorite</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show page &amp;source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open this copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <comment>no copy</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the page&apos;s length in bytes differs (Page length).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the text a reader sees differs (Page text)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>link addresses count</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>link addresses do not count</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>numbers are ignored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lines containing %1 are ignored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>only the part %1 counts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; </source>
        <comment>between the parts of a rule</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>.</source>
        <comment>after a rule</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Changes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, when you last looked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nelvox could not read this copy of the page from its history:

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, when you last looked; 1 copy lies between them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, when you last looked; %2 copies lie between them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; 1 copy lies between them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1; %2 copies lie between them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Latest copy, %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Earlier copy, %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nelvox could not make a folder for the copy in &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nelvox could not write &quot;%1&quot;: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nelvox could not hand this copy to a web browser:

%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save As</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Web pages (*.html *.htm);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nelvox could not save &quot;%1&quot;: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only the markup changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Ignore markup changes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only numbers changed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Ignore numbers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No earlier copy of this page is kept yet; the next change will be shown here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This page is too large to compare.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This page is too large to compare by its text: its checks compare its length.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The page&apos;s text did not change; only its markup did: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The two copies of this page are the same.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 added, %2 removed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>⋯ %1 unchanged ⋯</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>    (ignored)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CImportDlg</name>
    <message>
        <source>Bookmark</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Note</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>How often to check the new favorites (a favorite exported by Nelvox keeps its own):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hourly</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Daily (at 5 PM)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Weekly (Fridays at 5 PM)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Monthly (First day of the month, 5 PM)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CNelvoxDlg</name>
    <message>
        <source>&amp;Quit Nelvox</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add Favorite</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Delete Selected Favorites</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit Selected Favorites</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Update All Now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nelvox He&amp;lp and Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Visit Selected Favorites</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable Update Notification</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CheckProgressDlg</name>
    <message>
        <source>Checking favorites: 0 of 0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FavoriteCommands</name>
    <message>
        <source>The selected favorite changed or has a rule other than Page length.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of the %2 selected favorites changed or have a rule other than Page length.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete the favorites that changed or have a rule of their own?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes deletes every selected favorite, No keeps them all.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FavoritesModel</name>
    <message>
        <source>Never</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>YES</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PageHistory</name>
    <message>
        <source>this copy is no longer kept</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
