<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>ApplicationInterface</name>
    <message>
        <source>the text to add is not valid UTF-8; nothing was added</source>
        <translation>der hinzuzufügende Text ist kein gültiges UTF-8; nichts wurde hinzugefügt</translation>
    </message>
</context>
<context>
    <name>CaptureRequests</name>
    <message>
        <source>Mirt has no action &quot;%1&quot;</source>
        <translation>Mirt kennt keine Aktion „%1“</translation>
    </message>
    <message>
        <source>the note cannot be saved, so nothing was added: %1</source>
        <translation>die Notiz kann nicht gespeichert werden, daher wurde nichts hinzugefügt: %1</translation>
    </message>
    <message>
        <source>This desktop offers apps no global shortcut. To show or hide the note with a key, bind this command in the desktop&apos;s keyboard settings:
%1</source>
        <translation>Diese Arbeitsumgebung bietet Anwendungen kein globales Tastenkürzel. Um die Notiz mit einer Taste zu zeigen oder zu verbergen, legen Sie diesen Befehl in den Tastatureinstellungen der Arbeitsumgebung auf eine Taste:
%1</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>Start Meeting Mode?</source>
        <translation>Besprechungsmodus starten?</translation>
    </message>
    <message>
        <source>The current note will be replaced with a new meeting note.</source>
        <translation>Die aktuelle Notiz wird durch eine neue Besprechungsnotiz ersetzt.</translation>
    </message>
    <message>
        <source>Clear &amp; Start Meeting</source>
        <translation>Leeren und Besprechung starten</translation>
    </message>
    <message>
        <source>Clear the current note?</source>
        <translation>Die aktuelle Notiz leeren?</translation>
    </message>
    <message>
        <source>This will permanently delete all content in the current note.</source>
        <translation>Damit wird der gesamte Inhalt der aktuellen Notiz endgültig gelöscht.</translation>
    </message>
    <message>
        <source>Clear Note</source>
        <translation>Notiz leeren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>CountLabel</name>
    <message>
        <source>Selected words: %1, characters: %2</source>
        <translation>Ausgewählte Wörter: %1, Zeichen: %2</translation>
    </message>
    <message>
        <source>Words: %1, characters: %2</source>
        <translation>Wörter: %1, Zeichen: %2</translation>
    </message>
</context>
<context>
    <name>EarlierNotesWindow</name>
    <message>
        <source>&amp;Bring Back</source>
        <translation>&amp;Zurückholen</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>E&amp;xport…</source>
        <translation>E&amp;xportieren …</translation>
    </message>
    <message>
        <source>Earlier Notes</source>
        <translation>Frühere Notizen</translation>
    </message>
    <message>
        <source>Words in an earlier note</source>
        <translation>Wörter in einer früheren Notiz</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>&amp;Finden:</translation>
    </message>
    <message>
        <source>Earlier notes, newest first</source>
        <translation>Frühere Notizen, die neueste zuerst</translation>
    </message>
    <message>
        <source>The earlier note, with what differs from the note marked</source>
        <translation>Die frühere Notiz; was von der Notiz abweicht, ist markiert</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <translation>Momentaufnahme</translation>
    </message>
    <message>
        <source>Before Clear</source>
        <translation>Vor dem Leeren</translation>
    </message>
    <message>
        <source>Meeting %1</source>
        <translation>Besprechung %1</translation>
    </message>
    <message>
        <source>Before Merge</source>
        <translation>Vor dem Zusammenführen</translation>
    </message>
    <message>
        <source>Before a Large Change</source>
        <translation>Vor einer großen Änderung</translation>
    </message>
    <message>
        <source>Before Bring Back</source>
        <translation>Vor dem Zurückholen</translation>
    </message>
    <message>
        <source>No earlier note is kept yet.</source>
        <translation>Noch ist keine frühere Notiz aufbewahrt.</translation>
    </message>
    <message>
        <source>Earlier notes are not kept: File ▸ Keep Earlier Notes.</source>
        <translation>Frühere Notizen werden nicht aufbewahrt: Datei ▸ Frühere Notizen aufbewahren.</translation>
    </message>
    <message>
        <source>Finding…</source>
        <translation>Suche läuft …</translation>
    </message>
    <message>
        <source>No earlier note holds “%1”.</source>
        <translation>Keine frühere Notiz enthält „%1“.</translation>
    </message>
    <message>
        <source>Brought back. Edit ▸ Undo takes it back; the note as it was is kept here too.</source>
        <translation>Zurückgeholt. Bearbeiten ▸ Rückgängig nimmt es zurück; die Notiz, wie sie war, ist hier ebenfalls aufbewahrt.</translation>
    </message>
    <message>
        <source>Earlier notes kept: %1</source>
        <translation>Aufbewahrte frühere Notizen: %1</translation>
    </message>
    <message>
        <source>Earlier notes that hold “%1”: %2</source>
        <translation>Frühere Notizen, die „%1“ enthalten: %2</translation>
    </message>
