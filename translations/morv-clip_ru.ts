<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Добро пожаловать в morv-clip — историю буфера обмена</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Вставка</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>После выбора записи нажимать клавиши вставки в окне, которое было активно до открытия меню</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>&amp;Вставлять в окно, из которого вы пришли</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Окна, вставляющие по Ctrl+Shift+V (один класс окна на строку):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>Терминалы принимают Ctrl+V за управляющий символ и вставляют по Ctrl+Shift+V</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Этот композитор не сообщает программам, какое окно активно: каждое окно получает Ctrl+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>У X-сервера нет расширения XTEST: нажимать клавиши в других окнах нельзя.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Этот композитор Wayland не позволяет программам нажимать клавиши в других окнах (он не предоставляет виртуальную клавиатуру): выберите запись, затем вставьте сами с помощью Ctrl+V.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>На этой платформе нельзя нажимать клавиши в других окнах.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>Параметры morv-clip</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Количество записей:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Максимальное количество записей истории в меню</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> записей</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Максимальная длина текста:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Длина текста предварительного просмотра в меню</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> символов</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Полезно для больших блоков текста, скопированных, например, из простых терминалов (minicom и т. п.)</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Удалять пробелы в начале и в конце каждой строки</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Комбинация клавиш:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>Изменить глобальную комбинацию клавиш, которая вызывает меню на экран</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Значок в системном лотке:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Использовать расширения буфера обмена (выделение, буфер поиска), если они поддерживаются</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Использовать расширения платформы (для опытных пользователей)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>Не синхронизировать буфер обмена и PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Синхронизировать буфер обмена и PSE при выборе записи</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Синхронизировать буфер обмена и PSE немедленно</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Очищать записи при выходе</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Сохранять историю немедленно</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Запрашивать подтверждение очистки истории</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Закреплённые элементы</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Закреплённые элементы — неизменные фрагменты текста, всегда находящиеся вверху меню</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Добавить новый элемент в конец списка</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Добавить</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Удалить выбранный элемент</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Переместить элемент вверх</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>&amp;Вверх</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Переместить элемент вниз</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>В&amp;низ</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>В Wayland приложения не могут использовать глобальные комбинации клавиш.
 Вместо этого назначьте комбинацию в композиторе, чтобы она вызывала D-Bus,
 например: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Выбор значка</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Загрузить значок из файла…</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Использовать значок по умолчанию</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Выбор файла значка</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Изображения (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Выбрать значок</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Папка:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Имя значка:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Тип значка:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Добавить закреплённый элемент</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>Изображения показывают в меню миниатюру и свой размер, а во всплывающей подсказке — увеличенный предпросмотр</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Показывать предпросмотр изображений</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>&amp;Очистить историю буфера обмена</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Настроить…</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>О &amp;программе…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Выход</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip — история буфера обмена</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Подтверждение</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>Вы действительно хотите очистить историю буфера обмена?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>О программе morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Лёгкий апплет истории буфера обмена.&lt;p&gt;Авторы:&lt;ul&gt;&lt;li&gt;2026 Разработчики рабочей среды Morv&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Поддержка глобальной комбинации клавиш: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Открыть историю буфера обмена</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Приостановить историю</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - история буфера обмена приостановлена</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Нет совпадений</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Буфер обмена</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Выделение</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Буфер поиска</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Обычный текст</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Форматированный текст</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Двоичные данные</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Закреплённый элемент (обычный текст)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>Двоичные данные: %1</translation>
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
        <translation>Размер в байтах: %1</translation>
    </message>
</context>
</TS>
