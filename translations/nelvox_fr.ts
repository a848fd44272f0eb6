<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Bookmarks</name>
    <message>
        <source>Cannot read the bookmarks in &quot;%1&quot;: %2</source>
        <translation>Impossible de lire les signets de «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>the file cannot be opened (%1).</source>
        <translation>le fichier ne peut pas être ouvert (%1).</translation>
    </message>
    <message>
        <source>the file cannot be read (%1).</source>
        <translation>le fichier ne peut pas être lu (%1).</translation>
    </message>
    <message>
        <source>it is not a bookmarks file. Nelvox reads the bookmarks HTML file that browsers export, Chromium&apos;s and Google Chrome&apos;s &quot;Bookmarks&quot; file and Firefox&apos;s &quot;places.sqlite&quot;.</source>
        <translation>ce n&apos;est pas un fichier de signets. Nelvox lit le fichier HTML de signets qu&apos;exportent les navigateurs, le fichier «&#xa0;Bookmarks&#xa0;» de Chromium et de Google Chrome et le fichier «&#xa0;places.sqlite&#xa0;» de Firefox.</translation>
    </message>
    <message>
        <source>it holds no bookmarks.</source>
        <translation>il ne contient aucun signet.</translation>
    </message>
    <message>
        <source>its folders are nested deeper than Nelvox can read.</source>
        <translation>ses dossiers sont imbriqués plus profondément que Nelvox ne peut lire.</translation>
    </message>
    <message>
        <source>it is cut short or damaged (%1 at byte %2).</source>
        <translation>il est tronqué ou endommagé (%1 à l&apos;octet %2).</translation>
    </message>
    <message>
        <source>it is a JSON file but not a Chromium or Google Chrome bookmarks file.</source>
        <translation>c&apos;est un fichier JSON, mais pas un fichier de signets de Chromium ou de Google Chrome.</translation>
    </message>
    <message>
        <source>Not an http, https or file address</source>
        <translation>Pas une adresse http, https ou file</translation>
    </message>
    <message>
        <source>No address</source>
        <translation>Aucune adresse</translation>
    </message>
    <message>
        <source>The address contains a space</source>
        <translation>L&apos;adresse contient une espace</translation>
    </message>
    <message>
        <source>Cannot export the favorites to &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;exporter les favoris vers «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>Bookmarks Menu</source>
        <translation>Menu des marque-pages</translation>
    </message>
    <message>
        <source>Bookmarks Toolbar</source>
        <translation>Barre personnelle</translation>
    </message>
    <message>
        <source>Other Bookmarks</source>
        <translation>Autres marque-pages</translation>
    </message>
    <message>
        <source>Mobile Bookmarks</source>
        <translation>Marque-pages des appareils mobiles</translation>
    </message>
    <message>
        <source>it is damaged (%1).</source>
        <translation>il est endommagé (%1).</translation>
    </message>
    <message>
        <source>its tables are not those of Firefox&apos;s bookmarks (schema version %1: %2).</source>
        <translation>ses tables ne sont pas celles des marque-pages de Firefox (version du schéma %1&#xa0;: %2).</translation>
    </message>
    <message>
        <source>Qt&apos;s SQLite driver is not installed (Debian: libqt6sql6-sqlite).</source>
        <translation>le pilote SQLite de Qt n&apos;est pas installé (Debian&#xa0;: libqt6sql6-sqlite).</translation>
    </message>
    <message>
        <source>no copy of it could be made to read (%1).</source>
        <translation>aucune copie n&apos;a pu en être faite pour la lire (%1).</translation>
    </message>
    <message>
        <source>no copy of its log could be made to read (%1).</source>
        <translation>aucune copie de son journal n&apos;a pu être faite pour la lire (%1).</translation>
    </message>
    <message>
        <source>it cannot be opened as a database (%1).</source>
        <translation>il ne peut pas être ouvert comme base de données (%1).</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Nelvox</source>
        <translation>À propos de Nelvox</translation>
    </message>
    <message>
        <source>Nelvox Version</source>
        <translation>Nelvox version</translation>
    </message>
    <message>
        <source>Watches your favorite pages for changes.</source>
        <translation>Surveille les changements de vos pages favorites.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Nelvox Version %1</source>
        <translation>Nelvox version %1</translation>
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
        <translation>Annuler</translation>
    </message>
    <message>
        <source>ADD OR EDIT FAVORITE</source>
        <translation>AJOUTER OU MODIFIER UN FAVORI</translation>
    </message>
    <message>
        <source>Type name of website (include &quot;http://&quot;):</source>
        <translation>Saisissez l&apos;adresse du site (avec «&#xa0;http://&#xa0;»)&#xa0;:</translation>
    </message>
    <message>
        <source>How often do you want to check for updates?</source>
        <translation>À quelle fréquence faut-il vérifier les mises à jour&#xa0;?</translation>
    </message>
    <message>
        <source>Hourly</source>
        <translation>Toutes les heures</translation>
    </message>
    <message>
        <source>Daily (at 5 PM)</source>
        <translation>Tous les jours (à 17 h)</translation>
    </message>
    <message>
        <source>Weekly (Fridays at 5 PM)</source>
        <translation>Toutes les semaines (le vendredi à 17 h)</translation>
    </message>
    <message>
        <source>Monthly (First day of the month, 5 PM)</source>
        <translation>Tous les mois (le premier du mois, 17 h)</translation>
    </message>
    <message>
        <source>What counts as a change</source>
        <translation>Ce qui compte comme un changement</translation>
    </message>
    <message>
        <source>Page &amp;length: the page&apos;s size in bytes differs</source>
        <translation>&amp;Longueur de la page&#xa0;: sa taille en octets diffère</translation>
    </message>
    <message>
        <source>Page &amp;text: the text a reader sees differs</source>
        <translation>&amp;Texte de la page&#xa0;: le texte que voit un lecteur diffère</translation>
    </message>
    <message>
        <source>Lin&amp;k addresses count</source>
        <translation>Les adresses des lien&amp;s comptent</translation>
    </message>
    <message>
        <source>Ignore:</source>
        <translation>Ignorer&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Numbers</source>
        <translation>&amp;Nombres</translation>
    </message>
    <message>
        <source>Lines &amp;containing (one per line; /.../ is a regular expression):</source>
        <translation>Lignes &amp;contenant (une par ligne&#xa0;; /.../ est une expression régulière)&#xa0;:</translation>
    </message>
    <message>
        <source>Only &amp;part of the page (CSS selector or XPath), empty for all:</source>
        <translation>Seulement une &amp;partie de la page (sélecteur CSS ou XPath), vide pour tout&#xa0;:</translation>
    </message>
    <message>
        <source>Please enter a Web site.</source>
        <translation>Veuillez saisir un site web.</translation>
    </message>
    <message>
        <source>A Web site address cannot contain spaces.</source>
        <translation>L&apos;adresse d&apos;un site web ne peut pas contenir d&apos;espaces.</translation>
    </message>
    <message>
        <source>Nelvox can watch http://, https:// and file:// addresses.</source>
        <translation>Nelvox peut surveiller les adresses http://, https:// et file://.</translation>
    </message>
    <message>
        <source>The regular expression %1 is not valid at character %2: %3.</source>
        <translation>L&apos;expression régulière %1 n&apos;est pas valide au caractère %2&#xa0;: %3.</translation>
    </message>
    <message>
        <source>Add or Edit Favorite</source>
        <translation>Ajouter ou modifier un favori</translation>
    </message>
    <message>
        <source>The part of the page &quot;%1&quot; cannot be used: %2</source>
        <translation>La partie de la page «&#xa0;%1&#xa0;» ne peut pas être utilisée&#xa0;: %2</translation>
    </message>
    <message>
        <source>Counters, relative times and what differs at every load of the page do not count: Nelvox loads a changed page once more to tell them apart</source>
        <translation>Les compteurs, les dates relatives et ce qui diffère à chaque chargement de la page ne comptent pas&#xa0;: Nelvox charge une page changée une seconde fois pour les distinguer</translation>
    </message>
    <message>
        <source>What changes by &amp;itself</source>
        <translation>Ce qui change &amp;de lui-même</translation>
    </message>
</context>
<context>
    <name>CChangesDlg</name>
    <message>
        <source>Web Site:</source>
        <translation>Site web&#xa0;:</translation>
    </message>
    <message>
        <source>Earlier copy:</source>
        <translation>Copie antérieure&#xa0;:</translation>
    </message>
    <message>
        <source>Latest copy:</source>
        <translation>Dernière copie&#xa0;:</translation>
    </message>
    <message>
        <source>A change is:</source>
        <translation>Un changement, c&apos;est&#xa0;:</translation>
    </message>
    <message>
        <source>Co&amp;mpare:</source>
        <translation>Co&amp;mparer&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;with</source>
        <translation>&amp;avec</translation>
    </message>
    <message>
        <source>for this favorite</source>
        <translation>pour ce favori</translation>
    </message>
    <message>
        <source>Show page &amp;source</source>
        <translation>Afficher la &amp;source de la page</translation>
    </message>
    <message>
        <source>&amp;Open this copy</source>
        <translation>&amp;Ouvrir cette copie</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>&amp;Enregistrer sous...</translation>
    </message>
    <message>
        <source>1 line</source>
        <translation>1 ligne</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 lignes</translation>
    </message>
    <message>
        <source>none</source>
        <comment>no copy</comment>
        <translation>aucune</translation>
    </message>
    <message>
        <source>the page&apos;s length in bytes differs (Page length).</source>
        <translation>la longueur de la page en octets diffère (Longueur de la page).</translation>
    </message>
    <message>
        <source>the text a reader sees differs (Page text)</source>
        <translation>le texte que voit un lecteur diffère (Texte de la page)</translation>
    </message>
    <message>
        <source>link addresses count</source>
        <translation>les adresses des liens comptent</translation>
    </message>
    <message>
        <source>link addresses do not count</source>
        <translation>les adresses des liens ne comptent pas</translation>
    </message>
    <message>
        <source>numbers are ignored</source>
        <translation>les nombres sont ignorés</translation>
    </message>
    <message>
        <source>lines containing %1 are ignored</source>
        <translation>les lignes contenant %1 sont ignorées</translation>
    </message>
    <message>
        <source>only the part %1 counts</source>
        <translation>seule la partie %1 compte</translation>
    </message>
    <message>
        <source>; </source>
        <comment>between the parts of a rule</comment>
        <translation>&#xa0;; </translation>
    </message>
    <message>
        <source>.</source>
        <comment>after a rule</comment>
        <translation>.</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>Changements</translation>
    </message>
    <message>
        <source>Nelvox could not read this copy of the page from its history:

%1</source>
        <translation>Nelvox n&apos;a pas pu lire cette copie de la page dans son historique&#xa0;:

%1</translation>
    </message>
    <message>
        <source>%1, when you last looked; 1 copy lies between them</source>
        <translation>%1, lors de votre dernière consultation&#xa0;; 1 copie les sépare</translation>
    </message>
    <message>
        <source>%1, when you last looked; %2 copies lie between them</source>
        <translation>%1, lors de votre dernière consultation&#xa0;; %2 copies les séparent</translation>
    </message>
    <message>
        <source>%1; 1 copy lies between them</source>
        <translation>%1&#xa0;; 1 copie les sépare</translation>
    </message>
    <message>
        <source>%1; %2 copies lie between them</source>
        <translation>%1&#xa0;; %2 copies les séparent</translation>
    </message>
    <message>
        <source>&amp;Earlier copy, %1</source>
        <translation>&amp;Copie antérieure, %1</translation>
    </message>
    <message>
        <source>Nelvox could not hand this copy to a web browser:

%1</source>
        <translation>Nelvox n&apos;a pas pu transmettre cette copie à un navigateur web&#xa0;:

%1</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Enregistrer sous</translation>
    </message>
    <message>
        <source>Web pages (*.html *.htm);;All files (*)</source>
        <translation>Pages web (*.html *.htm);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Nelvox could not save &quot;%1&quot;: %2</source>
        <translation>Nelvox n&apos;a pas pu enregistrer «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>Only the markup changed.</source>
        <translation>Seul le balisage a changé.</translation>
    </message>
    <message>
        <source>&amp;Ignore markup changes</source>
        <translation>&amp;Ignorer les changements de balisage</translation>
    </message>
    <message>
        <source>Only numbers changed.</source>
        <translation>Seuls des nombres ont changé.</translation>
    </message>
    <message>
        <source>&amp;Ignore numbers</source>
        <translation>&amp;Ignorer les nombres</translation>
    </message>
    <message>
        <source>No earlier copy of this page is kept yet; the next change will be shown here.</source>
        <translation>Aucune copie antérieure de cette page n&apos;est encore conservée&#xa0;; le prochain changement sera affiché ici.</translation>
    </message>
    <message>
        <source>This page is too large to compare.</source>
        <translation>Cette page est trop grande pour être comparée.</translation>
    </message>
    <message>
        <source>This page is too large to compare by its text: its checks compare its length.</source>
        <translation>Cette page est trop grande pour comparer son texte&#xa0;: ses vérifications comparent sa longueur.</translation>
    </message>
    <message>
        <source>The page&apos;s text did not change; only its markup did: %1.</source>
        <translation>Le texte de la page n&apos;a pas changé&#xa0;; seul son balisage a changé&#xa0;: %1.</translation>
    </message>
    <message>
        <source>The two copies of this page are the same.</source>
        <translation>Les deux copies de cette page sont identiques.</translation>
    </message>
    <message>
        <source>    (ignored)</source>
        <translation>    (ignoré)</translation>
    </message>
    <message>
        <source>&amp;Later copy, %1</source>
        <translation>Copie &amp;postérieure, %1</translation>
    </message>
    <message>
        <source>Only parts that change by themselves changed.</source>
        <translation>Seuls des éléments qui changent d&apos;eux-mêmes ont changé.</translation>
    </message>
    <message>
        <source>&amp;Ignore what changes by itself</source>
        <translation>&amp;Ignorer ce qui change de lui-même</translation>
    </message>
    <message>
        <source>    (changes by itself)</source>
        <translation>    (change de lui-même)</translation>
    </message>
    <message>
        <source>count again</source>
        <translation>compter à nouveau</translation>
    </message>
    <message>
        <source>%1 (your last look)</source>
        <translation>%1 (vue en dernier)</translation>
    </message>
    <message>
        <source>1 line added</source>
        <translation>1 ligne ajoutée</translation>
    </message>
    <message>
        <source>%1 lines added</source>
        <translation>%1 lignes ajoutées</translation>
    </message>
    <message>
        <source>1 line removed</source>
        <translation>1 ligne supprimée</translation>
    </message>
    <message>
        <source>%1 lines removed</source>
        <translation>%1 lignes supprimées</translation>
    </message>
    <message>
        <source>1 line unchanged</source>
        <translation>1 ligne inchangée</translation>
    </message>
    <message>
        <source>%1 lines unchanged</source>
        <translation>%1 lignes inchangées</translation>
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
        <translation>Signet</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Remarque</translation>
    </message>
    <message>
        <source>How often to check the new favorites (a favorite exported by Nelvox keeps its own):</source>
        <translation>Fréquence de vérification des nouveaux favoris (un favori exporté par Nelvox garde la sienne)&#xa0;:</translation>
    </message>
    <message>
        <source>Hourly</source>
        <translation>Toutes les heures</translation>
    </message>
    <message>
        <source>Daily (at 5 PM)</source>
        <translation>Tous les jours (à 17 h)</translation>
    </message>
    <message>
        <source>Weekly (Fridays at 5 PM)</source>
        <translation>Toutes les semaines (le vendredi à 17 h)</translation>
    </message>
    <message>
        <source>Monthly (First day of the month, 5 PM)</source>
        <translation>Tous les mois (le premier du mois, 17 h)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Import Bookmarks</source>
        <translation>Importer des signets</translation>
    </message>
    <message>
        <source>The bookmarks in &quot;%1&quot;. The checked ones become favorites.</source>
        <translation>Les signets de «&#xa0;%1&#xa0;». Ceux qui sont cochés deviennent des favoris.</translation>
    </message>
    <message>
        <source>Folders nested more than %1 deep are shown inside the folder at that depth.</source>
        <translation>Les dossiers imbriqués sur plus de %1 niveaux sont affichés dans le dossier de ce niveau.</translation>
    </message>
    <message>
        <source>Only the first %L1 folders and links of the file are shown.</source>
        <translation>Seuls les %L1 premiers dossiers et liens du fichier sont affichés.</translation>
    </message>
    <message>
        <source>Already a favorite</source>
        <translation>Déjà un favori</translation>
    </message>
    <message>
        <source>Listed earlier in this file</source>
        <translation>Déjà plus haut dans ce fichier</translation>
    </message>
    <message>
        <source>Daily</source>
        <translation>Tous les jours</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Toutes les semaines</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Tous les mois</translation>
    </message>
    <message>
        <source>%1, as exported</source>
        <extracomment>%1 is how often the bookmarks file says the page is checked: Hourly, Daily, ...</extracomment>
        <translation>%1, comme à l&apos;export</translation>
    </message>
    <message>
        <source>%L1 of %L2 bookmarks chosen</source>
        <translation>Signets choisis&#xa0;: %L1 sur %L2</translation>
    </message>
</context>
<context>
    <name>CNelvoxApp</name>
    <message>
        <source>Nelvox is already running with the favorites in this folder.</source>
        <translation>Nelvox est déjà en cours d&apos;exécution avec les favoris de ce dossier.</translation>
    </message>
    <message>
        <source>Nelvox needs a graphical desktop (X11 or Wayland), but neither DISPLAY nor WAYLAND_DISPLAY is set.</source>
        <translation>Nelvox a besoin d&apos;un bureau graphique (X11 ou Wayland), mais ni DISPLAY ni WAYLAND_DISPLAY n&apos;est défini.</translation>
    </message>
</context>
<context>
    <name>CNelvoxDlg</name>
    <message>
        <source>&amp;Quit Nelvox</source>
        <translation>&amp;Quitter Nelvox</translation>
    </message>
    <message>
        <source>&amp;Add Favorite</source>
        <translation>&amp;Ajouter un favori</translation>
    </message>
    <message>
        <source>&amp;Delete Selected Favorites</source>
        <translation>&amp;Supprimer la sélection</translation>
    </message>
    <message>
        <source>&amp;Edit Selected Favorites</source>
        <translation>&amp;Modifier la sélection</translation>
    </message>
    <message>
        <source>&amp;Update All Now</source>
        <translation>&amp;Tout mettre à jour</translation>
    </message>
    <message>
        <source>Nelvox He&amp;lp and Updates</source>
        <translation>Aid&amp;e et mises à jour de Nelvox</translation>
    </message>
    <message>
        <source>&amp;Visit Selected Favorites</source>
        <translation>&amp;Ouvrir la sélection</translation>
    </message>
    <message>
        <source>Enable Update Notification</source>
        <translation>Activer la notification des changements</translation>
    </message>
    <message>
        <source>The rules file &quot;%1&quot; cannot be read: until it can, every favorite is checked by its page length, and the file is left as it is.</source>
        <translation>Le fichier des règles «&#xa0;%1&#xa0;» ne peut pas être lu&#xa0;: tant qu&apos;il ne peut pas l&apos;être, chaque favori est vérifié par la longueur de sa page, et le fichier est laissé tel quel.</translation>
    </message>
    <message>
        <source>Nelvox could not find its help page.</source>
        <translation>Nelvox n&apos;a pas trouvé sa page d&apos;aide.</translation>
    </message>
    <message>
        <source>&amp;About Nelvox...</source>
        <translation>À &amp;propos de Nelvox...</translation>
    </message>
    <message>
        <source>Some of your Nelvox favorites have been changed since your last update. Would you like to view them now?</source>
        <translation>Certains de vos favoris Nelvox ont changé depuis votre dernière mise à jour. Voulez-vous les voir maintenant&#xa0;?</translation>
    </message>
</context>
<context>
    <name>CSTI</name>
    <message>
        <source>&amp;Show Nelvox</source>
        <translation>&amp;Afficher Nelvox</translation>
    </message>
    <message>
        <source>&amp;Update All Now</source>
        <translation>&amp;Tout mettre à jour</translation>
    </message>
    <message>
        <source>&amp;About Nelvox...</source>
        <translation>À &amp;propos de Nelvox...</translation>
    </message>
    <message>
        <source>&amp;Quit Nelvox</source>
        <translation>&amp;Quitter Nelvox</translation>
    </message>
    <message>
        <source>some of your favorites have changed</source>
        <translation>certains de vos favoris ont changé</translation>
    </message>
    <message>
        <source>1 favorite failing</source>
        <translation>1 favori en échec</translation>
    </message>
    <message numerus="yes">
        <source>%n favorites failing</source>
        <translation>
            <numerusform>%n favori en échec</numerusform>
            <numerusform>%n favoris en échec</numerusform>
        </translation>
    </message>
    <message>
        <source>1 favorite changed</source>
        <translation>1 favori changé</translation>
    </message>
    <message numerus="yes">
        <source>%n favorites changed</source>
        <translation>
            <numerusform>%n favori changé</numerusform>
            <numerusform>%n favoris changés</numerusform>
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
        <translation>vérification %1 sur %2</translation>
    </message>
</context>
<context>
    <name>ChangeRules</name>
    <message>
        <source>Cannot save the rules of the favorites to &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;enregistrer les règles des favoris dans «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>CheckProgressDlg</name>
    <message>
        <source>Checking favorites: 0 of 0</source>
        <translation>Vérification des favoris&#xa0;: 0 sur 0</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Arrêter</translation>
    </message>
    <message>
        <source>Checking Favorites</source>
        <translation>Vérification des favoris</translation>
    </message>
    <message>
        <source>Checking favorites: %1 of %2</source>
        <translation>Vérification des favoris&#xa0;: %1 sur %2</translation>
    </message>
</context>
<context>
    <name>CopyFiles</name>
    <message>
        <source>Nelvox could not make a folder for the copy in &quot;%1&quot;.</source>
        <translation>Nelvox n&apos;a pas pu créer de dossier pour la copie dans «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>Nelvox could not write &quot;%1&quot;: %2</source>
        <translation>Nelvox n&apos;a pas pu écrire «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>CssSelector</name>
    <message>
        <source>The quote at character %1 is not closed.</source>
        <translation>Le guillemet au caractère %1 n&apos;est pas fermé.</translation>
    </message>
    <message>
        <source>The selector ends too early, after character %1.</source>
        <translation>Le sélecteur se termine trop tôt, après le caractère %1.</translation>
    </message>
    <message>
        <source>Unexpected &quot;%1&quot; at character %2.</source>
        <translation>«&#xa0;%1&#xa0;» inattendu au caractère %2.</translation>
    </message>
</context>
<context>
    <name>FailureReason</name>
    <message>
        <source>The part of the page chosen for this favorite is not on the page.</source>
        <translation>La partie de la page choisie pour ce favori ne se trouve pas sur la page.</translation>
    </message>
    <message>
        <source>the server answered &quot;not modified&quot; to a plain request</source>
        <translation>le serveur a répondu «&#xa0;non modifié&#xa0;» à une requête simple</translation>
    </message>
    <message>
        <source>host not found</source>
        <translation>hôte introuvable</translation>
    </message>
    <message>
        <source>proxy not found</source>
        <translation>proxy introuvable</translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation>connexion refusée</translation>
    </message>
    <message>
        <source>timed out</source>
        <translation>délai dépassé</translation>
    </message>
    <message>
        <source>certificate not trusted</source>
        <translation>certificat non reconnu</translation>
    </message>
    <message>
        <source>secure connection failed</source>
        <translation>échec de la connexion sécurisée</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>trop de redirections</translation>
    </message>
    <message>
        <source>page too large</source>
        <translation>page trop grande</translation>
    </message>
    <message>
        <source>the server sent nothing</source>
        <translation>le serveur n&apos;a rien envoyé</translation>
    </message>
    <message>
        <source>connection lost in the middle of the page</source>
        <translation>connexion perdue au milieu de la page</translation>
    </message>
    <message>
        <source>the page could not be written</source>
        <translation>la page n&apos;a pas pu être écrite</translation>
    </message>
    <message>
        <source>it is not a file</source>
        <translation>ce n&apos;est pas un fichier</translation>
    </message>
    <message>
        <source>it is a directory, not a regular file</source>
        <translation>c&apos;est un dossier, pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is a named pipe, not a regular file</source>
        <translation>c&apos;est un tube nommé, pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is a socket, not a regular file</source>
        <translation>c&apos;est une socket, pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is a device, not a regular file</source>
        <translation>c&apos;est un périphérique, pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>ce n&apos;est pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>il n&apos;existe pas</translation>
    </message>
    <message>
        <source>Cannot write to &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;écrire dans «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cannot measure &quot;%1&quot;: %2</source>
        <translation>Impossible de mesurer «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cannot remove &quot;%1&quot;: %2</source>
        <translation>Impossible de supprimer «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cannot rename &quot;%1&quot; to &quot;%2&quot;: %3</source>
        <translation>Impossible de renommer «&#xa0;%1&#xa0;» en «&#xa0;%2&#xa0;»&#xa0;: %3</translation>
    </message>
    <message>
        <source>Cannot link &quot;%1&quot; to &quot;%2&quot;: %3</source>
        <translation>Impossible de lier «&#xa0;%1&#xa0;» à «&#xa0;%2&#xa0;»&#xa0;: %3</translation>
    </message>
    <message>
        <source>Cannot copy &quot;%1&quot; to &quot;%2&quot;: %3</source>
        <translation>Impossible de copier «&#xa0;%1&#xa0;» vers «&#xa0;%2&#xa0;»&#xa0;: %3</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: %2</source>
        <translation>Impossible de lire «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>The snapshot %1 cannot be read.</source>
        <translation>L&apos;instantané %1 ne peut pas être lu.</translation>
    </message>
    <message>
        <source>The snapshot %1 cannot be read: %2</source>
        <translation>L&apos;instantané %1 ne peut pas être lu&#xa0;: %2</translation>
    </message>
    <message>
        <source>The download %1 cannot be read.</source>
        <translation>Le téléchargement %1 ne peut pas être lu.</translation>
    </message>
    <message>
        <source>The download %1 cannot be read: %2</source>
        <translation>Le téléchargement %1 ne peut pas être lu&#xa0;: %2</translation>
    </message>
    <message>
        <source>the server asked to wait until %1</source>
        <extracomment>%1 is a date and time, as in 12/08/26 09:30 PM</extracomment>
        <translation>le serveur a demandé d&apos;attendre jusqu&apos;au %1</translation>
    </message>
    <message>
        <source>the disk is full or the file cannot grow (%1 of %2 bytes written).</source>
        <translation>le disque est plein ou le fichier ne peut pas grandir (%1 octets écrits sur %2).</translation>
    </message>
    <message>
        <source>Unsupported protocol</source>
        <translation>Protocole non pris en charge</translation>
    </message>
    <message>
        <source>Failed initialization</source>
        <translation>Échec de l&apos;initialisation</translation>
    </message>
    <message>
        <source>URL using bad/illegal format or missing URL</source>
        <translation>Adresse absente ou de format invalide</translation>
    </message>
    <message>
        <source>Weird server reply</source>
        <translation>Réponse incompréhensible du serveur</translation>
    </message>
    <message>
        <source>Access denied to remote resource</source>
        <translation>Accès refusé à la ressource distante</translation>
    </message>
    <message>
        <source>Error in the HTTP2 framing layer</source>
        <translation>Erreur dans la couche de trames de HTTP/2</translation>
    </message>
    <message>
        <source>Failed writing received data to disk/application</source>
        <translation>Les données reçues n&apos;ont pas pu être écrites</translation>
    </message>
    <message>
        <source>Failed to open/read local data from file/application</source>
        <translation>Les données locales n&apos;ont pas pu être ouvertes ou lues</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Mémoire insuffisante</translation>
    </message>
    <message>
        <source>Requested range was not delivered by the server</source>
        <translation>Le serveur n&apos;a pas fourni la plage demandée</translation>
    </message>
    <message>
        <source>Couldn&apos;t read a file:// file</source>
        <translation>Un fichier file:// n&apos;a pas pu être lu</translation>
    </message>
    <message>
        <source>Operation was aborted by an application callback</source>
        <translation>Opération interrompue par le programme</translation>
    </message>
    <message>
        <source>Failed binding local connection end</source>
        <translation>L&apos;extrémité locale de la connexion n&apos;a pas pu être liée</translation>
    </message>
    <message>
        <source>SSL crypto engine not found</source>
        <translation>Moteur cryptographique SSL introuvable</translation>
    </message>
    <message>
        <source>Failed sending data to the peer</source>
        <translation>Les données n&apos;ont pas pu être envoyées au correspondant</translation>
    </message>
    <message>
        <source>Problem with the local SSL certificate</source>
        <translation>Problème avec le certificat SSL local</translation>
    </message>
    <message>
        <source>Couldn&apos;t use specified SSL cipher</source>
        <translation>Le chiffrement SSL indiqué n&apos;a pas pu être utilisé</translation>
    </message>
    <message>
        <source>Unrecognized or bad HTTP Content or Transfer-Encoding</source>
        <translation>Codage HTTP du contenu ou du transfert inconnu ou invalide</translation>
    </message>
    <message>
        <source>Requested SSL level failed</source>
        <translation>Le niveau SSL demandé a échoué</translation>
    </message>
    <message>
        <source>Failed to initialise SSL crypto engine</source>
        <translation>Le moteur cryptographique SSL n&apos;a pas pu démarrer</translation>
    </message>
    <message>
        <source>Problem with the SSL CA cert (path? access rights?)</source>
        <translation>Problème avec le certificat racine SSL (chemin&#xa0;? droits d&apos;accès&#xa0;?)</translation>
    </message>
    <message>
        <source>Remote file not found</source>
        <translation>Fichier distant introuvable</translation>
    </message>
    <message>
        <source>Failed to shut down the SSL connection</source>
        <translation>La connexion SSL n&apos;a pas pu être fermée</translation>
    </message>
    <message>
        <source>Socket not ready for send/recv</source>
        <translation>Socket pas prête pour l&apos;envoi ou la réception</translation>
    </message>
    <message>
        <source>Failed to load CRL file (path? access rights?, format?)</source>
        <translation>La liste de révocation n&apos;a pas pu être chargée (chemin&#xa0;? droits d&apos;accès&#xa0;? format&#xa0;?)</translation>
    </message>
    <message>
        <source>Issuer check against peer certificate failed</source>
        <translation>Échec de la vérification de l&apos;émetteur du certificat du correspondant</translation>
    </message>
    <message>
        <source>SSL public key does not match pinned public key</source>
        <translation>La clé publique SSL ne correspond pas à la clé épinglée</translation>
    </message>
    <message>
        <source>SSL server certificate status verification FAILED</source>
        <translation>ÉCHEC de la vérification de l&apos;état du certificat du serveur</translation>
    </message>
    <message>
        <source>Stream error in the HTTP/2 framing layer</source>
        <translation>Erreur de flux dans la couche de trames de HTTP/2</translation>
    </message>
    <message>
        <source>An authentication function returned an error</source>
        <translation>Une fonction d&apos;authentification a renvoyé une erreur</translation>
    </message>
    <message>
        <source>HTTP/3 error</source>
        <translation>Erreur HTTP/3</translation>
    </message>
    <message>
        <source>QUIC connection error</source>
        <translation>Erreur de connexion QUIC</translation>
    </message>
    <message>
        <source>proxy handshake error</source>
        <translation>Erreur lors de l&apos;établissement de la connexion au proxy</translation>
    </message>
    <message>
        <source>SSL Client Certificate required</source>
        <translation>Certificat client SSL requis</translation>
    </message>
    <message>
        <source>Unrecoverable error in select/poll</source>
        <translation>Erreur irrécupérable dans select/poll</translation>
    </message>
</context>
<context>
    <name>FavoriteCommands</name>
    <message>
        <source>The selected favorite changed or has a rule other than Page length.</source>
        <translation>Le favori sélectionné a changé ou a une autre règle que Longueur de la page.</translation>
    </message>
    <message>
        <source>%1 of the %2 selected favorites changed or have a rule other than Page length.</source>
        <translation>Sur les %2 favoris sélectionnés, %1 ont changé ou ont une autre règle que Longueur de la page.</translation>
    </message>
    <message>
        <source>Delete the favorites that changed or have a rule of their own?</source>
        <translation>Supprimer les favoris qui ont changé ou qui ont leur propre règle&#xa0;?</translation>
    </message>
    <message>
        <source>Yes deletes every selected favorite, No keeps them all.</source>
        <translation>Oui supprime tous les favoris sélectionnés, Non les garde tous.</translation>
    </message>
    <message>
        <source>Nelvox can watch at most %1 favorites.</source>
        <translation>Nelvox peut surveiller au plus %1 favoris.</translation>
    </message>
    <message>
        <source>Nelvox could not hand this address to a web browser:

%1</source>
        <translation>Nelvox n&apos;a pas pu transmettre cette adresse à un navigateur web&#xa0;:

%1</translation>
    </message>
    <message>
        <source>Bookmarks HTML files (*.html *.htm)</source>
        <translation>Fichiers HTML de signets (*.html *.htm)</translation>
    </message>
    <message>
        <source>Chromium and Google Chrome bookmarks (Bookmarks)</source>
        <translation>Signets de Chromium et de Google Chrome (Bookmarks)</translation>
    </message>
    <message>
        <source>Firefox bookmarks (places.sqlite)</source>
        <translation>Marque-pages de Firefox (places.sqlite)</translation>
    </message>
    <message>
        <source>Import Bookmarks</source>
        <translation>Importer des signets</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Export Favorites</source>
        <translation>Exporter les favoris</translation>
    </message>
</context>
<context>
    <name>FavoriteStates</name>
    <message>
        <source>Cannot save what the checks found to &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;enregistrer les résultats des vérifications dans «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>FavoritesFile</name>
    <message>
        <source>Cannot save the favorites to &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;enregistrer les favoris dans «&#xa0;%1&#xa0;»&#xa0;: %2</translation>
    </message>
    <message>
        <source>the file is read-only.</source>
        <translation>le fichier est en lecture seule.</translation>
    </message>
</context>
<context>
    <name>FavoritesModel</name>
    <message>
        <source>Never</source>
        <translation>Jamais</translation>
    </message>
    <message>
        <source>YES</source>
        <extracomment>Shown in the CHANGED column of a changed page</extracomment>
        <translation>OUI</translation>
    </message>
    <message>
        <source>Web Site</source>
        <translation>Site web</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Fréquence</translation>
    </message>
    <message>
        <source>Last Updated</source>
        <translation>Modifiée le</translation>
    </message>
    <message>
        <source>CHANGED</source>
        <extracomment>The heading of the column that shows YES for a changed page</extracomment>
        <translation>CHANGÉ</translation>
    </message>
    <message>
        <source>Last check failed %1 times in a row since %2: %3</source>
        <translation>La dernière vérification a échoué %1 fois de suite depuis le %2&#xa0;: %3</translation>
    </message>
    <message>
        <source>Last check failed at %1: %2</source>
        <translation>La dernière vérification a échoué le %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>
The page was last fetched %1.</source>
        <translation>
La page a été récupérée pour la dernière fois le %1.</translation>
    </message>
    <message>
        <source>
The page has not been fetched yet.</source>
        <translation>
La page n&apos;a pas encore été récupérée.</translation>
    </message>
</context>
<context>
    <name>FavoritesView</name>
    <message>
        <source>Show &amp;Changes...</source>
        <translation>Afficher les &amp;changements...</translation>
    </message>
    <message>
        <source>&amp;Import Bookmarks...</source>
        <translation>&amp;Importer des signets...</translation>
    </message>
    <message>
        <source>E&amp;xport Favorites...</source>
        <translation>E&amp;xporter les favoris...</translation>
    </message>
</context>
<context>
    <name>HelpPage</name>
    <message>
        <source>Help</source>
        <comment>the help window&apos;s caption</comment>
        <translation>Aide</translation>
    </message>
    <message>
        <source>index.html</source>
        <comment>the file name of the help page in this language: index.&lt;language&gt;.html, or index.html for the English page</comment>
        <translation>index.fr.html</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>a copy in it cannot be read, and it is left as it is</source>
        <translation>une copie qu&apos;il contient est illisible, et il est laissé tel quel</translation>
    </message>
    <message>
        <source>Qt&apos;s SQLite driver is not installed</source>
        <translation>le pilote SQLite de Qt n&apos;est pas installé</translation>
    </message>
    <message>
        <source>it is not a history of Nelvox, and is left as it is</source>
        <translation>ce n&apos;est pas un historique de Nelvox, et il est laissé tel quel</translation>
    </message>
    <message>
        <source>a newer version of Nelvox wrote it, and it is left as it is</source>
        <translation>une version plus récente de Nelvox l&apos;a écrit, et il est laissé tel quel</translation>
    </message>
    <message>
        <source>it is damaged, and is left as it is</source>
        <translation>il est endommagé, et il est laissé tel quel</translation>
    </message>
    <message>
        <source>another program keeps it locked</source>
        <translation>un autre programme le garde verrouillé</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>le disque est plein</translation>
    </message>
    <message>
        <source>it cannot be written (%1)</source>
        <translation>il ne peut pas être écrit (%1)</translation>
    </message>
    <message>
        <source>it is damaged (%1), and is left as it is</source>
        <translation>il est endommagé (%1), et il est laissé tel quel</translation>
    </message>
    <message>
        <source>it is not a database, and is left as it is</source>
        <translation>ce n&apos;est pas une base de données, et il est laissé tel quel</translation>
    </message>
    <message>
        <source>The history of the pages cannot be kept in &quot;%1&quot;: %2. The checks go on with the snapshots.</source>
        <translation>L&apos;historique des pages ne peut pas être tenu dans «&#xa0;%1&#xa0;»&#xa0;: %2. Les vérifications continuent avec les instantanés.</translation>
    </message>
</context>
<context>
    <name>InternetSession</name>
    <message>
        <source>the connection cache cannot be set up</source>
        <translation>le cache des connexions ne peut pas être mis en place</translation>
    </message>
    <message>
        <source>Cannot start an internet session: %1</source>
        <translation>Impossible de démarrer une session Internet&#xa0;: %1</translation>
    </message>
    <message>
        <source>the system refused it</source>
        <translation>le système l&apos;a refusée</translation>
    </message>
    <message>
        <source>Cannot start an internet session: out of memory</source>
        <translation>Impossible de démarrer une session Internet&#xa0;: mémoire insuffisante</translation>
    </message>
</context>
<context>
    <name>PageHistory</name>
    <message>
        <source>this copy is no longer kept</source>
        <translation>cette copie n&apos;est plus conservée</translation>
    </message>
</context>
<context>
    <name>PagePart</name>
    <message>
        <source>XPath error %1</source>
        <translation>Erreur XPath %1</translation>
    </message>
    <message>
        <source>XPath: the expression cannot be evaluated.</source>
        <translation>XPath&#xa0;: l&apos;expression ne peut pas être évaluée.</translation>
    </message>
    <message>
        <source>XPath: %1.</source>
        <translation>XPath&#xa0;: %1.</translation>
    </message>
    <message>
        <source>XPath: %1 at the end of the expression.</source>
        <translation>XPath&#xa0;: %1 à la fin de l&apos;expression.</translation>
    </message>
    <message>
        <source>XPath: %1 at character %2.</source>
        <translation>XPath&#xa0;: %1 au caractère %2.</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>vrai ou faux</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>un nombre</translation>
    </message>
    <message>
        <source>a text</source>
        <translation>un texte</translation>
    </message>
    <message>
        <source>no elements</source>
        <translation>aucun élément</translation>
    </message>
    <message>
        <source>The XPath expression gives %1, not a part of the page.</source>
        <translation>L&apos;expression XPath donne %1, et non une partie de la page.</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>Correct</translation>
    </message>
    <message>
        <source>Number encoding</source>
        <translation>Nombre mal écrit</translation>
    </message>
    <message>
        <source>Unfinished literal</source>
        <translation>Chaîne non terminée</translation>
    </message>
    <message>
        <source>Start of literal</source>
        <translation>Début d&apos;une chaîne</translation>
    </message>
    <message>
        <source>Expected $ for variable reference</source>
        <translation>$ attendu pour une référence de variable</translation>
    </message>
    <message>
        <source>Undefined variable</source>
        <translation>Variable inconnue</translation>
    </message>
    <message>
        <source>Invalid predicate</source>
        <translation>Prédicat invalide</translation>
    </message>
    <message>
        <source>Invalid expression</source>
        <translation>Expression invalide</translation>
    </message>
    <message>
        <source>Missing closing curly brace</source>
        <translation>Accolade fermante manquante</translation>
    </message>
    <message>
        <source>Unregistered function</source>
        <translation>Fonction inconnue</translation>
    </message>
    <message>
        <source>Invalid operand</source>
        <translation>Opérande invalide</translation>
    </message>
    <message>
        <source>Invalid type</source>
        <translation>Type invalide</translation>
    </message>
    <message>
        <source>Invalid number of arguments</source>
        <translation>Nombre d&apos;arguments incorrect</translation>
    </message>
    <message>
        <source>Invalid context size</source>
        <translation>Taille de contexte invalide</translation>
    </message>
    <message>
        <source>Invalid context position</source>
        <translation>Position de contexte invalide</translation>
    </message>
    <message>
        <source>Memory allocation error</source>
        <translation>Erreur d&apos;allocation de mémoire</translation>
    </message>
    <message>
        <source>Syntax error</source>
        <translation>Erreur de syntaxe</translation>
    </message>
    <message>
        <source>Resource error</source>
        <translation>Erreur de ressource</translation>
    </message>
    <message>
        <source>Sub resource error</source>
        <translation>Erreur d&apos;une sous-ressource</translation>
    </message>
    <message>
        <source>Undefined namespace prefix</source>
        <translation>Préfixe d&apos;espace de noms inconnu</translation>
    </message>
    <message>
        <source>Encoding error</source>
        <translation>Erreur de codage</translation>
    </message>
    <message>
        <source>Char out of XML range</source>
        <translation>Caractère hors du domaine XML</translation>
    </message>
    <message>
        <source>Invalid or incomplete context</source>
        <translation>Contexte invalide ou incomplet</translation>
    </message>
    <message>
        <source>Stack usage error</source>
        <translation>Erreur d&apos;utilisation de la pile</translation>
    </message>
    <message>
        <source>Forbidden variable</source>
        <translation>Variable interdite</translation>
    </message>
    <message>
        <source>Operation limit exceeded</source>
        <translation>Limite d&apos;opérations dépassée</translation>
    </message>
    <message>
        <source>Recursion limit exceeded</source>
        <translation>Limite de récursion dépassée</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Lecteur</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>Raccourci</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Inconnu</translation>
    </message>
</context>
</TS>
