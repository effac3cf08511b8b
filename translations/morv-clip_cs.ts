<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs_CZ">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Vítejte v morv-clip, historii schránky</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Vkládání</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>Po výběru položky stisknout klávesy pro vložení v okně, které mělo zaměření před otevřením nabídky</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>&amp;Vložit do okna, odkud jste přišli</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Okna, která vkládají pomocí Ctrl+Shift+V (jedna třída okna na řádek):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>Terminály berou Ctrl+V jako řídicí znak a vkládají pomocí Ctrl+Shift+V</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Tento kompozitor programům neříká, které okno má zaměření: každé okno dostane Ctrl+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>X server nemá rozšíření XTEST: v jiných oknech nelze stisknout žádné klávesy.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Tento kompozitor Waylandu nedovolí žádnému programu stisknout klávesy v jiných oknech (nenabízí virtuální klávesnici): vyberte položku a pak vložte sami pomocí Ctrl+V.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>Na této platformě nelze v jiných oknech stisknout žádné klávesy.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>Nastavení morv-clip</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Nastavení</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Počet záznamů:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Nejvyšší počet záznamů historie v nabídce</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> záznamů</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Největší délka náhledu:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Délka textu náhledu v nabídce</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> znaků</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Užitečné pro větší bloky textu zkopírované například z jednoduchých terminálů (minicom apod.)</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Odstranit mezery na začátku a na konci každého řádku</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Klávesová zkratka:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>Změnit globální klávesovou zkratku, která zobrazí nabídku na obrazovce</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Ikona v oznamovací oblasti:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Používat rozšíření schránky (výběr, vyrovnávací paměť hledání), jsou-li podporována</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Používat rozšíření specifická pro platformu (pokročilé)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>Nesynchronizovat schránku a PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Synchronizovat schránku a PSE při výběru položky</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Synchronizovat schránku a PSE okamžitě</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Při ukončení vymazat položky</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Ukládat historii okamžitě</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Potvrzovat vymazání historie</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Připnuté položky</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Připnuté položky jsou neměnné úryvky textu, vždy nahoře v nabídce</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Přidat novou položku na konec seznamu</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Přidat</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Odstranit vybranou položku</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Odstranit</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Posunout položku nahoru</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>&amp;Nahoru</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Posunout položku dolů</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>&amp;Dolů</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>Ve Waylandu nemohou aplikace používat globální klávesové zkratky.
 Nastavte místo toho zkratku ve svém kompozitoru tak, aby volala D-Bus,
 např.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Výběr ikony</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Načíst ikonu ze souboru…</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Použít výchozí ikonu</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Vybrat soubor s ikonou</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Obrázky (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Vybrat ikonu</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Zrušit</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Hledat v:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Název ikony:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Typ ikony:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Přidat novou připnutou položku</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>Obrázky mají v nabídce miniaturu a svou velikost, v bublinové nápovědě větší náhled</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Zobrazovat náhledy obrázků</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>&amp;Vymazat historii schránky</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Nastavit…</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>O &amp;aplikaci…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Ukončit</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip – historie schránky</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Potvrzení</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>Opravdu chcete vymazat historii schránky?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>O aplikaci morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Odlehčený aplet historie schránky.&lt;p&gt;Poděkování:&lt;ul&gt;&lt;li&gt;2026 Vývojáři prostředí Morv&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Podpora globální klávesové zkratky: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ano</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Ne</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Otevřít historii schránky</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Pozastavit historii</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - historie schránky je pozastavena</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Žádná shoda</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Schránka</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Výběr</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Vyrovnávací paměť hledání</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Prostý text</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Formátovaný text</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Binární data</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Připnutá položka (prostý text)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>Binární data: %1</translation>
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
        <translation>Velikost v bajtech: %1</translation>
    </message>
</context>
</TS>
