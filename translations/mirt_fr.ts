<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>ApplicationInterface</name>
    <message>
        <source>the text to add is not valid UTF-8; nothing was added</source>
        <translation>le texte à ajouter n’est pas de l’UTF-8 valide ; rien n’a été ajouté</translation>
    </message>
</context>
<context>
    <name>CaptureRequests</name>
    <message>
        <source>Mirt has no action &quot;%1&quot;</source>
        <translation>Mirt n’a pas d’action « %1 »</translation>
    </message>
    <message>
        <source>the note cannot be saved, so nothing was added: %1</source>
        <translation>la note ne peut pas être enregistrée, rien n’a donc été ajouté : %1</translation>
    </message>
    <message>
        <source>This desktop offers apps no global shortcut. To show or hide the note with a key, bind this command in the desktop&apos;s keyboard settings:
%1</source>
        <translation>Ce bureau n’offre pas de raccourci global aux applications. Pour afficher ou masquer la note d’une touche, associez cette commande à une touche dans les réglages du clavier du bureau :
%1</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>Start Meeting Mode?</source>
        <translation>Démarrer le mode réunion ?</translation>
    </message>
    <message>
        <source>The current note will be replaced with a new meeting note.</source>
        <translation>La note actuelle sera remplacée par une nouvelle note de réunion.</translation>
    </message>
    <message>
        <source>Clear &amp; Start Meeting</source>
        <translation>Effacer et démarrer la réunion</translation>
    </message>
    <message>
        <source>Clear the current note?</source>
        <translation>Effacer la note actuelle ?</translation>
    </message>
    <message>
        <source>This will permanently delete all content in the current note.</source>
        <translation>Tout le contenu de la note actuelle sera définitivement supprimé.</translation>
    </message>
    <message>
        <source>Clear Note</source>
        <translation>Effacer la note</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>CountLabel</name>
    <message>
        <source>Selected words: %1, characters: %2</source>
        <translation>Mots sélectionnés : %1, caractères : %2</translation>
    </message>
    <message>
        <source>Words: %1, characters: %2</source>
        <translation>Mots : %1, caractères : %2</translation>
    </message>
</context>
<context>
    <name>EarlierNotesWindow</name>
    <message>
        <source>&amp;Bring Back</source>
        <translation>&amp;Ramener</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>E&amp;xport…</source>
        <translation>E&amp;xporter…</translation>
    </message>
    <message>
        <source>Earlier Notes</source>
        <translation>Notes précédentes</translation>
    </message>
    <message>
        <source>Words in an earlier note</source>
        <translation>Mots d’une note précédente</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>&amp;Trouver :</translation>
    </message>
    <message>
        <source>Earlier notes, newest first</source>
        <translation>Notes précédentes, la plus récente en premier</translation>
    </message>
    <message>
        <source>The earlier note, with what differs from the note marked</source>
        <translation>La note précédente ; ce qui diffère de la note est marqué</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <translation>Instantané</translation>
    </message>
    <message>
        <source>Before Clear</source>
        <translation>Avant l’effacement</translation>
    </message>
    <message>
        <source>Meeting %1</source>
        <translation>Réunion %1</translation>
    </message>
    <message>
        <source>Before Merge</source>
        <translation>Avant la fusion</translation>
    </message>
    <message>
        <source>Before a Large Change</source>
        <translation>Avant une grande modification</translation>
    </message>
    <message>
        <source>Before Bring Back</source>
        <translation>Avant de ramener une note</translation>
    </message>
    <message>
        <source>No earlier note is kept yet.</source>
        <translation>Aucune note précédente n’est encore conservée.</translation>
    </message>
    <message>
        <source>Earlier notes are not kept: File ▸ Keep Earlier Notes.</source>
        <translation>Les notes précédentes ne sont pas conservées : Fichier ▸ Conserver les notes précédentes.</translation>
    </message>
    <message>
        <source>Finding…</source>
        <translation>Recherche…</translation>
    </message>
    <message>
        <source>No earlier note holds “%1”.</source>
        <translation>Aucune note précédente ne contient « %1 ».</translation>
    </message>
    <message>
        <source>Brought back. Edit ▸ Undo takes it back; the note as it was is kept here too.</source>
        <translation>Ramenée. Édition ▸ Annuler revient en arrière ; la note telle qu’elle était est aussi conservée ici.</translation>
    </message>
    <message>
        <source>Earlier notes kept: %1</source>
        <translation>Notes précédentes conservées : %1</translation>
    </message>
    <message>
        <source>Earlier notes that hold “%1”: %2</source>
        <translation>Notes précédentes qui contiennent « %1 » : %2</translation>
    </message>
