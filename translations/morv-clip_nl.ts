<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl_NL">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Welkom bij morv-clip, de klembordgeschiedenis</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Plakken</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>Na het kiezen van een item de plaktoetsen indrukken in het venster dat de focus had voordat het menu openging</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>&amp;Plakken in het venster waar u vandaan kwam</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Vensters die plakken met Ctrl+Shift+V (één vensterklasse per regel):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>Terminals vatten Ctrl+V op als stuurteken en plakken met Ctrl+Shift+V</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Deze compositor vertelt programma’s niet welk venster de focus heeft: elk venster krijgt Ctrl+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>De X-server heeft geen XTEST-uitbreiding: er kunnen geen toetsen in andere vensters worden ingedrukt.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Deze Wayland-compositor laat geen enkel programma toetsen in andere vensters indrukken (hij biedt geen virtueel toetsenbord): kies het item en plak daarna zelf met Ctrl+V.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>Op dit platform kunnen geen toetsen in andere vensters worden ingedrukt.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>Voorkeuren voor morv-clip</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Voorkeuren</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Aantal items:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Het maximale aantal geschiedenisitems in het menu</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> items</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Maximale weergavelengte:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Lengte van de voorbeeldtekst in het menu</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> tekens</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Handig voor grotere tekstblokken die bijvoorbeeld uit eenvoudige terminals (minicom enz.) zijn gekopieerd</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Witruimte aan begin en einde van elke regel verwijderen</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Sneltoets:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>De globale sneltoets wijzigen die het menu op het scherm toont</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Pictogram in het systeemvak:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Klembordextensies (selectie, zoekbuffer) gebruiken indien ondersteund</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Platformspecifieke extensies gebruiken (geavanceerd)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>Klembord en PSE niet synchroniseren</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Klembord en PSE synchroniseren bij het kiezen van een item</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Klembord en PSE direct synchroniseren</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Items wissen bij afsluiten</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Geschiedenis direct opslaan</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Wissen van de geschiedenis bevestigen</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Vastgezette items</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Vastgezette items zijn vaste tekstfragmenten die altijd bovenaan in het menu staan</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Een nieuw item aan het einde van de lijst toevoegen</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Toevoegen</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Het geselecteerde item verwijderen</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Verwijderen</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Item omhoog verplaatsen</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>Om&amp;hoog</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Item omlaag verplaatsen</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>Om&amp;laag</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>Onder Wayland kunnen programma&apos;s geen globale sneltoetsen gebruiken.
 Stel de sneltoets daarom in uw compositor in en laat die D-Bus aanroepen,
 bijvoorbeeld: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Pictogramkeuze</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Pictogram uit bestand laden…</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Standaardpictogram gebruiken</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Pictogrambestand selecteren</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Afbeeldingen (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Pictogram selecteren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuleren</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Zoeken in:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Pictogramnaam:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Pictogramtype:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Nieuw vastgezet item toevoegen</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>Afbeeldingen tonen in het menu een miniatuur en hun afmetingen, en in de tooltip een groter voorbeeld</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Voorbeelden van afbeeldingen tonen</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>Klembordgeschiedenis &amp;wissen</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Instellen…</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>&amp;Over…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Afsluiten</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip – klembordgeschiedenis</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bevestigen</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>Weet u zeker dat u de klembordgeschiedenis wilt wissen?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>Over morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Lichtgewicht applet voor de klembordgeschiedenis.&lt;p&gt;Met dank aan:&lt;ul&gt;&lt;li&gt;2026 De ontwikkelaars van de Morv-desktop&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Ondersteuning voor een globale sneltoets: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nee</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Klembordgeschiedenis openen</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Geschiedenis pauzeren</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - de klembordgeschiedenis is gepauzeerd</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Geen resultaten</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Klembord</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Selectie</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Zoekbuffer</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Platte tekst</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Opgemaakte tekst</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Binaire inhoud</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Vastgezet item (platte tekst)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>Binair: %1</translation>
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
        <translation>%1 bytes</translation>
    </message>
</context>
</TS>
