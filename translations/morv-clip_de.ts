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
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>Nach der Wahl eines Eintrags die Tasten zum Einfügen in dem Fenster drücken, das vor dem Öffnen des Menüs den Fokus hatte</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>In das Fenster &amp;einfügen, aus dem Sie kamen</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Fenster, die mit Strg+Umschalt+V einfügen (eine Fensterklasse pro Zeile):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>Terminals verstehen Strg+V als Steuerzeichen und fügen mit Strg+Umschalt+V ein</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Dieser Compositor verrät Programmen nicht, welches Fenster den Fokus hat: Jedes Fenster erhält Strg+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>Der X-Server hat keine XTEST-Erweiterung: In anderen Fenstern können keine Tasten gedrückt werden.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Dieser Wayland-Compositor lässt kein Programm Tasten in anderen Fenstern drücken (er bietet keine virtuelle Tastatur an): Wählen Sie den Eintrag und fügen Sie dann selbst mit Strg+V ein.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>Auf dieser Plattform können in anderen Fenstern keine Tasten gedrückt werden.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>morv-clip – Einstellungen</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Anzahl der Einträge:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Die höchste Zahl veränderlicher Einträge im Menü</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> Einträge</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Maximale Anzeigelänge:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Wie lang der Vorschautext im Menü ist</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> Zeichen</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Nützlich für größere Textblöcke, die zum Beispiel aus einfachen Terminals (minicom usw.) kopiert werden</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Leerraum in jeder Zeile entfernen</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Tastenkürzel:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>Globales Tastenkürzel ändern, mit dem das Menü auf dem Bildschirm erscheint</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Symbol in der Kontrollleiste:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Zwischenablage-Erweiterungen (Auswahl/Suchpuffer) nutzen, wo sie unterstützt werden</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Plattformspezifische Erweiterungen nutzen (für Fortgeschrittene)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>Zwischenablage &amp; PSE nicht abgleichen</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Zwischenablage &amp; PSE bei Auswahl eines Eintrags abgleichen</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Zwischenablage &amp; PSE sofort abgleichen</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Einträge beim Beenden löschen</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Verlauf sofort speichern</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Löschen des Verlaufs bestätigen</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Feste Einträge sind unveränderliche Textbausteine, die im Menü immer oben stehen</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Neuen Eintrag am Ende der Liste anfügen</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Aktuellen Eintrag entfernen</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Eintrag nach oben verschieben</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Eintrag nach unten verschieben</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>Nach &amp;unten</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Feste Einträge</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>Unter Wayland können Programme keine globalen Tastenkürzel verwenden.
 Legen Sie das Kürzel stattdessen im Compositor fest und rufen Sie damit D-Bus auf,
 z. B.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Symbolauswahl</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Symbol aus Datei laden …</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Standardsymbol verwenden</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Symboldatei auswählen</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Bilder (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Symbol auswählen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Suchen in:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Symbolname:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Symboltyp:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Neuen festen Eintrag hinzufügen</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>Bilder zeigen im Menü ein Vorschaubild und ihre Größe, im Tooltip eine größere Vorschau</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Vorschau von Bildern anzeigen</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>&amp;Verlauf der Zwischenablage leeren</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Einrichten...</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>Ü&amp;ber ...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip - ein Verlauf der Zwischenablage</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>Wollen Sie den Verlauf der Zwischenablage wirklich leeren?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>Über morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Leichtgewichtiges Applet für den Verlauf der Zwischenablage.&lt;p&gt;Mitwirkende:&lt;ul&gt;&lt;li&gt;2026 Die Entwickler des Morv-Desktops&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Unterstützung für globales Tastenkürzel: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Verlauf der Zwischenablage öffnen</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Verlauf anhalten</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - der Verlauf der Zwischenablage ist angehalten</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Keine Treffer</translation>
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
    <message>
        <source>%1 x %2</source>
        <extracomment>The width and height of a picture, in pixels.</extracomment>
        <translation>%1 × %2</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <extracomment>The size of a picture&apos;s file; the number is written as the language writes numbers.</extracomment>
        <translation>%1 Bytes</translation>
    </message>
</context>
</TS>