</context>
<context>
    <name>FileDefaultsStore</name>
    <message>
        <source>%1 is no folder that can be found</source>
        <translation>%1 n’est pas un dossier qui existe</translation>
    </message>
    <message>
        <source>another Mirt window keeps the note in %1</source>
        <translation>une autre fenêtre de Mirt garde la note dans %1</translation>
    </message>
</context>
<context>
    <name>FindBar</name>
    <message>
        <source>Match &amp;Case</source>
        <translation>Respecter la &amp;casse</translation>
    </message>
    <message>
        <source>&amp;Whole Words</source>
        <translation>&amp;Mots entiers</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Replace with</source>
        <translation>Remplacer par</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Précédent</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Close the find bar</source>
        <translation>Fermer la barre de recherche</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Remplacer</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>Remplacer &amp;tout</translation>
    </message>
    <message>
        <source>No matches</source>
        <translation>Aucun résultat</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 sur %2</translation>
    </message>
    <message>
        <source>%1 matches</source>
        <translation>%1 résultats</translation>
    </message>
    <message>
        <source>, wrapped</source>
        <translation>, reprise au début</translation>
    </message>
    <message numerus="yes">
        <source>%n replaced</source>
        <translation>
            <numerusform>%n remplacé</numerusform>
            <numerusform>%n remplacés</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GlobalShortcut</name>
    <message>
        <source>Show or hide the note</source>
        <translation>Afficher ou masquer la note</translation>
    </message>
</context>
<context>
    <name>KeepAtHand</name>
    <message>
        <source>&amp;Start at Login</source>
        <translation>Lancer à l’ou&amp;verture de session</translation>
    </message>
    <message>
        <source>&amp;Keep on Top</source>
        <translation>&amp;Garder au premier plan</translation>
    </message>
    <message>
        <source>Mirt cannot be set to start at login.</source>
        <translation>Mirt ne peut pas être réglé pour se lancer à l’ouverture de session.</translation>
    </message>
    <message>
        <source>Mirt cannot be kept from starting at login.</source>
        <translation>Mirt ne peut pas être empêché de se lancer à l’ouverture de session.</translation>
    </message>
    <message>
        <source>This desktop keeps no window on top because the window asks for it.</source>
        <translation>Ce bureau ne garde aucune fenêtre au premier plan parce que la fenêtre le demande.</translation>
    </message>
    <message>
        <source>Its own window menu may offer &quot;Always on Top&quot; (Alt+Space on many desktops).</source>
        <translation>Son propre menu de fenêtre offre peut-être « Toujours au premier plan » (Alt+Espace sur beaucoup de bureaux).</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>The note cannot be saved: %1. It stays in this window, and saving is tried again with your next change.</source>
        <translation>La note ne peut pas être enregistrée : %1. Elle reste dans cette fenêtre, et l’enregistrement sera retenté à votre prochaine modification.</translation>
    </message>
    <message>
        <source>The note is saved again.</source>
        <translation>La note est de nouveau enregistrée.</translation>
    </message>
    <message>
        <source>Show Copy</source>
        <translation>Afficher la copie</translation>
    </message>
