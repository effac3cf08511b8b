<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Benvenuto in morv-clip, la cronologia degli appunti</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Incollare</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>Dopo la scelta di una voce, premere i tasti per incollare nella finestra che aveva il focus prima dell’apertura del menu</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>&amp;Incolla nella finestra da cui provieni</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Finestre che incollano con Ctrl+Maiusc+V (una classe di finestra per riga):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>I terminali prendono Ctrl+V come carattere di controllo e incollano con Ctrl+Maiusc+V</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Questo compositor non dice ai programmi quale finestra ha il focus: ogni finestra riceve Ctrl+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>Il server X non ha l’estensione XTEST: non si possono premere tasti in altre finestre.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Questo compositor Wayland non permette ad alcun programma di premere tasti in altre finestre (non offre una tastiera virtuale): scegli la voce, poi incolla tu stesso con Ctrl+V.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>Su questa piattaforma non si possono premere tasti in altre finestre.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>Preferenze di morv-clip</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Preferenze</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Numero di voci:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Numero massimo di voci della cronologia nel menu</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> voci</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Lunghezza massima visualizzata:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Lunghezza del testo di anteprima nel menu</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> caratteri</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Utile per blocchi di testo più grandi copiati, ad esempio, da terminali semplici (minicom ecc.)</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Rimuovi gli spazi all&apos;inizio e alla fine di ogni riga</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Scorciatoia da tastiera:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>Cambia la scorciatoia da tastiera globale che mostra il menu sullo schermo</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Icona nel vassoio di sistema:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Usa le estensioni degli appunti (selezione, buffer di ricerca) quando sono supportate</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Usa estensioni specifiche della piattaforma (avanzato)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>Non sincronizzare appunti e PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Sincronizza appunti e PSE alla scelta di una voce</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Sincronizza subito appunti e PSE</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Cancella le voci all&apos;uscita</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Salva subito la cronologia</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Chiedi conferma prima di svuotare la cronologia</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Elementi fissi</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Gli elementi fissi sono frammenti di testo invariabili, sempre in cima al menu</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Aggiungi un nuovo elemento in fondo all&apos;elenco</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Aggiungi</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Rimuovi l&apos;elemento selezionato</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Rimuovi</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Sposta l&apos;elemento in alto</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>Sposta &amp;su</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Sposta l&apos;elemento in basso</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>Sposta &amp;giù</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>Su Wayland le applicazioni non possono gestire scorciatoie globali.
 Imposta invece la scorciatoia nel compositor in modo che chiami D-Bus,
 ad esempio: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Scelta dell&apos;icona</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Carica icona da file…</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Usa l&apos;icona predefinita</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Seleziona il file dell&apos;icona</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Immagini (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Seleziona icona</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Cerca in:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Nome dell&apos;icona:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Tipo di icona:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Aggiungi nuovo elemento fisso</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>Le immagini mostrano nel menu una miniatura e le loro dimensioni, e nel suggerimento un’anteprima più grande</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Mostra le anteprime delle immagini</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>&amp;Svuota la cronologia degli appunti</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Configura…</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>&amp;Informazioni…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Esci</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip – cronologia degli appunti</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Conferma</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>Vuoi davvero svuotare la cronologia degli appunti?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>Informazioni su morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Applet leggera per la cronologia degli appunti.&lt;p&gt;Riconoscimenti:&lt;ul&gt;&lt;li&gt;2026 Gli sviluppatori del desktop Morv&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Supporto della scorciatoia da tastiera globale: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sì</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Apri la cronologia degli appunti</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Sospendi la cronologia</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - la cronologia degli appunti è sospesa</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Nessuna corrispondenza</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Appunti</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Selezione</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Buffer di ricerca</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Testo semplice</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Testo formattato</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Contenuto binario</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Elemento fisso (testo semplice)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>Binario: %1</translation>
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
        <translation>%1 byte</translation>
    </message>
</context>
</TS>
