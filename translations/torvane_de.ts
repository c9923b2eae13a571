<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>TAboutBox</name>
    <message>
        <source>Torvane</source>
        <translation>Torvane</translation>
    </message>
    <message>
        <source>Version 1.1</source>
        <translation>Version 1.1</translation>
    </message>
    <message>
        <source>Image sliders for your web pages, made without writing code.</source>
        <translation>Bild-Slider für Ihre Webseiten, ohne eine Zeile Code.</translation>
    </message>
    <message>
        <source>Web Site</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>Tech Support</source>
        <translation>Technischer Support</translation>
    </message>
    <message>
        <source>This program is provided &quot;as is&quot;, without warranty of any kind. The pages, scripts and pictures you make with it are yours; the slider script copied beside them may be published with them.</source>
        <translation>Dieses Programm wird ohne jede Gewährleistung „wie besehen“ bereitgestellt. Die Seiten, Skripte und Bilder, die Sie damit erstellen, gehören Ihnen; das daneben kopierte Slider-Skript darf mit ihnen veröffentlicht werden.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Torvane Help</source>
        <translation>Torvane-Hilfe</translation>
    </message>
    <message>
        <source>Help and support</source>
        <translation>Hilfe und Support</translation>
    </message>
</context>
<context>
    <name>TBackgroundWork</name>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
</context>
<context>
    <name>TBrowserChooser</name>
    <message>
        <source>Web Browser</source>
        <translation>Webbrowser</translation>
    </message>
    <message>
        <source>Use Default Browser</source>
        <translation>Standardbrowser verwenden</translation>
    </message>
    <message>
        <source>Use Known Browser in System</source>
        <translation>Einen installierten Browser verwenden</translation>
    </message>
    <message>
        <source>Installed browsers</source>
        <translation>Installierte Browser</translation>
    </message>
    <message>
        <source>User Specified Browser Program</source>
        <translation>Selbst gewähltes Browserprogramm</translation>
    </message>
    <message>
        <source>&amp;Program:</source>
        <translation>&amp;Programm:</translation>
    </message>
    <message>
        <source>Browser program</source>
        <translation>Browserprogramm</translation>
    </message>
    <message>
        <source>Choose browser program</source>
        <translation>Browserprogramm wählen</translation>
    </message>
    <message>
        <source>Browse for the browser&apos;s program</source>
        <translation>Das Programm des Browsers suchen</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
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
        <source>Programs (*)|*</source>
        <translation>Programme (*)|*</translation>
    </message>
    <message>
        <source>The web browser &quot;%1&quot; %2, so the preview could not be shown. Choose another browser with Option &gt; Web Browser.</source>
        <translation>Der Webbrowser „%1“ %2, daher konnte die Vorschau nicht gezeigt werden. Wählen Sie unter Optionen &gt; Webbrowser einen anderen Browser.</translation>
    </message>
</context>
<context>
    <name>TCodeWindow</name>
    <message>
        <source>HTML</source>
        <translation>HTML</translation>
    </message>
    <message>
        <source>HTML code</source>
        <translation>HTML-Code</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Copy to Clipboard</source>
        <translation>In die &amp;Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Copy only what to paste into a page of your own to show the slider there</source>
        <translation>Nur kopieren, was Sie in eine eigene Seite einfügen, um den Slider dort zu zeigen</translation>
    </message>
    <message>
        <source>Copy &amp;Embed Code</source>
        <translation>&amp;Einbettungscode kopieren</translation>
    </message>
</context>
<context>
    <name>TDesignPanel</name>
    <message>
        <source>This text is kept on one line, so its line breaks were replaced by blanks.</source>
        <translation>Dieser Text steht in einer Zeile, daher wurden seine Zeilenumbrüche durch Leerzeichen ersetzt.</translation>
    </message>
</context>
<context>
    <name>TDesignTreeController</name>
    <message>
        <source>Root item cannot be deleted.</source>
        <translation>Das Wurzelelement kann nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>Are you sure to delete this item and all its children?</source>
        <translation>Möchten Sie dieses Element und alle seine Unterelemente wirklich löschen?</translation>
    </message>
    <message>
        <source>Are you sure to delete these %L1 items and all their children?</source>
        <translation>Möchten Sie diese %L1 Elemente und alle ihre Unterelemente wirklich löschen?</translation>
    </message>
    <message>
        <source>Only pictures (%1 files) can be added to the slider. These files were not added:
</source>
        <translation>Nur Bilder (%1-Dateien) können dem Slider hinzugefügt werden. Diese Dateien wurden nicht hinzugefügt:
</translation>
    </message>
</context>
<context>
    <name>TDocument</name>
    <message>
        <source>Insert Item</source>
        <translation>Element einfügen</translation>
    </message>
    <message>
        <source>Add Picture</source>
        <translation>Bild hinzufügen</translation>
    </message>
    <message>
        <source>Add Pictures</source>
        <translation>Bilder hinzufügen</translation>
    </message>
    <message>
        <source>Delete Item</source>
        <translation>Element löschen</translation>
    </message>
    <message>
        <source>Delete Items</source>
        <translation>Elemente löschen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben verschieben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten verschieben</translation>
    </message>
    <message>
        <source>Move Item</source>
        <translation>Element verschieben</translation>
    </message>
</context>
<context>
    <name>TFileCommands</name>
    <message>
        <source>Torvane Files (*.tvn)|*.tvn</source>
        <translation>Torvane-Dateien (*.tvn)|*.tvn</translation>
    </message>
    <message>
        <source>Save changes to files before Exit?</source>
        <translation>Änderungen vor dem Beenden in die Dateien speichern?</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 existiert bereits.
Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message>
        <source>The folder %1 holds the published files of the project &quot;%2&quot; (torvanecfg.js, torvane.css, slider0.jpg, ...). Saving &quot;%3&quot; there replaces them, and the page of &quot;%2&quot; then shows this slider.

Replace them? Choose No to save into another folder.</source>
        <translation>Der Ordner %1 enthält die veröffentlichten Dateien des Projekts „%2“ (torvanecfg.js, torvane.css, slider0.jpg, ...). Wenn Sie „%3“ dort speichern, werden sie ersetzt, und die Seite von „%2“ zeigt dann diesen Slider.

Dateien ersetzen? Wählen Sie Nein, um in einem anderen Ordner zu speichern.</translation>
    </message>
    <message>
        <source>Save changes to files?</source>
        <translation>Änderungen in die Dateien speichern?</translation>
    </message>
</context>
<context>
    <name>THelpWindow</name>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>&amp;Vor</translation>
    </message>
    <message>
        <source>Help page</source>
        <translation>Hilfeseite</translation>
    </message>