</context>
<context>
    <name>FileDefaultsStore</name>
    <message>
        <source>%1 is no folder that can be found</source>
        <translation>%1 ist kein auffindbarer Ordner</translation>
    </message>
    <message>
        <source>another Mirt window keeps the note in %1</source>
        <translation>ein anderes Mirt-Fenster führt die Notiz in %1</translation>
    </message>
</context>
<context>
    <name>FindBar</name>
    <message>
        <source>Match &amp;Case</source>
        <translation>Groß/&amp;Klein beachten</translation>
    </message>
    <message>
        <source>&amp;Whole Words</source>
        <translation>&amp;Ganze Wörter</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Replace with</source>
        <translation>Ersetzen durch</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Close the find bar</source>
        <translation>Suchleiste schließen</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>Alle erse&amp;tzen</translation>
    </message>
    <message>
        <source>No matches</source>
        <translation>Keine Treffer</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>%1 matches</source>
        <translation>%1 Treffer</translation>
    </message>
    <message>
        <source>, wrapped</source>
        <translation>, von vorn</translation>
    </message>
    <message numerus="yes">
        <source>%n replaced</source>
        <translation>
            <numerusform>%n ersetzt</numerusform>
            <numerusform>%n ersetzt</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GlobalShortcut</name>
    <message>
        <source>Show or hide the note</source>
        <translation>Notiz zeigen oder ausblenden</translation>
    </message>
</context>
<context>
    <name>KeepAtHand</name>
    <message>
        <source>&amp;Start at Login</source>
        <translation>Beim &amp;Anmelden starten</translation>
    </message>
    <message>
        <source>&amp;Keep on Top</source>
        <translation>&amp;Immer im Vordergrund</translation>
    </message>
    <message>
        <source>Mirt cannot be set to start at login.</source>
        <translation>Mirt kann nicht so eingestellt werden, dass es beim Anmelden startet.</translation>
    </message>
    <message>
        <source>Mirt cannot be kept from starting at login.</source>
        <translation>Mirt kann nicht davon abgehalten werden, beim Anmelden zu starten.</translation>
    </message>
    <message>
        <source>This desktop keeps no window on top because the window asks for it.</source>
        <translation>Diese Arbeitsumgebung hält kein Fenster im Vordergrund, nur weil das Fenster darum bittet.</translation>
    </message>
    <message>
        <source>Its own window menu may offer &quot;Always on Top&quot; (Alt+Space on many desktops).</source>
        <translation>Ihr eigenes Fenstermenü bietet vielleicht „Immer im Vordergrund“ (in vielen Arbeitsumgebungen Alt+Leertaste).</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>The note cannot be saved: %1. It stays in this window, and saving is tried again with your next change.</source>
        <translation>Die Notiz kann nicht gespeichert werden: %1. Sie bleibt in diesem Fenster, und mit Ihrer nächsten Änderung wird erneut gespeichert.</translation>
    </message>
    <message>
        <source>The note is saved again.</source>
        <translation>Die Notiz wird wieder gespeichert.</translation>
    </message>
    <message>
        <source>Show Copy</source>
        <translation>Kopie zeigen</translation>
    </message>