</context>
<context>
    <name>MenuCommands</name>
    <message>
        <source>C&amp;lear Note</source>
        <translation>&amp;Effacer la note</translation>
    </message>
    <message>
        <source>&amp;Export Note…</source>
        <translation>E&amp;xporter la note…</translation>
    </message>
    <message>
        <source>&amp;Print Note…</source>
        <translation>&amp;Imprimer la note…</translation>
    </message>
    <message>
        <source>&amp;Move Note…</source>
        <translation>&amp;Déplacer la note…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Rétablir</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Co&amp;uper</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>C&amp;oller</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Tout sélectionner</translation>
    </message>
    <message>
        <source>&amp;Find…</source>
        <translation>Rec&amp;hercher…</translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation>Occurrence &amp;suivante</translation>
    </message>
    <message>
        <source>Find Pre&amp;vious</source>
        <translation>Occurrence &amp;précédente</translation>
    </message>
    <message>
        <source>R&amp;eplace…</source>
        <translation>Remp&amp;lacer…</translation>
    </message>
    <message>
        <source>Check &amp;Spelling</source>
        <translation>&amp;Vérifier l’orthographe</translation>
    </message>
    <message>
        <source>&amp;Increase Font Size</source>
        <translation>&amp;Agrandir le texte</translation>
    </message>
    <message>
        <source>&amp;Decrease Font Size</source>
        <translation>&amp;Réduire le texte</translation>
    </message>
    <message>
        <source>&amp;About Mirt</source>
        <translation>À &amp;propos de Mirt</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Édition</translation>
    </message>
    <message>
        <source>Spelling &amp;Language</source>
        <translation>La&amp;ngue de l’orthographe</translation>
    </message>
    <message>
        <source>F&amp;ormat</source>
        <translation>F&amp;ormat</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>Affic&amp;hage</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Aid&amp;e</translation>
    </message>
    <message>
        <source>&amp;End Meeting Mode</source>
        <translation>Quitter le &amp;mode réunion</translation>
    </message>
    <message>
        <source>&amp;Meeting Mode</source>
        <translation>&amp;Mode réunion</translation>
    </message>
    <message>
        <source>Hide &amp;Toolbar</source>
        <translation>Masquer la &amp;barre d’outils</translation>
    </message>
    <message>
        <source>Show &amp;Toolbar</source>
        <translation>Afficher la &amp;barre d’outils</translation>
    </message>
    <message>
        <source>About Mirt</source>
        <translation>À propos de Mirt</translation>
    </message>
    <message>
        <source>&lt;b&gt;Mirt %1&lt;/b&gt;&lt;p&gt;A one-note scratchpad that saves itself.&lt;/p&gt;&lt;p&gt;Released under the MIT licence.&lt;/p&gt;</source>
        <translation>&lt;b&gt;Mirt %1&lt;/b&gt;&lt;p&gt;Un bloc-notes d’une seule note qui s’enregistre tout seul.&lt;/p&gt;&lt;p&gt;Publié sous licence MIT.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Print Pre&amp;view…</source>
        <translation>&amp;Aperçu avant impression…</translation>
    </message>
    <message>
        <source>&amp;Reset Font Size</source>
        <translation>Taille du texte par &amp;défaut</translation>
    </message>
    <message>
        <source>&amp;Word Count</source>
        <translation>&amp;Nombre de mots</translation>
    </message>
    <message>
        <source>No dictionaries installed</source>
        <translation>Aucun dictionnaire installé</translation>
    </message>
    <message>
        <source>Ea&amp;rlier Notes…</source>
        <translation>&amp;Notes précédentes…</translation>
    </message>
    <message>
        <source>&amp;Keep Earlier Notes</source>
        <translation>&amp;Conserver les notes précédentes</translation>
    </message>
    <message>
        <source>Clear Earlier &amp;Notes…</source>
        <translation>Effacer les notes &amp;précédentes…</translation>
    </message>
    <message>
        <source>Clear Earlier Notes?</source>
        <translation>Effacer les notes précédentes ?</translation>
    </message>
    <message>
        <source>Every earlier version of the note kept on this computer will be removed. The note itself stays.</source>
        <translation>Toutes les versions précédentes de la note conservées sur cet ordinateur seront supprimées. La note elle-même reste.</translation>
    </message>
    <message>
        <source>&amp;Remove Them</source>
        <translation>&amp;Les supprimer</translation>
    </message>