</context>
<context>
    <name>TItemPanel</name>
    <message>
        <source>Choose picture file</source>
        <translation>Bilddatei wählen</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose the picture</source>
        <translation>Das Bild wählen</translation>
    </message>
    <message>
        <source>Help on Original Image Path</source>
        <translation>Hilfe zu „Pfad des Originalbilds“</translation>
    </message>
    <message>
        <source>Help on this group</source>
        <translation>Hilfe zu dieser Gruppe</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>http://</source>
        <translation>http://</translation>
    </message>
    <message>
        <source>mailto://</source>
        <translation>mailto://</translation>
    </message>
    <message>
        <source>javascript:</source>
        <translation>javascript:</translation>
    </message>
    <message>
        <source>ftp://</source>
        <translation>ftp://</translation>
    </message>
    <message>
        <source>news://</source>
        <translation>news://</translation>
    </message>
    <message>
        <source>Choose link file</source>
        <translation>Link-Datei wählen</translation>
    </message>
    <message>
        <source>Choose a local page to link to</source>
        <translation>Eine lokale Seite als Linkziel wählen</translation>
    </message>
    <message>
        <source>_self</source>
        <translation>_self</translation>
    </message>
    <message>
        <source>_blank</source>
        <translation>_blank</translation>
    </message>
    <message>
        <source>_parent</source>
        <translation>_parent</translation>
    </message>
    <message>
        <source>_top</source>
        <translation>_top</translation>
    </message>
    <message>
        <source>_search</source>
        <translation>_search</translation>
    </message>
    <message>
        <source>_media</source>
        <translation>_media</translation>
    </message>
    <message>
        <source>Help on Link</source>
        <translation>Hilfe zu „Link“</translation>
    </message>
    <message>
        <source>Help on Tooltip</source>
        <translation>Hilfe zu „Tooltip“</translation>
    </message>
    <message>
        <source>Choose Link</source>
        <translation>Link wählen</translation>
    </message>
    <message>
        <source>Choose Picture</source>
        <translation>Bild wählen</translation>
    </message>
    <message>
        <source>All Image Files(%1)|%1</source>
        <translation>Alle Bilddateien(%1)|%1</translation>
    </message>
    <message>
        <source>Edit Picture Path</source>
        <translation>Bildpfad bearbeiten</translation>
    </message>
    <message>
        <source>Edit Tooltip</source>
        <translation>Tooltip bearbeiten</translation>
    </message>
    <message>
        <source>Edit Link</source>
        <translation>Link bearbeiten</translation>
    </message>
    <message>
        <source>Edit Target</source>
        <translation>Ziel bearbeiten</translation>
    </message>
    <message>
        <source>HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*</source>
        <translation>HTML-Dateien(*.htm;*.html)|*.htm;*.html|Alle Dateien (*.*)|*.*</translation>
    </message>
    <message>
        <source>O&amp;riginal Image Path</source>
        <translation>&amp;Pfad des Originalbilds</translation>
    </message>
    <message>
        <source>&amp;Link</source>
        <translation>&amp;Link</translation>
    </message>
    <message>
        <source>&amp;Target</source>
        <translation>&amp;Ziel</translation>
    </message>
    <message>
        <source>Toolti&amp;p</source>
        <translation>&amp;Tooltip</translation>
    </message>
</context>
<context>
    <name>TItemTreeModel</name>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>Warning: Original image not found.</source>
        <translation>Warnung: Originalbild nicht gefunden.</translation>
    </message>
</context>
<context>
    <name>TLinkTip</name>
    <message>
        <source>Important Tip</source>
        <translation>Wichtiger Hinweis</translation>
    </message>
    <message>
        <source>Local link may not work for security reason. Please click the &apos;?&apos; book icon within link group to know more details.</source>
        <translation>Lokale Links funktionieren aus Sicherheitsgründen unter Umständen nicht. Klicken Sie auf das Buchsymbol „?“ in der Gruppe „Link“, um mehr zu erfahren.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Do not show this dialog again.</source>
        <translation>Diesen Hinweis nicht mehr zeigen.</translation>
    </message>
</context>
<context>
    <name>TLivePreviewEngine</name>
    <message>
        <source>Cannot create the live preview&apos;s folder.</source>
        <translation>Der Ordner der Live-Vorschau kann nicht angelegt werden.</translation>
    </message>