</context>
<context>
    <name>MenuCommands</name>
    <message>
        <source>C&amp;lear Note</source>
        <translation>Notiz &amp;leeren</translation>
    </message>
    <message>
        <source>&amp;Export Note…</source>
        <translation>Notiz &amp;exportieren …</translation>
    </message>
    <message>
        <source>&amp;Print Note…</source>
        <translation>Notiz &amp;drucken …</translation>
    </message>
    <message>
        <source>&amp;Move Note…</source>
        <translation>Notiz &amp;verschieben …</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>Wieder&amp;herstellen</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>Alles aus&amp;wählen</translation>
    </message>
    <message>
        <source>&amp;Find…</source>
        <translation>&amp;Suchen …</translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation>&amp;Nächstes finden</translation>
    </message>
    <message>
        <source>Find Pre&amp;vious</source>
        <translation>&amp;Vorheriges finden</translation>
    </message>
    <message>
        <source>R&amp;eplace…</source>
        <translation>Erset&amp;zen …</translation>
    </message>
    <message>
        <source>Check &amp;Spelling</source>
        <translation>Rechtschreibung &amp;prüfen</translation>
    </message>
    <message>
        <source>&amp;Increase Font Size</source>
        <translation>Schrift &amp;vergrößern</translation>
    </message>
    <message>
        <source>&amp;Decrease Font Size</source>
        <translation>Schrift ver&amp;kleinern</translation>
    </message>
    <message>
        <source>&amp;About Mirt</source>
        <translation>Über &amp;Mirt</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Spelling &amp;Language</source>
        <translation>Sprache der Rechtschreib&amp;ung</translation>
    </message>
    <message>
        <source>F&amp;ormat</source>
        <translation>F&amp;ormat</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;End Meeting Mode</source>
        <translation>Besprechungsmodus &amp;beenden</translation>
    </message>
    <message>
        <source>&amp;Meeting Mode</source>
        <translation>&amp;Besprechungsmodus</translation>
    </message>
    <message>
        <source>Hide &amp;Toolbar</source>
        <translation>&amp;Werkzeugleiste ausblenden</translation>
    </message>
    <message>
        <source>Show &amp;Toolbar</source>
        <translation>&amp;Werkzeugleiste einblenden</translation>
    </message>
    <message>
        <source>About Mirt</source>
        <translation>Über Mirt</translation>
    </message>
    <message>
        <source>&lt;b&gt;Mirt %1&lt;/b&gt;&lt;p&gt;A one-note scratchpad that saves itself.&lt;/p&gt;&lt;p&gt;Released under the MIT licence.&lt;/p&gt;</source>
        <translation>&lt;b&gt;Mirt %1&lt;/b&gt;&lt;p&gt;Ein Notizblock für eine Notiz, der sich selbst speichert.&lt;/p&gt;&lt;p&gt;Veröffentlicht unter der MIT-Lizenz.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Print Pre&amp;view…</source>
        <translation>Dr&amp;uckvorschau …</translation>
    </message>
    <message>
        <source>&amp;Reset Font Size</source>
        <translation>Schriftgröße &amp;zurücksetzen</translation>
    </message>
    <message>
        <source>&amp;Word Count</source>
        <translation>Wörter und &amp;Zeichen zählen</translation>
    </message>
    <message>
        <source>No dictionaries installed</source>
        <translation>Keine Wörterbücher installiert</translation>
    </message>
    <message>
        <source>Ea&amp;rlier Notes…</source>
        <translation>Frühe&amp;re Notizen …</translation>
    </message>
    <message>
        <source>&amp;Keep Earlier Notes</source>
        <translation>Frühere Notizen aufbe&amp;wahren</translation>
    </message>
    <message>
        <source>Clear Earlier &amp;Notes…</source>
        <translation>Frühere Notizen lö&amp;schen …</translation>
    </message>
    <message>
        <source>Clear Earlier Notes?</source>
        <translation>Frühere Notizen löschen?</translation>
    </message>
    <message>
        <source>Every earlier version of the note kept on this computer will be removed. The note itself stays.</source>
        <translation>Alle auf diesem Computer aufbewahrten früheren Fassungen der Notiz werden entfernt. Die Notiz selbst bleibt.</translation>
    </message>
    <message>
        <source>&amp;Remove Them</source>
        <translation>&amp;Entfernen</translation>
    </message>