</context>
<context>
    <name>MirtApp</name>
    <message>
        <source>A one-note scratchpad that saves itself.</source>
        <translation>Un bloc-notes à une seule note, qui s’enregistre tout seul.</translation>
    </message>
    <message>
        <source>Keep the note in FILE for this run.</source>
        <translation>Garder la note dans FICHIER pour cette fois.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>FICHIER</translation>
    </message>
    <message>
        <source>List the note&apos;s earlier versions, newest first; with a number N, print the Nth of them.</source>
        <translation>Lister les versions précédentes de la note, la plus récente en premier ; avec un nombre N, afficher la N-ième.</translation>
    </message>
</context>
<context>
    <name>NoteAppend</name>
    <message>
        <source>the note cannot be saved, nothing was added: %1</source>
        <translation>la note ne peut pas être enregistrée, rien n’a été ajouté : %1</translation>
    </message>
    <message>
        <source>the note keeps changing</source>
        <translation>la note ne cesse de changer</translation>
    </message>
    <message>
        <source>the note keeps changing; nothing was added</source>
        <translation>la note ne cesse de changer ; rien n’a été ajouté</translation>
    </message>
</context>
<context>
    <name>NoteEditor</name>
    <message>
        <source>Note</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>The note, saved as you type</source>
        <translation>La note, enregistrée pendant la frappe</translation>
    </message>
    <message>
        <source>Opening the note…</source>
        <translation>Ouverture de la note…</translation>
    </message>
    <message>
        <source>Add to Dictionary</source>
        <translation>Ajouter au dictionnaire</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorer</translation>
    </message>
</context>
<context>
    <name>NoteModel</name>
    <message>
        <source>The note was changed outside Mirt and is shown as it is now. Undo brings back what was here.</source>
        <translation>La note a été modifiée hors de Mirt et s’affiche telle qu’elle est maintenant. Annuler rétablit ce qui était ici.</translation>
    </message>
    <message>
        <source>The note was changed outside Mirt while you typed here. Both changes are merged.</source>
        <translation>La note a été modifiée hors de Mirt pendant que vous tapiez ici. Les deux modifications sont fusionnées.</translation>
    </message>
    <message>
        <source>The note was changed outside Mirt at the same places as here. Your text stays; the other version is kept in &quot;%1&quot;.</source>
        <translation>La note a été modifiée hors de Mirt aux mêmes endroits qu’ici. Votre texte reste ; l’autre version est gardée dans « %1 ».</translation>
    </message>
    <message>
        <source>The note file was removed outside Mirt. The note is still here and is saved again.</source>
        <translation>Le fichier de la note a été supprimé hors de Mirt. La note est toujours là et est de nouveau enregistrée.</translation>
    </message>
    <message>
        <source>Export Note</source>
        <translation>Exporter la note</translation>
    </message>
    <message>
        <source>Export Failed</source>
        <translation>Échec de l’exportation</translation>
    </message>
    <message>
        <source>Move Note</source>
        <translation>Déplacer la note</translation>
    </message>
    <message>
        <source>The note could not be moved: %1</source>
        <translation>La note n’a pas pu être déplacée : %1</translation>
    </message>
    <message>
        <source>The note is kept in %1 from now on.</source>
        <translation>La note est désormais gardée dans %1.</translation>
    </message>
    <message>
        <source>Another version of the note, &quot;%1&quot;, is not UTF-8 text. It is kept as it is.</source>
        <translation>Une autre version de la note, « %1 », n’est pas du texte UTF-8. Elle est gardée telle quelle.</translation>
    </message>
    <message>
        <source>Another version of the note beside it, &quot;%1&quot;, changes the same lines as the note. It is kept as it is.</source>
        <translation>Une autre version de la note à côté d’elle, « %1 », modifie les mêmes lignes que la note. Elle est gardée telle quelle.</translation>
    </message>
    <message>
        <source>The changes in &quot;%1&quot;, another version of the note beside it, are merged into it.</source>
        <translation>Les modifications de « %1 », une autre version de la note à côté d’elle, y sont fusionnées.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;, another version of the note beside it, holds nothing the note does not, and is removed.</source>
        <translation>« %1 », une autre version de la note à côté d’elle, ne contient rien que la note n’ait déjà ; elle est supprimée.</translation>
    </message>
    <message>
        <source>The changes in &quot;%1&quot;, another version of the note beside it, are merged into it. It holds lines the note does not, and is kept.</source>
        <translation>Les modifications de « %1 », une autre version de la note à côté d’elle, y sont fusionnées. Elle contient des lignes que la note n’a pas ; elle est gardée.</translation>
    </message>
    <message>
        <source>The note file was emptied outside Mirt while you typed here. Your text stays and is saved again.</source>
        <translation>Le fichier de la note a été vidé hors de Mirt pendant que vous écriviez ici. Votre texte reste et est de nouveau enregistré.</translation>
    </message>
    <message>
        <source>The note was changed outside Mirt while you typed here. Both changes are merged; your text as it was is kept in &quot;%1&quot;.</source>
        <translation>La note a été modifiée hors de Mirt pendant que vous écriviez ici. Les deux modifications sont fusionnées ; votre texte tel qu’il était est conservé dans « %1 ».</translation>
    </message>
    <message>
        <source>the other program&apos;s version cannot be kept beside it (%1)</source>
        <translation>la version de l’autre programme ne peut pas être conservée à côté (%1)</translation>
    </message>