</context>
<context>
    <name>TLivePreviewPane</name>
    <message>
        <source>Live Preview</source>
        <translation>Live-Vorschau</translation>
    </message>
    <message>
        <source>Pause or play the moving slider</source>
        <translation>Den laufenden Slider anhalten oder fortsetzen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Live preview</source>
        <translation>Live-Vorschau</translation>
    </message>
    <message>
        <source>Not updated: %1</source>
        <translation>Nicht aktualisiert: %1</translation>
    </message>
    <message>
        <source>Live preview page</source>
        <translation>Seite der Live-Vorschau</translation>
    </message>
    <message>
        <source>The live preview stopped: its web engine ended (code %1). Turn View &gt; Live Preview off and on to try again; Script &gt; Preview still works.</source>
        <translation>Die Live-Vorschau wurde beendet: Ihre Web-Engine endete (Code %1). Schalten Sie Ansicht &gt; Live-Vorschau aus und wieder ein, um es erneut zu versuchen; Skript &gt; Vorschau funktioniert weiterhin.</translation>
    </message>
    <message>
        <source>Not updated: the page did not load.</source>
        <translation>Nicht aktualisiert: Die Seite wurde nicht geladen.</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Opened %1 in your browser.</source>
        <translation>%1 wurde in Ihrem Browser geöffnet.</translation>
    </message>
    <message>
        <source>The link %1 is not followed: only http, https and mailto links open (in your browser).</source>
        <translation>Dem Link %1 wird nicht gefolgt: Nur http-, https- und mailto-Links werden geöffnet (in Ihrem Browser).</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>Torvane</source>
        <translation>Torvane</translation>
    </message>
    <message>
        <source>Design tree</source>
        <translation>Entwurfsbaum</translation>
    </message>
    <message>
        <source>Add, remove or move items by right-clicking the mouse.</source>
        <translation>Elemente mit der rechten Maustaste hinzufügen, entfernen oder verschieben.</translation>
    </message>
    <message>
        <source>Script</source>
        <translation>Skript</translation>
    </message>
    <message>
        <source>Item General</source>
        <translation>Element</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Stop the running work (Esc)</source>
        <translation>Die laufende Arbeit abbrechen (Esc)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Recent Files</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Item</source>
        <translation>&amp;Element</translation>
    </message>
    <message>
        <source>&amp;Script</source>
        <translation>&amp;Skript</translation>
    </message>
    <message>
        <source>&amp;Option</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Tool Bar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>&amp;New...</source>
        <translation>&amp;Neu...</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>&amp;Templates</source>
        <translation>&amp;Vorlagen</translation>
    </message>
    <message>
        <source>S&amp;ave As Template</source>
        <translation>Als Vorlage s&amp;peichern</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>I&amp;nsert</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>Ins</source>
        <translation>Ins</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation>Nach &amp;unten</translation>
    </message>
    <message>
        <source>&amp;Preview</source>
        <translation>&amp;Vorschau</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>Build &amp;HTML...</source>
        <translation>&amp;HTML erzeugen...</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Copy &amp;Embed Code</source>
        <translation>&amp;Einbettungscode kopieren</translation>
    </message>
    <message>
        <source>Copy what to paste into a page of your own to show the slider there</source>
        <translation>Kopiert, was Sie in eine eigene Seite einfügen, um den Slider dort zu zeigen</translation>
    </message>
    <message>
        <source>Pu&amp;blish...</source>
        <translation>Ver&amp;öffentlichen...</translation>
    </message>
    <message>
        <source>Web &amp;Browser...</source>
        <translation>Web&amp;browser...</translation>
    </message>
    <message>
        <source>Help &amp;Topics</source>
        <translation>Hilfe&amp;themen</translation>
    </message>
    <message>
        <source>F1</source>
        <translation>F1</translation>
    </message>
    <message>
        <source>View &amp;Sample...</source>
        <translation>&amp;Beispiel ansehen...</translation>
    </message>
    <message>
        <source>&amp;Homepage</source>
        <translation>&amp;Homepage</translation>
    </message>
    <message>
        <source>&amp;Contact Us</source>
        <translation>&amp;Kontakt</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation>&amp;Werkzeugleiste</translation>
    </message>
    <message>
        <source>S&amp;mall Thumbnails</source>
        <translation>&amp;Kleine Vorschaubilder</translation>
    </message>
    <message>
        <source>&amp;Large Thumbnails</source>
        <translation>&amp;Große Vorschaubilder</translation>
    </message>
    <message>
        <source>Keep Scaled &amp;Pictures Between Saves</source>
        <translation>Skalierte &amp;Bilder zwischen Speichervorgängen behalten</translation>
    </message>
    <message>
        <source>Pictures for &amp;High-Density Screens</source>
        <translation>Bilder für &amp;hochauflösende Bildschirme</translation>
    </message>
    <message>
        <source>Also publish every picture at twice the slider height (slider0@2x.jpg, ...) for screens with 1.5 or more device pixels per pixel</source>
        <translation>Jedes Bild zusätzlich in doppelter Slider-Höhe veröffentlichen (slider0@2x.jpg, ...), für Bildschirme mit 1,5 oder mehr Gerätepixeln pro Pixel</translation>
    </message>
    <message>
        <source>&amp;Modern Picture Formats</source>
        <translation>&amp;Moderne Bildformate</translation>
    </message>
    <message>
        <source>Also publish every picture as WebP and AVIF (slider0.webp, slider0.avif, ...); each browser loads the smallest format it reads</source>
        <translation>Jedes Bild zusätzlich als WebP und AVIF veröffentlichen (slider0.webp, slider0.avif, ...); jeder Browser lädt das kleinste Format, das er lesen kann</translation>
    </message>
    <message>
        <source>Live &amp;Preview</source>
        <translation>Live-&amp;Vorschau</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Z</source>
        <translation>Ctrl+Shift+Z</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Undo the last change</source>
        <translation>Die letzte Änderung rückgängig machen</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Redo the change undone last</source>
        <translation>Die zuletzt rückgängig gemachte Änderung wiederholen</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Create a new project</source>
        <translation>Ein neues Projekt anlegen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open a project from the file that you saved before</source>
        <translation>Ein zuvor gespeichertes Projekt öffnen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save the current project to a file</source>
        <translation>Das aktuelle Projekt in eine Datei speichern</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Insert a new item</source>
        <translation>Ein neues Element einfügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Delete selected item</source>
        <translation>Das gewählte Element löschen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben verschieben</translation>
    </message>
    <message>
        <source>Move the selected item up</source>
        <translation>Das gewählte Element nach oben verschieben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten verschieben</translation>
    </message>
    <message>
        <source>Move the selected item down</source>
        <translation>Das gewählte Element nach unten verschieben</translation>
    </message>
    <message>
        <source>Build HTML</source>
        <translation>HTML erzeugen</translation>
    </message>
    <message>
        <source>Build the HTML code</source>
        <translation>Den HTML-Code erzeugen</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>preview the applet in web browser</source>
        <translation>Den Slider im Webbrowser ansehen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Show help document</source>
        <translation>Die Hilfe zeigen</translation>
    </message>
    <message>
        <source>&amp;Undo %1</source>
        <translation>&amp;Rückgängig: %1</translation>
    </message>
    <message>
        <source>&amp;Redo %1</source>
        <translation>&amp;Wiederholen: %1</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Wiederholen: %1</translation>
    </message>
    <message>
        <source>Properties</source>
        <translation>Eigenschaften</translation>
    </message>
    <message>
        <source>Hint</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>&quot;%1&quot; ended at once with exit status %2</source>
        <translation>„%1“ endete sofort mit dem Rückgabewert %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be started (%2)</source>
        <translation>„%1“ konnte nicht gestartet werden (%2)</translation>
    </message>
    <message>
        <source>%1, so %2 was not opened.

Check the desktop&apos;s default web browser, or choose another browser with Option &gt; Web Browser.</source>
        <translation>%1, daher wurde %2 nicht geöffnet.

Prüfen Sie den Standardbrowser des Desktops, oder wählen Sie unter Optionen &gt; Webbrowser einen anderen Browser.</translation>
    </message>
