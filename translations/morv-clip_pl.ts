<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Witaj w morv-clip – historii schowka</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Wklejanie</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>Po wybraniu pozycji program naciska klawisze wklejania w oknie, które było aktywne przed otwarciem menu</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>&amp;Wklejaj do poprzednio aktywnego okna</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Okna wklejające za pomocą Ctrl+Shift+V (jedna klasa okna w wierszu):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>Terminale traktują Ctrl+V jako znak sterujący i wklejają za pomocą Ctrl+Shift+V</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Ten kompozytor nie mówi programom, które okno jest aktywne: każde okno otrzymuje Ctrl+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>Serwer X nie ma rozszerzenia XTEST: nie można naciskać klawiszy w innych oknach.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Ten kompozytor Wayland nie pozwala żadnemu programowi naciskać klawiszy w innych oknach (nie udostępnia wirtualnej klawiatury): wybierz pozycję, a potem wklej samodzielnie za pomocą Ctrl+V.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>Na tej platformie nie można naciskać klawiszy w innych oknach.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>Ustawienia morv-clip</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Ustawienia</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Liczba wpisów:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Maksymalna liczba wpisów historii w menu</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> wpisów</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Maksymalna długość podglądu:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Długość tekstu podglądu w menu</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> znaków</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Przydatne przy większych blokach tekstu kopiowanych np. z prostych terminali (minicom itp.)</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Usuwaj białe znaki z początku i końca każdego wiersza</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Skrót klawiszowy:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>Zmień globalny skrót klawiszowy, który wyświetla menu na ekranie</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Ikona w tacce systemowej:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Używaj rozszerzeń schowka (zaznaczenie, bufor wyszukiwania), jeśli są obsługiwane</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Używaj rozszerzeń specyficznych dla platformy (zaawansowane)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>Bez synchronizacji schowka i PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Synchronizuj schowek i PSE po wybraniu wpisu</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Synchronizuj schowek i PSE natychmiast</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Czyść wpisy przy zamykaniu</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Zapisuj historię natychmiast</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Pytaj o potwierdzenie przed wyczyszczeniem historii</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Przypięte elementy</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Przypięte elementy to niezmienne fragmenty tekstu, zawsze na górze menu</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Dodaj nowy element na końcu listy</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>Dod&amp;aj</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Usuń zaznaczony element</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Usuń</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Przesuń element w górę</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>W &amp;górę</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Przesuń element w dół</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>W &amp;dół</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>W Waylandzie programy nie mogą obsługiwać globalnych skrótów.
 Zamiast tego ustaw skrót w kompozytorze tak, aby wywoływał D-Bus,
 np.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Wybór ikony</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Wczytaj ikonę z pliku…</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Użyj domyślnej ikony</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Wybierz plik ikony</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Obrazy (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Wybierz ikonę</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Szukaj w:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Nazwa ikony:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Typ ikony:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Dodaj nowy przypięty element</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>Obrazy pokazują w menu miniaturę i swój rozmiar, a w podpowiedzi większy podgląd</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Pokazuj podgląd obrazów</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>Wy&amp;czyść historię schowka</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Konfiguruj…</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>&amp;O programie…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Zakończ</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip – historia schowka</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Potwierdzenie</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>Czy na pewno wyczyścić historię schowka?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>O programie morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Lekki aplet historii schowka.&lt;p&gt;Podziękowania:&lt;ul&gt;&lt;li&gt;2026 Twórcy środowiska Morv&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Obsługa globalnego skrótu klawiszowego: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Tak</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Otwórz historię schowka</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Wstrzymaj historię</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - historia schowka jest wstrzymana</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Brak wyników</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Schowek</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Zaznaczenie</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Bufor wyszukiwania</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Zwykły tekst</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Tekst sformatowany</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Dane binarne</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Przypięty element (zwykły tekst)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>Dane binarne: %1</translation>
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
        <translation>Rozmiar w bajtach: %1</translation>
    </message>
</context>
</TS>