</context>
<context>
    <name>NotePreview</name>
    <message>
        <source>Print Preview</source>
        <translation>Aperçu avant impression</translation>
    </message>
    <message>
        <source>&amp;Print…</source>
        <translation>&amp;Imprimer…</translation>
    </message>
    <message>
        <source>Pages: %1</source>
        <translation>Pages : %1</translation>
    </message>
    <message>
        <source>Pages so far: %1</source>
        <translation>Pages pour l’instant : %1</translation>
    </message>
</context>
<context>
    <name>NoticeBar</name>
    <message>
        <source>Dismiss</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Dismiss the notice</source>
        <translation>Fermer l’avis</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>The note&apos;s folder %1 cannot be found; is its drive unmounted? What you type stays here and is saved there once it is back.</source>
        <translation>Le dossier de la note, %1, est introuvable ; son disque est-il démonté ? Ce que vous tapez reste ici et y sera enregistré dès son retour.</translation>
    </message>
    <message>
        <source>Printing…</source>
        <translation>Impression…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>When Mirt last ended, the note could not be saved. What it held then is kept in %1.</source>
        <translation>À la dernière fermeture de Mirt, la note n’a pas pu être enregistrée. Ce qu’elle contenait alors est gardé dans %1.</translation>
    </message>
    <message>
        <source>The note cannot be kept where it is: %1. What you type stays here and is saved once that is a plain file again.</source>
        <translation>La note ne peut pas être gardée à cet endroit : %1. Ce que vous tapez reste ici et sera enregistré dès que ce sera de nouveau un fichier ordinaire.</translation>
    </message>
    <message>
        <source>the running Mirt does not answer</source>
        <translation>le Mirt en cours ne répond pas</translation>
    </message>
    <message>
        <source>Earlier versions of the note cannot be kept now: %1. The note itself is saved as ever.</source>
        <translation>Les versions précédentes de la note ne peuvent pas être conservées pour l’instant : %1. La note elle-même est enregistrée comme toujours.</translation>
    </message>