</context>
<context>
    <name>TPathPanel</name>
    <message>
        <source>Path Replacement for Publishing</source>
        <translation>Pfadersetzung beim Veröffentlichen</translation>
    </message>
    <message>
        <source>If item&apos;s URL contains either local or web path you specified here, one path will be replaced by another depending on the choice below. Local path will be replaced by web path for uploading if you need to upload the menu to web server to test or publish.</source>
        <translation>Enthält die URL eines Elements den hier angegebenen lokalen oder Web-Pfad, wird je nach Auswahl unten der eine Pfad durch den anderen ersetzt. Zum Hochladen auf den Webserver (zum Testen oder Veröffentlichen) wird der lokale Pfad durch den Web-Pfad ersetzt.</translation>
    </message>
    <message>
        <source>e.g. file:///C|/projects/websites/brenlow/</source>
        <translation>z. B. file:///C|/projects/websites/brenlow/</translation>
    </message>
    <message>
        <source>font-weight: bold;</source>
        <translation>font-weight: bold;</translation>
    </message>
    <message>
        <source>e.g. https://www.example.com/brenlow/</source>
        <translation>z. B. https://www.example.com/brenlow/</translation>
    </message>
    <message>
        <source>Help on Path Replacement for Publishing</source>
        <translation>Hilfe zu „Pfadersetzung beim Veröffentlichen“</translation>
    </message>
    <message>
        <source>Help on this group</source>
        <translation>Hilfe zu dieser Gruppe</translation>
    </message>
    <message>
        <source>Choose Link Replacement</source>
        <translation>Pfadersetzung wählen</translation>
    </message>
    <message>
        <source>Edit Local Folder</source>
        <translation>Lokalen Ordner bearbeiten</translation>
    </message>
    <message>
        <source>Edit Remote Folder</source>
        <translation>Web-Ordner bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Root Directory for Local Computer</source>
        <translation>S&amp;tammordner auf dem lokalen Computer</translation>
    </message>
    <message>
        <source>Roo&amp;t Directory for Web Server</source>
        <translation>Sta&amp;mmordner auf dem Webserver</translation>
    </message>
    <message>
        <source>Test o&amp;n Local Computer (Convert to Local Path)</source>
        <translation>A&amp;uf dem lokalen Computer testen (in lokalen Pfad umwandeln)</translation>
    </message>
    <message>
        <source>&amp;Upload to Web Server (Convert to Web Path)</source>
        <translation>Au&amp;f den Webserver hochladen (in Web-Pfad umwandeln)</translation>
    </message>
</context>
<context>
    <name>TPictureFacts</name>
    <message>
        <source>No picture chosen</source>
        <translation>Kein Bild gewählt</translation>
    </message>
</context>
<context>
    <name>TPicturePane</name>
    <message>
        <source>The selected items&apos; pictures</source>
        <translation>Die Bilder der gewählten Elemente</translation>
    </message>
    <message>
        <source>%1 × %2 pixels</source>
        <translation>%1 × %2 Pixel</translation>
    </message>
    <message>
        <source>Published size: set the slider&apos;s height first</source>
        <translation>Veröffentlichte Größe: zuerst die Höhe des Sliders festlegen</translation>
    </message>
    <message>
        <source>Published at %1 × %2 pixels</source>
        <translation>Veröffentlicht mit %1 × %2 Pixeln</translation>
    </message>
    <message numerus="yes">
        <source>%Ln picture(s)</source>
        <translation>
            <numerusform>%Ln Bild</numerusform>
            <numerusform>%Ln Bilder</numerusform>
        </translation>
    </message>
    <message>
        <source> (the first %L1 shown)</source>
        <translation> (die ersten %L1 gezeigt)</translation>
    </message>
</context>
<context>
    <name>TPublishReportWindow</name>
    <message>
        <source>Applet Publish Report</source>
        <translation>Veröffentlichungsbericht</translation>
    </message>
    <message>
        <source>Publish report</source>
        <translation>Veröffentlichungsbericht</translation>
    </message>
    <message>
        <source>Show the folder with the published files</source>
        <translation>Den Ordner mit den veröffentlichten Dateien zeigen</translation>
    </message>
    <message>
        <source>Open &amp;Folder</source>
        <translation>&amp;Ordner öffnen</translation>
    </message>
    <message>
        <source>Open the published page in the web browser chosen under Option &gt; Web Browser</source>
        <translation>Die veröffentlichte Seite im unter Optionen &gt; Webbrowser gewählten Browser öffnen</translation>
    </message>
    <message>
        <source>&amp;View in Browser</source>
        <translation>Im &amp;Browser ansehen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 kann nicht geöffnet werden</translation>
    </message>
</context>
<context>
    <name>TScriptCommands</name>
    <message>
        <source>Embed code copied: paste it into your page, and put the files Save writes beside it.</source>
        <translation>Einbettungscode kopiert: Fügen Sie ihn in Ihre Seite ein und legen Sie die Dateien, die Speichern schreibt, daneben.</translation>
    </message>
</context>
<context>
    <name>TSliderPanel</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Background Color</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Help on General</source>
        <translation>Hilfe zu „Allgemein“</translation>
    </message>
    <message>
        <source>Help on this group</source>
        <translation>Hilfe zu dieser Gruppe</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Help on Size</source>
        <translation>Hilfe zu „Größe“</translation>
    </message>
    <message>
        <source>Scrolling</source>
        <translation>Bewegung</translation>
    </message>
    <message>
        <source>Help on Scrolling</source>
        <translation>Hilfe zu „Bewegung“</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>Abstände</translation>
    </message>
    <message>
        <source>Help on Distance</source>
        <translation>Hilfe zu „Abstände“</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Stil</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keiner</translation>
    </message>
    <message>
        <source>dotted</source>
        <translation>gepunktet</translation>
    </message>
    <message>
        <source>dashed</source>
        <translation>gestrichelt</translation>
    </message>
    <message>
        <source>solid</source>
        <translation>durchgezogen</translation>
    </message>
    <message>
        <source>double</source>
        <translation>doppelt</translation>
    </message>
    <message>
        <source>groove</source>
        <translation>Rille</translation>
    </message>
    <message>
        <source>ridge</source>
        <translation>Grat</translation>
    </message>
    <message>
        <source>inset</source>
        <translation>vertieft</translation>
    </message>
    <message>
        <source>window-inset</source>
        <translation>Fenster vertieft</translation>
    </message>
    <message>
        <source>outset</source>
        <translation>erhaben</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Slider Border Color</source>
        <translation>Farbe des Slider-Rahmens</translation>
    </message>
    <message>
        <source>Help on Slider Border</source>
        <translation>Hilfe zu „Slider-Rahmen“</translation>
    </message>
    <message>
        <source>Image Border Color</source>
        <translation>Farbe des Bildrahmens</translation>
    </message>
    <message>
        <source>Help on Image Border</source>
        <translation>Hilfe zu „Bildrahmen“</translation>
    </message>
    <message>
        <source>Change Border Style</source>
        <translation>Rahmenstil ändern</translation>
    </message>
    <message>
        <source>Edit Slider Name</source>
        <translation>Slider-Namen bearbeiten</translation>
    </message>
    <message>
        <source>The name must begin with a letter, &quot;_&quot; or &quot;$&quot; and hold only letters, digits, &quot;_&quot; and &quot;$&quot;, because the page&apos;s script uses it.</source>
        <translation>Der Name muss mit einem Buchstaben, „_“ oder „$“ beginnen und darf nur Buchstaben, Ziffern, „_“ und „$“ enthalten, weil das Skript der Seite ihn verwendet.</translation>
    </message>
    <message>
        <source>a blank</source>
        <translation>ein Leerzeichen</translation>
    </message>
    <message>
        <source>%1 can&apos;t be part of the name. </source>
        <translation>%1 darf nicht im Namen vorkommen. </translation>
    </message>
    <message>
        <source>The name can&apos;t begin with &quot;%1&quot;. </source>
        <translation>Der Name darf nicht mit „%1“ beginnen. </translation>
    </message>
    <message>
        <source>Change Width</source>
        <translation>Breite ändern</translation>
    </message>
    <message>
        <source>Change Height</source>
        <translation>Höhe ändern</translation>
    </message>
    <message>
        <source>Change Step</source>
        <translation>Schritt ändern</translation>
    </message>
    <message>
        <source>Change Delay</source>
        <translation>Verzögerung ändern</translation>
    </message>
    <message>
        <source>Change Gap</source>
        <translation>Lücke ändern</translation>
    </message>
    <message>
        <source>Change Trailer Space</source>
        <translation>Nachlauf ändern</translation>
    </message>
    <message>
        <source>Change Slider Border Width</source>
        <translation>Breite des Slider-Rahmens ändern</translation>
    </message>
    <message>
        <source>Change Image Border Width</source>
        <translation>Breite des Bildrahmens ändern</translation>
    </message>
    <message>
        <source>Change Background Colour</source>
        <translation>Hintergrundfarbe ändern</translation>
    </message>
    <message>
        <source>Change Image Border Colour</source>
        <translation>Farbe des Bildrahmens ändern</translation>
    </message>
    <message>
        <source>Change Slider Border Colour</source>
        <translation>Farbe des Slider-Rahmens ändern</translation>
    </message>
    <message>
        <source>&amp;Name</source>
        <translation>&amp;Name</translation>
    </message>
    <message>
        <source>&amp;Background Color</source>
        <translation>H&amp;intergrundfarbe</translation>
    </message>
    <message>
        <source>&amp;Width</source>
        <translation>B&amp;reite</translation>
    </message>
    <message>
        <source>Hei&amp;ght</source>
        <translation>H&amp;öhe</translation>
    </message>
    <message>
        <source>S&amp;tep</source>
        <translation>S&amp;chritt</translation>
    </message>
    <message>
        <source>&amp;Delay</source>
        <translation>&amp;Verzögerung</translation>
    </message>
    <message>
        <source>G&amp;ap</source>
        <translation>L&amp;ücke</translation>
    </message>
    <message>
        <source>T&amp;railer Space</source>
        <translation>Nachla&amp;uf</translation>
    </message>
    <message>
        <source>S&amp;lider Border</source>
        <translation>S&amp;lider-Rahmen</translation>
    </message>
    <message>
        <source>I&amp;mage Border</source>
        <translation>Bildrah&amp;men</translation>
    </message>
