<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Willkommen beim Zwischenablage-Verlauf morv-clip</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Zwischenablage</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Auswahl</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Suchpuffer</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Reiner Text</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Formatierter Text</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Binärer Inhalt</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Angeheftetes Element (reiner Text)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>Binär: %1</translation>
    </message>
    <message>
        <source>Url: %1</source>
        <translation>URL: %1</translation>
    </message>
</context>
</TS>