</context>
<context>
    <name>QuickCapture</name>
    <message>
        <source>cannot start %1: %2</source>
        <translation>impossible de lancer %1 : %2</translation>
    </message>
    <message>
        <source>Show the note, or hide it when it has the keyboard. Starts Mirt when it is not running.</source>
        <translation>Afficher la note, ou la masquer quand elle a le clavier. Lance Mirt s’il ne tourne pas.</translation>
    </message>
    <message>
        <source>Show the note with the keyboard in it. Starts Mirt when it is not running.</source>
        <translation>Afficher la note, le clavier dedans. Lance Mirt s’il ne tourne pas.</translation>
    </message>
    <message>
        <source>Add TEXT at the end of the note as lines of their own, or what standard input holds for -. Returns once they are saved.</source>
        <translation>Ajouter TEXTE à la fin de la note en lignes à part, ou ce que contient l’entrée standard pour -. Rend la main une fois les lignes enregistrées.</translation>
    </message>
    <message>
        <source>TEXT</source>
        <translation>TEXTE</translation>
    </message>
    <message>
        <source>Start without a window, as at login; --toggle, --show or the shortcut shows it.</source>
        <translation>Démarrer sans fenêtre, comme à l’ouverture de session ; --toggle, --show ou le raccourci l’affichent.</translation>
    </message>
    <message>
        <source>cannot read standard input</source>
        <translation>impossible de lire l’entrée standard</translation>
    </message>
    <message>
        <source>the text to add is not valid UTF-8; nothing was added</source>
        <translation>le texte à ajouter n’est pas de l’UTF-8 valide ; rien n’a été ajouté</translation>
    </message>
    <message>
        <source>--toggle, --show, --append and --hidden go one at a time</source>
        <translation>--toggle, --show, --append et --hidden s’emploient un seul à la fois</translation>
    </message>
    <message>
        <source>standard input can be added once; nothing was added</source>
        <translation>l’entrée standard ne peut être ajoutée qu’une fois ; rien n’a été ajouté</translation>
    </message>
    <message>
        <source>the running Mirt does not answer; nothing was done</source>
        <translation>le Mirt en cours ne répond pas ; rien n’a été fait</translation>
    </message>
</context>
<context>
    <name>QuitGuard</name>
    <message>
        <source>The note cannot be saved.</source>
        <translation>La note ne peut pas être enregistrée.</translation>
    </message>
    <message>
        <source>%1

What you typed since the last save is only in this window.</source>
        <translation>%1

Ce que vous avez tapé depuis le dernier enregistrement n’existe que dans cette fenêtre.</translation>
    </message>
    <message>
        <source>Save a &amp;Copy…</source>
        <translation>Enregistrer une &amp;copie…</translation>
    </message>
    <message>
        <source>&amp;Quit Without Saving</source>
        <translation>&amp;Quitter sans enregistrer</translation>
    </message>
    <message>
        <source>&amp;Keep Working</source>
        <translation>Continuer à &amp;travailler</translation>
    </message>
    <message>
        <source>Save a Copy of the Note</source>
        <translation>Enregistrer une copie de la note</translation>
    </message>
    <message>
        <source>The Copy Was Not Saved</source>
        <translation>La copie n’a pas été enregistrée</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>the running Mirt took too long to answer; nothing was done</source>
        <translation>le Mirt en cours a mis trop de temps à répondre ; rien n’a été fait</translation>
    </message>
</context>
<context>
    <name>StartAtLogin</name>
    <message>
        <source>%1 cannot be removed</source>
        <translation>impossible de supprimer %1</translation>
    </message>
    <message>
        <source>%1 cannot be made</source>
        <translation>impossible de créer %1</translation>
    </message>
    <message>
        <source>Keeps the note a shortcut away, without a window</source>
        <translation>Garde la note à un raccourci, sans fenêtre</translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>%1 is a folder; only a text file can be inserted.</source>
        <translation>%1 est un dossier ; seul un fichier texte peut être inséré.</translation>
    </message>
    <message>
        <source>%1 is too large to insert (%2 MB); a text file of up to %3 MB can be.</source>
        <translation>%1 est trop volumineux pour être inséré (%2 Mo) ; un fichier texte jusqu’à %3 Mo peut l’être.</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2.</source>
        <translation>Impossible de lire %1 : %2.</translation>
    </message>
    <message>
        <source>%1 is not UTF-8 text; nothing was inserted.</source>
        <translation>%1 n’est pas du texte UTF-8 ; rien n’a été inséré.</translation>
    </message>
    <message>
        <source>%1 is too large to insert.</source>
        <translation>%1 est trop volumineux pour être inséré.</translation>
    </message>
</context>
<context>
    <name>ToolbarView</name>
    <message>
        <source>Export Note</source>
        <translation>Exporter la note</translation>
    </message>
    <message>
        <source>End Meeting</source>
        <translation>Terminer la réunion</translation>
    </message>
    <message>
        <source>Meeting Mode</source>
        <translation>Mode réunion</translation>
    </message>
</context>
</TS>