</context>
<context>
    <name>TTemplateChooser</name>
    <message>
        <source>Template</source>
        <translation>Vorlage</translation>
    </message>
    <message>
        <source>Templates</source>
        <translation>Vorlagen</translation>
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
        <source>Click OK to open selected template or cancel to create a new project.</source>
        <translation>Klicken Sie auf OK, um die gewählte Vorlage zu öffnen, oder auf Abbrechen, um ein neues Projekt anzulegen.</translation>
    </message>
    <message>
        <source>Do not show this dialog again.</source>
        <translation>Diesen Hinweis nicht mehr zeigen.</translation>
    </message>
    <message>
        <source>Cannot create %1</source>
        <translation>%1 kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>TTreePictures</name>
    <message>
        <source>Warning: %1</source>
        <translation>Warnung: %1</translation>
    </message>
</context>
<context>
    <name>livepage</name>
    <message>
        <source>The live preview needs a display; Script &gt; Preview shows the slider in a browser.</source>
        <translation>Die Live-Vorschau braucht eine Anzeige; Skript &gt; Vorschau zeigt den Slider in einem Browser.</translation>
    </message>
    <message>
        <source>The live preview cannot start: %1 is missing. Install the package libqt6webenginecore6-bin and start Torvane again.</source>
        <translation>Die Live-Vorschau kann nicht starten: %1 fehlt. Installieren Sie das Paket libqt6webenginecore6-bin und starten Sie Torvane erneut.</translation>
    </message>