</context>
<context>
    <name>MirtApp</name>
    <message>
        <source>A one-note scratchpad that saves itself.</source>
        <translation>Ein Notizblock mit einer Notiz, die sich selbst speichert.</translation>
    </message>
    <message>
        <source>Keep the note in FILE for this run.</source>
        <translation>Die Notiz für diesen Lauf in DATEI führen.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>DATEI</translation>
    </message>
    <message>
        <source>List the note&apos;s earlier versions, newest first; with a number N, print the Nth of them.</source>
        <translation>Die früheren Fassungen der Notiz auflisten, die neueste zuerst; mit einer Zahl N die N-te davon ausgeben.</translation>
    </message>
</context>
<context>
    <name>NoteAppend</name>
    <message>
        <source>the note cannot be saved, nothing was added: %1</source>
        <translation>die Notiz kann nicht gespeichert werden, nichts wurde hinzugefügt: %1</translation>
    </message>
    <message>
        <source>the note keeps changing</source>
        <translation>die Notiz ändert sich fortwährend</translation>
    </message>
    <message>
        <source>the note keeps changing; nothing was added</source>
        <translation>die Notiz ändert sich fortwährend; nichts wurde hinzugefügt</translation>
    </message>
</context>
<context>
    <name>NoteEditor</name>
    <message>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <source>The note, saved as you type</source>
        <translation>Die Notiz, gespeichert während Sie tippen</translation>
    </message>
    <message>
        <source>Opening the note…</source>
        <translation>Die Notiz wird geöffnet …</translation>
    </message>
    <message>
        <source>Add to Dictionary</source>
        <translation>Zum Wörterbuch hinzufügen</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorieren</translation>
    </message>
</context>
<context>
    <name>NoteModel</name>
    <message>
        <source>The note was changed outside Mirt and is shown as it is now. Undo brings back what was here.</source>
        <translation>Die Notiz wurde außerhalb von Mirt geändert und wird so gezeigt, wie sie jetzt ist. Rückgängig holt zurück, was hier stand.</translation>
    </message>
    <message>
        <source>The note was changed outside Mirt while you typed here. Both changes are merged.</source>
        <translation>Die Notiz wurde außerhalb von Mirt geändert, während Sie hier tippten. Beide Änderungen sind zusammengeführt.</translation>
    </message>
    <message>
        <source>The note was changed outside Mirt at the same places as here. Your text stays; the other version is kept in &quot;%1&quot;.</source>
        <translation>Die Notiz wurde außerhalb von Mirt an denselben Stellen wie hier geändert. Ihr Text bleibt; die andere Fassung liegt in „%1“.</translation>
    </message>
    <message>
        <source>The note file was removed outside Mirt. The note is still here and is saved again.</source>
        <translation>Die Notizdatei wurde außerhalb von Mirt entfernt. Die Notiz ist noch hier und wird wieder gespeichert.</translation>
    </message>
    <message>
        <source>Export Note</source>
        <translation>Notiz exportieren</translation>
    </message>
    <message>
        <source>Export Failed</source>
        <translation>Export fehlgeschlagen</translation>
    </message>
    <message>
        <source>Move Note</source>
        <translation>Notiz verschieben</translation>
    </message>
    <message>
        <source>The note could not be moved: %1</source>
        <translation>Die Notiz konnte nicht verschoben werden: %1</translation>
    </message>
    <message>
        <source>The note is kept in %1 from now on.</source>
        <translation>Die Notiz liegt ab jetzt in %1.</translation>
    </message>
    <message>
        <source>Another version of the note, &quot;%1&quot;, is not UTF-8 text. It is kept as it is.</source>
        <translation>Eine andere Fassung der Notiz, „%1“, ist kein UTF-8-Text. Sie bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>Another version of the note beside it, &quot;%1&quot;, changes the same lines as the note. It is kept as it is.</source>
        <translation>Eine andere Fassung der Notiz daneben, „%1“, ändert dieselben Zeilen wie die Notiz. Sie bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>The changes in &quot;%1&quot;, another version of the note beside it, are merged into it.</source>
        <translation>Die Änderungen in „%1“, einer anderen Fassung der Notiz daneben, sind in sie übernommen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;, another version of the note beside it, holds nothing the note does not, and is removed.</source>
        <translation>„%1“, eine andere Fassung der Notiz daneben, enthält nichts, was die Notiz nicht hat, und wird entfernt.</translation>
    </message>
    <message>
        <source>The changes in &quot;%1&quot;, another version of the note beside it, are merged into it. It holds lines the note does not, and is kept.</source>
        <translation>Die Änderungen in „%1“, einer anderen Fassung der Notiz daneben, sind in sie übernommen. Sie enthält Zeilen, die die Notiz nicht hat, und bleibt erhalten.</translation>
    </message>
    <message>
        <source>The note file was emptied outside Mirt while you typed here. Your text stays and is saved again.</source>
        <translation>Die Notizdatei wurde außerhalb von Mirt geleert, während Sie hier schrieben. Ihr Text bleibt und wird wieder gespeichert.</translation>
    </message>
    <message>
        <source>The note was changed outside Mirt while you typed here. Both changes are merged; your text as it was is kept in &quot;%1&quot;.</source>
        <translation>Die Notiz wurde außerhalb von Mirt geändert, während Sie hier schrieben. Beide Änderungen sind zusammengeführt; Ihr Text, wie er war, ist in „%1“ aufbewahrt.</translation>
    </message>
    <message>
        <source>the other program&apos;s version cannot be kept beside it (%1)</source>
        <translation>die Fassung des anderen Programms kann nicht daneben abgelegt werden (%1)</translation>
    </message>
