<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>Bem-vindo ao morv-clip, o histórico da área de transferência</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>Colagem</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>Depois de escolher uma entrada, pressionar as teclas de colar na janela que tinha o foco antes de o menu abrir</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>&amp;Colar na janela de onde você veio</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>&amp;Janelas que colam com Ctrl+Shift+V (uma classe de janela por linha):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>Terminais tomam Ctrl+V como caractere de controle e colam com Ctrl+Shift+V</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>Este compositor não informa aos programas qual janela tem o foco: toda janela recebe Ctrl+V.</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>O servidor X não tem a extensão XTEST: nenhuma tecla pode ser pressionada em outras janelas.</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>Este compositor Wayland não deixa nenhum programa pressionar teclas em outras janelas (não oferece teclado virtual): escolha a entrada e depois cole você mesmo com Ctrl+V.</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>Nesta plataforma nenhuma tecla pode ser pressionada em outras janelas.</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>Preferências do morv-clip</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Preferências</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>Número de entradas:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>Número máximo de entradas do histórico no menu</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> entradas</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>Tamanho máximo de exibição:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>Tamanho do texto de prévia no menu</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> caracteres</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>Útil para blocos de texto maiores copiados, por exemplo, de terminais simples (minicom etc.)</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>Remover espaços no início e no fim de cada linha</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>Atalho de teclado:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>Alterar o atalho de teclado global que mostra o menu na tela</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>Ícone da bandeja do sistema:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>Usar extensões da área de transferência (seleção, buffer de pesquisa) quando houver suporte</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>Usar extensões específicas da plataforma (avançado)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>Não sincronizar a área de transferência e a PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>Sincronizar a área de transferência e a PSE ao escolher um item</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>Sincronizar a área de transferência e a PSE imediatamente</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>Limpar os itens ao sair</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>Salvar o histórico imediatamente</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>Confirmar antes de limpar o histórico</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>Itens fixos</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>Itens fixos são trechos de texto que não mudam e ficam sempre no topo do menu</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>Adicionar um novo item ao final da lista</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Adicionar</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>Remover o item selecionado</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Remover</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Mover o item para cima</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>Para &amp;cima</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Mover o item para baixo</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>Para &amp;baixo</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>No Wayland, os aplicativos não podem usar atalhos globais.
 Em vez disso, defina o atalho no seu compositor para chamar o D-Bus,
 por exemplo: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>Seleção de ícone</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>Carregar ícone de arquivo…</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>Usar o ícone padrão</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>Selecionar arquivo de ícone</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>Imagens (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>Selecionar ícone</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>Procurar em:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>Nome do ícone:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>Tipo de ícone:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>Adicionar novo item fixo</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>As imagens mostram no menu uma miniatura e o seu tamanho, e na dica uma prévia maior</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>Mostrar prévias das imagens</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>&amp;Limpar o histórico da área de transferência</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>&amp;Configurar…</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>&amp;Sobre…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>Sa&amp;ir</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip – histórico da área de transferência</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirmar</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>Tem certeza de que deseja limpar o histórico da área de transferência?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>Sobre o morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>Miniaplicativo leve de histórico da área de transferência.&lt;p&gt;Créditos:&lt;ul&gt;&lt;li&gt;2026 Os desenvolvedores do ambiente Morv&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Suporte a atalho de teclado global: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sim</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Não</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>Abrir o histórico da área de transferência</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>Pausar o histórico</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - o histórico da área de transferência está pausado</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>Nenhum resultado</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>Área de transferência</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Seleção</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>Buffer de pesquisa</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>Texto simples</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>Texto formatado</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>Conteúdo binário</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>Item fixo (texto simples)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>Binário: %1</translation>
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