</context>
<context>
    <name>model</name>
    <message>
        <source>Copying Publishable Files ... ...</source>
        <translation>Veröffentlichte Dateien werden kopiert ...</translation>
    </message>
    <message>
        <source>Copying Resource Files ... ...</source>
        <translation>Vorhandene Bilder werden kopiert ...</translation>
    </message>
    <message>
        <source>Making HTML Codes ... ...</source>
        <translation>HTML-Code wird erzeugt ...</translation>
    </message>
    <message>
        <source>Making Publish Report ... ...</source>
        <translation>Veröffentlichungsbericht wird erstellt ...</translation>
    </message>
    <message>
        <source>Saving Data ... ...</source>
        <translation>Daten werden gespeichert ...</translation>
    </message>
    <message>
        <source>it is damaged</source>
        <translation>es ist beschädigt</translation>
    </message>
    <message>
        <source>image file</source>
        <translation>Bilddatei</translation>
    </message>
    <message>
        <source>original image</source>
        <translation>Originalbild</translation>
    </message>
    <message>
        <source>link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>target</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>tooltip</source>
        <translation>Tooltip</translation>
    </message>
    <message>
        <source>width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>level</source>
        <translation>Ebene</translation>
    </message>
    <message>
        <source>spare value</source>
        <translation>Reservewert</translation>
    </message>
    <message>
        <source>slider name</source>
        <translation>Slider-Name</translation>
    </message>
    <message>
        <source>configuration name</source>
        <translation>Konfigurationsname</translation>
    </message>
    <message>
        <source>container id</source>
        <translation>Container-ID</translation>
    </message>
    <message>
        <source>step</source>
        <translation>Schritt</translation>
    </message>
    <message>
        <source>delay</source>
        <translation>Verzögerung</translation>
    </message>
    <message>
        <source>gap</source>
        <translation>Lücke</translation>
    </message>
    <message>
        <source>trailer space</source>
        <translation>Nachlauf</translation>
    </message>
    <message>
        <source>background colour</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>spare configuration name</source>
        <translation>Reserve-Konfigurationsname</translation>
    </message>
    <message>
        <source>image border width</source>
        <translation>Breite des Bildrahmens</translation>
    </message>
    <message>
        <source>image border style</source>
        <translation>Stil des Bildrahmens</translation>
    </message>
    <message>
        <source>image border colour</source>
        <translation>Farbe des Bildrahmens</translation>
    </message>
    <message>
        <source>container border width</source>
        <translation>Breite des Slider-Rahmens</translation>
    </message>
    <message>
        <source>container border style</source>
        <translation>Stil des Slider-Rahmens</translation>
    </message>
    <message>
        <source>container border colour</source>
        <translation>Farbe des Slider-Rahmens</translation>
    </message>
    <message>
        <source>local root folder</source>
        <translation>Lokaler Stammordner</translation>
    </message>
    <message>
        <source>web root folder</source>
        <translation>Web-Stammordner</translation>
    </message>
    <message>
        <source>path option</source>
        <translation>Pfadoption</translation>
    </message>
    <message>
        <source>text on one line</source>
        <translation>Text in einer Zeile</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>eine ganze Zahl von %1 bis %2</translation>
    </message>
    <message>
        <source>a border style (a whole number)</source>
        <translation>ein Rahmenstil (eine ganze Zahl)</translation>
    </message>
    <message>
        <source>a colour of six hexadecimal digits (RRGGBB)</source>
        <translation>eine Farbe aus sechs Hexadezimalziffern (RRGGBB)</translation>
    </message>
    <message>
        <source>a whole number or empty</source>
        <translation>eine ganze Zahl oder nichts</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>„%1“ ist keine gültige ganze Zahl</translation>
    </message>
    <message>
        <source>File not found: %1</source>
        <translation>Datei nicht gefunden: %1</translation>
    </message>
    <message>
        <source>File access denied: %1</source>
        <translation>Zugriff auf die Datei verweigert: %1</translation>
    </message>
    <message>
        <source>Disk full: %1</source>
        <translation>Datenträger voll: %1</translation>
    </message>
    <message>
        <source>Cannot create file %1 (%2)</source>
        <translation>Die Datei %1 kann nicht angelegt werden (%2)</translation>
    </message>
    <message>
        <source>Cannot open file %1 (%2)</source>
        <translation>Die Datei %1 kann nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>Disk full: %1 was not written</source>
        <translation>Datenträger voll: %1 wurde nicht geschrieben</translation>
    </message>
    <message>
        <source>Cannot write file %1 (%2)</source>
        <translation>Die Datei %1 kann nicht geschrieben werden (%2)</translation>
    </message>
    <message>
        <source>Cannot write file %1 (it holds %L2 of %L3 bytes)</source>
        <translation>Die Datei %1 kann nicht geschrieben werden (sie enthält %L2 von %L3 Bytes)</translation>
    </message>
    <message>
        <source>Cannot create file %1 (a folder of that name exists)</source>
        <translation>Die Datei %1 kann nicht angelegt werden (es gibt einen Ordner dieses Namens)</translation>
    </message>
    <message>
        <source>Cannot read file %1 (copying it to %2)</source>
        <translation>Die Datei %1 kann nicht gelesen werden (beim Kopieren nach %2)</translation>
    </message>
    <message>
        <source>Cannot open file %1 (it is a folder)</source>
        <translation>Die Datei %1 kann nicht geöffnet werden (sie ist ein Ordner)</translation>
    </message>
    <message>
        <source>Cannot open file %1 (it is not a regular file)</source>
        <translation>Die Datei %1 kann nicht geöffnet werden (sie ist keine gewöhnliche Datei)</translation>
    </message>
    <message>
        <source>Cannot read file %1</source>
        <translation>Die Datei %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>The file %1 is too large (%L2 bytes; at most %L3 are read)</source>
        <translation>Die Datei %1 ist zu groß (%L2 Bytes; höchstens %L3 werden gelesen)</translation>
    </message>
    <message>
        <source>The file %1 is too large (more than %L2 bytes are read)</source>
        <translation>Die Datei %1 ist zu groß (mehr als %L2 Bytes wurden gelesen)</translation>
    </message>
    <message>
        <source>Item %1&apos;s %2</source>
        <translation>%2 von Element %1</translation>
    </message>
    <message>
        <source>AVIF decoding is not available: install libheif1 with its AV1 decoder (the libheif-plugin-dav1d package where there is one)</source>
        <translation>AVIF-Bilder können nicht dekodiert werden: Installieren Sie libheif1 mit seinem AV1-Decoder (das Paket libheif-plugin-dav1d, wo es eines gibt)</translation>
    </message>
    <message>
        <source>HEIC decoding is not available: install libheif1 with its HEVC decoder (the libheif-plugin-libde265 package where there is one)</source>
        <translation>HEIC-Bilder können nicht dekodiert werden: Installieren Sie libheif1 mit seinem HEVC-Decoder (das Paket libheif-plugin-libde265, wo es eines gibt)</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>nicht genug Arbeitsspeicher</translation>
    </message>
    <message>
        <source>the picture data cannot be decoded (%1)</source>
        <translation>die Bilddaten können nicht dekodiert werden (%1)</translation>
    </message>
    <message>
        <source>the decoded picture is %L1 x %L2 pixels, not the size the file declares</source>
        <translation>das dekodierte Bild hat %L1 × %L2 Pixel, nicht die Größe, die die Datei angibt</translation>
    </message>
    <message>
        <source>the picture data cannot be decoded</source>
        <translation>die Bilddaten können nicht dekodiert werden</translation>
    </message>
    <message>
        <source>damaged or unsupported HEIF data (%1)</source>
        <translation>beschädigte oder nicht unterstützte HEIF-Daten (%1)</translation>
    </message>
    <message>
        <source>The slider height must be at least 1 pixel (it is %1)</source>
        <translation>Die Höhe des Sliders muss mindestens 1 Pixel betragen (sie beträgt %1)</translation>
    </message>
    <message>
        <source>A picture of %1 x %2 pixels cannot be scaled</source>
        <translation>Ein Bild mit %1 × %2 Pixeln kann nicht skaliert werden</translation>
    </message>
    <message>
        <source>A picture of %L1 x %L2 pixels scaled to a height of %L3 would exceed %L4 megapixels</source>
        <translation>Ein Bild mit %L1 × %L2 Pixeln hätte, auf eine Höhe von %L3 skaliert, mehr als %L4 Megapixel</translation>
    </message>
    <message>
        <source>%L1 x %L2 pixels</source>
        <translation>%L1 × %L2 Pixel</translation>
    </message>
    <message>
        <source>it declares %1, more than the %L2 megapixels a picture may have</source>
        <translation>es gibt %1 an, mehr als die %L2 Megapixel, die ein Bild haben darf</translation>
    </message>
    <message>
        <source>it declares %1 in several scans, which would need about %L2 MB to scale, more than the %L3 MB a picture may use</source>
        <translation>es gibt %1 in mehreren Scans an; das Skalieren bräuchte etwa %L2 MB, mehr als die %L3 MB, die ein Bild belegen darf</translation>
    </message>
    <message>
        <source>it declares %1, which would need about %L2 MB to scale, more than the %L3 MB a picture may use</source>
        <translation>es gibt %1 an; das Skalieren bräuchte etwa %L2 MB, mehr als die %L3 MB, die ein Bild belegen darf</translation>
    </message>
    <message>
        <source>it declares %1 in arithmetic coding, more than the %L2 megapixels such a picture may have</source>
        <translation>es gibt %1 in arithmetischer Kodierung an, mehr als die %L2 Megapixel, die ein solches Bild haben darf</translation>
    </message>
    <message>
        <source>the picture data ends early</source>
        <translation>die Bilddaten enden vorzeitig</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>it is a folder, not a file</source>
        <translation>es ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>Cannot encode the scaled picture of %1: %2</source>
        <translation>Das skalierte Bild von %1 kann nicht kodiert werden: %2</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>die Datei ist leer</translation>
    </message>
    <message>
        <source>unsupported kind of JPEG (%1 colour components)</source>
        <translation>nicht unterstützte JPEG-Art (%1 Farbkomponenten)</translation>
    </message>
    <message>
        <source>it has more than %L1 scans</source>
        <translation>es hat mehr als %L1 Scans</translation>
    </message>
    <message>
        <source>its %L1 scans would take more decoding work than a picture may (%L2 blocks)</source>
        <translation>seine %L1 Scans bräuchten mehr Dekodierarbeit, als ein Bild darf (%L2 Blöcke)</translation>
    </message>
    <message>
        <source>no picture header in its first %L1 MB</source>
        <translation>kein Bildkopf in den ersten %L1 MB</translation>
    </message>
    <message>
        <source>the file holds far more data than a picture of its declared size can need (%L1 MB read)</source>
        <translation>die Datei enthält weit mehr Daten, als ein Bild der angegebenen Größe brauchen kann (%L1 MB gelesen)</translation>
    </message>
    <message>
        <source>not a JPEG file</source>
        <translation>keine JPEG-Datei</translation>
    </message>
    <message>
        <source>decoding it would need more memory than a picture may use (%1)</source>
        <translation>das Dekodieren bräuchte mehr Speicher, als ein Bild belegen darf (%1)</translation>
    </message>
    <message>
        <source>the picture data is corrupt or truncated (%1)</source>
        <translation>die Bilddaten sind beschädigt oder abgeschnitten (%1)</translation>
    </message>
    <message>
        <source>corrupt or unsupported JPEG data (%1)</source>
        <translation>beschädigte oder nicht unterstützte JPEG-Daten (%1)</translation>
    </message>
    <message>
        <source>Cannot encode the scaled picture of %1 as WebP: %2</source>
        <translation>Das skalierte Bild von %1 kann nicht als WebP kodiert werden: %2</translation>
    </message>
    <message>
        <source>the library does not match its header</source>
        <translation>die Bibliothek passt nicht zu ihren Headern</translation>
    </message>
    <message>
        <source>encoder error %1</source>
        <translation>Kodiererfehler %1</translation>
    </message>
    <message>
        <source>Cannot encode the scaled picture of %1 as AVIF: %2</source>
        <translation>Das skalierte Bild von %1 kann nicht als AVIF kodiert werden: %2</translation>
    </message>
    <message>
        <source>encoder error</source>
        <translation>Kodiererfehler</translation>
    </message>
    <message>
        <source>JPEG, PNG, WebP, HEIC, AVIF or TIFF</source>
        <translation>JPEG, PNG, WebP, HEIC, AVIF oder TIFF</translation>
    </message>
    <message>
        <source>Cannot read picture %1: %2</source>
        <translation>Das Bild %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>the file is %L1 MB, more than a picture of its kind may take (%L2 MB)</source>
        <translation>die Datei hat %L1 MB, mehr als ein Bild dieser Art belegen darf (%L2 MB)</translation>
    </message>
    <message>
        <source>the file could not be read to its end</source>
        <translation>die Datei konnte nicht bis zum Ende gelesen werden</translation>
    </message>
    <message>
        <source>not a picture file in a format we read (%1)</source>
        <translation>keine Bilddatei in einem lesbaren Format (%1)</translation>
    </message>
    <message>
        <source>the picture is too large to be decoded</source>
        <translation>das Bild ist zu groß zum Dekodieren</translation>
    </message>
    <message>
        <source>damaged or unsupported PNG data (%1)</source>
        <translation>beschädigte oder nicht unterstützte PNG-Daten (%1)</translation>
    </message>
    <message>
        <source>Cannot write picture %1: no pixels to write</source>
        <translation>Das Bild %1 kann nicht geschrieben werden: keine Pixel zum Schreiben</translation>
    </message>
    <message>
        <source>Cannot write picture %1: the PNG encoder failed</source>
        <translation>Das Bild %1 kann nicht geschrieben werden: Der PNG-Kodierer ist gescheitert</translation>
    </message>
    <message>
        <source>Item %1: %2</source>
        <translation>Element %1: %2</translation>
    </message>
    <message>
        <source>damaged or unsupported TIFF data</source>
        <translation>beschädigte oder nicht unterstützte TIFF-Daten</translation>
    </message>
    <message>
        <source>damaged TIFF data (no picture size)</source>
        <translation>beschädigte TIFF-Daten (keine Bildgröße)</translation>
    </message>
    <message>
        <source>unsupported kind of TIFF (%1)</source>
        <translation>nicht unterstützte TIFF-Art (%1)</translation>
    </message>
    <message>
        <source>the picture data is corrupt or truncated</source>
        <translation>die Bilddaten sind beschädigt oder abgeschnitten</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>damaged or unsupported WebP data (its header cannot be read)</source>
        <translation>beschädigte oder nicht unterstützte WebP-Daten (ihr Kopf kann nicht gelesen werden)</translation>
    </message>
    <message>
        <source>the WebP decoder cannot start</source>
        <translation>der WebP-Decoder kann nicht starten</translation>
    </message>
    <message>
        <source>the first frame of the animation cannot be decoded</source>
        <translation>das erste Bild der Animation kann nicht dekodiert werden</translation>
    </message>
    <message>
        <source>Cannot create the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>The runtime script is missing: %1</source>
        <translation>Das Laufzeitskript fehlt: %1</translation>
    </message>
    <message>
        <source>This file wasn&apos;t saved by Torvane 1.1, open failed!</source>
        <translation>Diese Datei wurde nicht von Torvane 1.1 gespeichert und kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The %1 &apos;%2&apos; contains &quot;%3&quot;, which a project file cannot hold</source>
        <translation>Der Wert „%2“ (%1) enthält „%3“, was eine Projektdatei nicht aufnehmen kann</translation>
    </message>
    <message>
        <source>The %1 &apos;%2&apos; contains a line break, which a project file cannot hold</source>
        <translation>Der Wert „%2“ (%1) enthält einen Zeilenumbruch, den eine Projektdatei nicht aufnehmen kann</translation>
    </message>
    <message>
        <source>slider&apos;s %1</source>
        <translation>%1 des Sliders</translation>
    </message>
    <message>
        <source>image %1&apos;s %2</source>
        <translation>%2 von Bild %1</translation>
    </message>
    <message>
        <source>Loading Data ... ...</source>
        <translation>Daten werden geladen ...</translation>
    </message>
    <message>
        <source>The project file %1 holds more than %L2 images (line %L3); at most %L2 can be opened</source>
        <translation>Die Projektdatei %1 enthält mehr als %L2 Bilder (Zeile %L3); höchstens %L2 können geöffnet werden</translation>
    </message>
    <message>
        <source>before its slider parameters</source>
        <translation>vor den Parametern des Sliders</translation>
    </message>
    <message>
        <source>before its image list</source>
        <translation>vor der Bilderliste</translation>
    </message>
    <message>
        <source>inside its image list, after %L1 image(s)</source>
        <translation>innerhalb der Bilderliste, nach %L1 Bild(ern)</translation>
    </message>
    <message>
        <source>The project file %1 was not opened: line %L2 holds %3 &apos;%4&apos;, which is not %5.</source>
        <translation>Die Projektdatei %1 wurde nicht geöffnet: Zeile %L2 enthält „%4“ als %3; erwartet wird %5.</translation>
    </message>
    <message>
        <source>the slider&apos;s %1</source>
        <translation>%1 des Sliders</translation>
    </message>
    <message>
        <source>The project file %1 ended early, %2. The design may be incomplete.</source>
        <translation>Die Projektdatei %1 endet vorzeitig, %2. Der Entwurf ist womöglich unvollständig.</translation>
    </message>
    <message>
        <source>The project file %1 ends early, %2, and was not opened: it may have been cut short.</source>
        <translation>Die Projektdatei %1 endet vorzeitig, %2, und wurde nicht geöffnet: Sie wurde womöglich abgeschnitten.</translation>
    </message>
    <message>
        <source>The project file name &apos;%1&apos; leaves no name for the published files</source>
        <translation>Der Projektdateiname „%1“ lässt keinen Namen für die veröffentlichten Dateien übrig</translation>
    </message>
    <message>
        <source>The project file name &apos;%1&apos; is also the name of a file that publishing writes; choose another name</source>
        <translation>Der Projektdateiname „%1“ ist auch der Name einer Datei, die das Veröffentlichen schreibt; wählen Sie einen anderen Namen</translation>
    </message>
    <message>
        <source>Item %1&apos;s picture name &apos;%2&apos; is not one that publishing makes (slider0.jpg, slider1.jpg, ...); nothing was published</source>
        <translation>Der Bildname „%2“ von Element %1 ist keiner, den das Veröffentlichen vergibt (slider0.jpg, slider1.jpg, ...); nichts wurde veröffentlicht</translation>
    </message>
    <message>
        <source>%1
