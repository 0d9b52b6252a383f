<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The toolkit's texts that Mirt shows and the toolkit's own catalogue for this language
     lacks (Qt 6.4), so that no dialog mixes English into the language. Kept by hand: no
     source of ours holds them, and lupdate does not touch this file. -->
<TS version="2.1" language="fr_FR">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Drive</source>
        <translation>Lecteur</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
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
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>Afficher l’aide sur les options de la ligne de commande.</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>Afficher l’aide, options propres à Qt comprises.</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>%1 does not follow the correct syntax. Please use &apos;,&apos; to separate ranges and pages, &apos;-&apos; to define ranges and make sure ranges do not intersect with each other.</source>
        <translation>%1 ne suit pas la syntaxe attendue. Séparez les plages et les pages par « , », définissez les plages avec « - » et veillez à ce qu’elles ne se chevauchent pas.</translation>
    </message>
    <message>
        <source>Duplex Settings Conflicts</source>
        <translation>Conflits dans les réglages recto verso</translation>
    </message>
    <message>
        <source>Invalid Pages Definition</source>
        <translation>Pages mal définies</translation>
    </message>
    <message>
        <source>There are conflicts in duplex settings. Do you want to fix them?</source>
        <translation>Les réglages recto verso sont en conflit. Voulez-vous les corriger ?</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Advanced Option Conflicts</source>
        <translation>Conflits dans les options avancées</translation>
    </message>
    <message>
        <source>Page Setup Conflicts</source>
        <translation>Conflits dans la mise en page</translation>
    </message>
    <message>
        <source>Printer Properties</source>
        <translation>Propriétés de l’imprimante</translation>
    </message>
    <message>
        <source>There are conflicts in page setup options. Do you want to fix them?</source>
        <translation>Les options de mise en page sont en conflit. Voulez-vous les corriger ?</translation>
    </message>
    <message>
        <source>There are conflicts in some advanced options. Do you want to fix them?</source>
        <translation>Certaines options avancées sont en conflit. Voulez-vous les corriger ?</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Advanced</source>
        <translation>Avancé</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>Certaines options sont en conflit. Veuillez les corriger.</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Double Sided Printing</source>
        <translation>Impression recto verso</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>Reliure côté long</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>Reliure côté court</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>Indiquez des pages ou des plages séparées par des virgules. Une plage s’écrit avec deux nombres reliés par un trait d’union. Par exemple, 3,5-7,9 imprime les pages 3, 5, 6, 7 et 9.</translation>
    </message>
</context>
</TS>
