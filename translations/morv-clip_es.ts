<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Bienvenido a morv-clip, el historial del portapapeles</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Pegado</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>Tras elegir una entrada, pulsar las teclas de pegar en la ventana que tenía el foco antes de abrirse el menú</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>&amp;Pegar en la ventana de la que viene</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Ventanas que pegan con Ctrl+Mayús+V (una clase de ventana por línea):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>Los terminales toman Ctrl+V como carácter de control y pegan con Ctrl+Mayús+V</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Este compositor no dice a los programas qué ventana tiene el foco: todas las ventanas reciben Ctrl+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>El servidor X no tiene la extensión XTEST: no se pueden pulsar teclas en otras ventanas.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Este compositor de Wayland no deja que ningún programa pulse teclas en otras ventanas (no ofrece teclado virtual): elija la entrada y pegue usted mismo con Ctrl+V.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>En esta plataforma no se pueden pulsar teclas en otras ventanas.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>Preferencias de morv-clip</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Preferencias</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Número de entradas:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Número máximo de entradas del historial en el menú</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> entradas</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Longitud máxima mostrada:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Longitud del texto de vista previa en el menú</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> caracteres</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Útil para bloques de texto grandes copiados, por ejemplo, de terminales simples (minicom, etc.)</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Eliminar los espacios al principio y al final de cada línea</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Atajo de teclado:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>Cambiar el atajo de teclado global que muestra el menú en pantalla</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Icono de la bandeja del sistema:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Usar las extensiones del portapapeles (selección, búfer de búsqueda) cuando estén disponibles</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Usar extensiones específicas de la plataforma (avanzado)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>No sincronizar el portapapeles y la PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Sincronizar el portapapeles y la PSE al elegir un elemento</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Sincronizar el portapapeles y la PSE al instante</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Borrar los elementos al salir</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Guardar el historial al instante</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Confirmar antes de vaciar el historial</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Elementos fijos</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Los elementos fijos son fragmentos que no cambian y aparecen siempre arriba en el menú</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Añadir un elemento nuevo al final de la lista</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Añadir</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Eliminar el elemento seleccionado</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Eliminar</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Subir el elemento</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>&amp;Subir</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Bajar el elemento</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>&amp;Bajar</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>En Wayland, las aplicaciones no pueden usar atajos globales.
 Defina el atajo en su compositor para que llame a D-Bus,
 por ejemplo: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Selección de icono</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Cargar icono desde archivo…</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Usar el icono predeterminado</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Seleccionar archivo de icono</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Imágenes (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Seleccionar icono</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Buscar en:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Nombre del icono:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Tipo de icono:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Añadir nuevo elemento fijo</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>Las imágenes muestran en el menú una miniatura y su tamaño, y en la descripción emergente una vista previa más grande</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Mostrar vistas previas de las imágenes</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>&amp;Vaciar el historial del portapapeles</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Configurar…</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>&amp;Acerca de…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Salir</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip – historial del portapapeles</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirmar</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>¿Seguro que quiere vaciar el historial del portapapeles?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>Acerca de morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Miniaplicación ligera de historial del portapapeles.&lt;p&gt;Créditos:&lt;ul&gt;&lt;li&gt;2026 Los desarrolladores del escritorio Morv&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Compatibilidad con atajo de teclado global: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Abrir el historial del portapapeles</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Pausar el historial</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - el historial del portapapeles está en pausa</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Sin coincidencias</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Portapapeles</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Selección</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Búfer de búsqueda</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Texto sin formato</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Texto enriquecido</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Contenido binario</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Elemento fijo (texto sin formato)</translation>
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
        <translation>%1 bytes</translation>
    </message>
</context>
</TS>