</context>
<context>
    <name>NotePreview</name>
    <message>
        <source>Print Preview</source>
        <translation>Druckvorschau</translation>
    </message>
    <message>
        <source>&amp;Print…</source>
        <translation>&amp;Drucken…</translation>
    </message>
    <message>
        <source>Pages: %1</source>
        <translation>Seiten: %1</translation>
    </message>
    <message>
        <source>Pages so far: %1</source>
        <translation>Seiten bisher: %1</translation>
    </message>
</context>
<context>
    <name>NoticeBar</name>
    <message>
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Dismiss the notice</source>
        <translation>Hinweis schließen</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>The note&apos;s folder %1 cannot be found; is its drive unmounted? What you type stays here and is saved there once it is back.</source>
        <translation>Der Ordner der Notiz, %1, ist nicht zu finden; ist sein Laufwerk nicht eingehängt? Was Sie tippen, bleibt hier und wird dort gespeichert, sobald er wieder da ist.</translation>
    </message>
    <message>
        <source>Printing…</source>
        <translation>Drucken …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>When Mirt last ended, the note could not be saved. What it held then is kept in %1.</source>
        <translation>Als Mirt zuletzt beendet wurde, konnte die Notiz nicht gespeichert werden. Was sie damals enthielt, liegt in %1.</translation>
    </message>
    <message>
        <source>The note cannot be kept where it is: %1. What you type stays here and is saved once that is a plain file again.</source>
        <translation>Die Notiz kann nicht bleiben, wo sie ist: %1. Was Sie tippen, bleibt hier und wird gespeichert, sobald das wieder eine gewöhnliche Datei ist.</translation>
    </message>
    <message>
        <source>the running Mirt does not answer</source>
        <translation>das laufende Mirt antwortet nicht</translation>
    </message>
    <message>
        <source>Earlier versions of the note cannot be kept now: %1. The note itself is saved as ever.</source>
        <translation>Frühere Fassungen der Notiz können gerade nicht aufbewahrt werden: %1. Die Notiz selbst wird wie immer gespeichert.</translation>
    </message>