Written: %2.
Not written: %3.</source>
        <translation>%1
Geschrieben: %2.
Nicht geschrieben: %3.</translation>
    </message>
    <message>
        <source>nothing</source>
        <translation>nichts</translation>
    </message>
    <message>
        <source>Changed: %1; %L2 unchanged</source>
        <translation>Geändert: %1; %L2 unverändert</translation>
    </message>
    <message>
        <source>%1 &apos;%2&apos; is not a whole number</source>
        <translation>%1: „%2“ ist keine ganze Zahl</translation>
    </message>
    <message>
        <source>%1 &apos;%2&apos; is out of range</source>
        <translation>%1: „%2“ liegt außerhalb des zulässigen Bereichs</translation>
    </message>
    <message>
        <source>%1 &apos;%2&apos; is not a script name (letters, digits, &apos;_&apos; and &apos;$&apos;, not starting with a digit)</source>
        <translation>%1: „%2“ ist kein Skriptname (Buchstaben, Ziffern, „_“ und „$“, nicht mit einer Ziffer am Anfang)</translation>
    </message>
    <message>
        <source>The slider&apos;s name</source>
        <translation>Name des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s configuration name</source>
        <translation>Konfigurationsname des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s configuration name &apos;%1&apos; is a reserved word of the script language</source>
        <translation>Der Konfigurationsname „%1“ des Sliders ist ein reserviertes Wort der Skriptsprache</translation>
    </message>
    <message>
        <source>%1 &apos;%2&apos; is not six hexadecimal digits</source>
        <translation>%1: „%2“ sind nicht sechs Hexadezimalziffern</translation>
    </message>
    <message>
        <source>The slider&apos;s background colour</source>
        <translation>Hintergrundfarbe des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s image border colour</source>
        <translation>Farbe des Bildrahmens</translation>
    </message>
    <message>
        <source>The slider&apos;s container border colour</source>
        <translation>Farbe des Slider-Rahmens</translation>
    </message>
    <message>
        <source>The slider&apos;s width</source>
        <translation>Breite des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s height</source>
        <translation>Höhe des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s step</source>
        <translation>Schritt des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s delay</source>
        <translation>Verzögerung des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s gap</source>
        <translation>Lücke des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s trailer space</source>
        <translation>Nachlauf des Sliders</translation>
    </message>
    <message>
        <source>The slider&apos;s height &apos;%1&apos; must be at least 1 pixel</source>
        <translation>Die Höhe „%1“ des Sliders muss mindestens 1 Pixel betragen</translation>
    </message>
    <message>
        <source>The slider&apos;s image border width</source>
        <translation>Breite des Bildrahmens</translation>
    </message>
    <message>
        <source>The slider&apos;s image border style</source>
        <translation>Stil des Bildrahmens</translation>
    </message>
    <message>
        <source>The slider&apos;s container border width</source>
        <translation>Breite des Slider-Rahmens</translation>
    </message>
    <message>
        <source>The slider&apos;s container border style</source>
        <translation>Stil des Slider-Rahmens</translation>
    </message>
    <message>
        <source>%1 is not a Torvane project file</source>
        <translation>%1 ist keine Torvane-Projektdatei</translation>
    </message>
    <message>
        <source>%1 ended early (the file is incomplete)</source>
        <translation>%1 endet vorzeitig (die Datei ist unvollständig)</translation>
    </message>
    <message>
        <source>Cannot find the folder of the running program (/proc/self/exe)</source>
        <translation>Der Ordner des laufenden Programms kann nicht gefunden werden (/proc/self/exe)</translation>
    </message>
    <message>
        <source>Cannot create a work folder in %1</source>
        <translation>In %1 kann kein Arbeitsordner angelegt werden</translation>
    </message>
    <message>
        <source>The setting &apos;%1&apos; cannot be read.</source>
        <translation>Die Einstellung „%1“ kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The setting &apos;%1&apos; cannot be written.</source>
        <translation>Die Einstellung „%1“ kann nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>The setting &apos;%1&apos; cannot be written: %2</source>
        <translation>Die Einstellung „%1“ kann nicht gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>prompt</name>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>An unknown error stopped the command.</source>
        <translation>Ein unbekannter Fehler hat den Befehl abgebrochen.</translation>
    </message>
</context>
</TS>