</context>
<context>
    <name>QuickCapture</name>
    <message>
        <source>cannot start %1: %2</source>
        <translation>%1 kann nicht gestartet werden: %2</translation>
    </message>
    <message>
        <source>Show the note, or hide it when it has the keyboard. Starts Mirt when it is not running.</source>
        <translation>Die Notiz zeigen, oder ausblenden, wenn sie die Tastatur hat. Startet Mirt, wenn es nicht läuft.</translation>
    </message>
    <message>
        <source>Show the note with the keyboard in it. Starts Mirt when it is not running.</source>
        <translation>Die Notiz mit der Tastatur darin zeigen. Startet Mirt, wenn es nicht läuft.</translation>
    </message>
    <message>
        <source>Add TEXT at the end of the note as lines of their own, or what standard input holds for -. Returns once they are saved.</source>
        <translation>TEXT als eigene Zeilen am Ende der Notiz anfügen, bei - was die Standardeingabe enthält. Kehrt zurück, sobald sie gespeichert sind.</translation>
    </message>
    <message>
        <source>TEXT</source>
        <translation>TEXT</translation>
    </message>
    <message>
        <source>Start without a window, as at login; --toggle, --show or the shortcut shows it.</source>
        <translation>Ohne Fenster starten, wie beim Anmelden; --toggle, --show oder das Tastenkürzel zeigen es.</translation>
    </message>
    <message>
        <source>cannot read standard input</source>
        <translation>die Standardeingabe kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>the text to add is not valid UTF-8; nothing was added</source>
        <translation>der anzufügende Text ist kein gültiges UTF-8; nichts wurde hinzugefügt</translation>
    </message>
    <message>
        <source>--toggle, --show, --append and --hidden go one at a time</source>
        <translation>--toggle, --show, --append und --hidden gehen nur einzeln</translation>
    </message>
    <message>
        <source>standard input can be added once; nothing was added</source>
        <translation>die Standardeingabe kann nur einmal hinzugefügt werden; nichts wurde hinzugefügt</translation>
    </message>
    <message>
        <source>the running Mirt does not answer; nothing was done</source>
        <translation>das laufende Mirt antwortet nicht; nichts wurde getan</translation>
    </message>
</context>
<context>
    <name>QuitGuard</name>
    <message>
        <source>The note cannot be saved.</source>
        <translation>Die Notiz kann nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>%1

What you typed since the last save is only in this window.</source>
        <translation>%1

Was Sie seit dem letzten Speichern getippt haben, gibt es nur in diesem Fenster.</translation>
    </message>
    <message>
        <source>Save a &amp;Copy…</source>
        <translation>&amp;Kopie speichern …</translation>
    </message>
    <message>
        <source>&amp;Quit Without Saving</source>
        <translation>Ohne Speichern &amp;beenden</translation>
    </message>
    <message>
        <source>&amp;Keep Working</source>
        <translation>&amp;Weiterarbeiten</translation>
    </message>
    <message>
        <source>Save a Copy of the Note</source>
        <translation>Eine Kopie der Notiz speichern</translation>
    </message>
    <message>
        <source>The Copy Was Not Saved</source>
        <translation>Die Kopie wurde nicht gespeichert</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>the running Mirt took too long to answer; nothing was done</source>
        <translation>das laufende Mirt hat zu lange für die Antwort gebraucht; nichts wurde getan</translation>
    </message>
</context>
<context>
    <name>StartAtLogin</name>
    <message>
        <source>%1 cannot be removed</source>
        <translation>%1 kann nicht entfernt werden</translation>
    </message>
    <message>
        <source>%1 cannot be made</source>
        <translation>%1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Keeps the note a shortcut away, without a window</source>
        <translation>Hält die Notiz ein Tastenkürzel entfernt bereit, ohne Fenster</translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>%1 is a folder; only a text file can be inserted.</source>
        <translation>%1 ist ein Ordner; nur eine Textdatei kann eingefügt werden.</translation>
    </message>
    <message>
        <source>%1 is too large to insert (%2 MB); a text file of up to %3 MB can be.</source>
        <translation>%1 ist zu groß zum Einfügen (%2 MB); eine Textdatei bis %3 MB kann eingefügt werden.</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2.</source>
        <translation>%1 kann nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>%1 is not UTF-8 text; nothing was inserted.</source>
        <translation>%1 ist kein UTF-8-Text; nichts wurde eingefügt.</translation>
    </message>
    <message>
        <source>%1 is too large to insert.</source>
        <translation>%1 ist zu groß zum Einfügen.</translation>
    </message>
</context>
<context>
    <name>ToolbarView</name>
    <message>
        <source>Export Note</source>
        <translation>Notiz exportieren</translation>
    </message>
    <message>
        <source>End Meeting</source>
        <translation>Besprechung beenden</translation>
    </message>
    <message>
        <source>Meeting Mode</source>
        <translation>Besprechungsmodus</translation>
    </message>
</context>
</TS>
