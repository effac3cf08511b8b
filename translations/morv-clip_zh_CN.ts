<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>欢迎使用 morv-clip 剪贴板历史小程序</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>粘贴</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>选择条目后，在打开菜单前拥有焦点的窗口中按下粘贴键</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>粘贴到原来的窗口(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>使用 Ctrl+Shift+V 粘贴的窗口（每行一个窗口类）(&amp;W)：</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>终端把 Ctrl+V 当作控制字符，用 Ctrl+Shift+V 粘贴</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>此合成器不告诉程序哪个窗口拥有焦点：每个窗口都会收到 Ctrl+V。</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>X 服务器没有 XTEST 扩展：无法在其他窗口中按键。</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>此 Wayland 合成器不允许任何程序在其他窗口中按键（它不提供虚拟键盘）：请选择条目，然后自己用 Ctrl+V 粘贴。</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>在此平台上无法在其他窗口中按键。</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>morv-clip 首选项</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>首选项</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>历史条目数：</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>菜单中显示的历史条目的最大数量</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> 条</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>最大显示长度：</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>菜单中预览文本的长度</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> 个字符</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>适用于从简易终端（如 minicom 等）复制的较大文本块</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>删除每行首尾的空白字符</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>键盘快捷键：</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>更改在屏幕上调出菜单的全局键盘快捷键</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>系统托盘图标：</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>在支持时使用剪贴板扩展（选区、查找缓冲区）</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>使用平台特定的扩展（高级）</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>不同步剪贴板和 PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>选择条目时同步剪贴板和 PSE</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>立即同步剪贴板和 PSE</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>退出时清除条目</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>立即保存历史记录</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>清除历史记录前确认</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>固定条目</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>固定条目是不会变化的文本片段，始终显示在菜单顶部</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>在列表末尾添加新条目</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>添加(&amp;A)</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>移除选中的条目</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>移除(&amp;R)</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>上移条目</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>上移(&amp;U)</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>下移条目</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>下移(&amp;D)</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>在 Wayland 下，应用程序无法使用全局快捷键。
 请改为在合成器中设置快捷键来调用 D-Bus，
 例如：&apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>图标选择</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>从文件加载图标...</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>使用默认图标</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>选择图标文件</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>图像 (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>选择图标</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>查找范围：</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>图标名称：</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>图标类型：</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>添加新的固定条目</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>图片在菜单中显示缩略图和尺寸，在工具提示中显示较大的预览</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>显示图片预览</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>清除剪贴板历史(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>配置(&amp;C)...</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>关于(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip - 剪贴板历史小程序</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>确定要清除剪贴板历史吗？</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>关于 morv-clip</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>轻量级剪贴板历史小程序。&lt;p&gt;致谢：&lt;ul&gt;&lt;li&gt;2026 Morv 桌面开发者&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;全局键盘快捷键支持：%1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>打开剪贴板历史</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>暂停历史记录</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - 剪贴板历史记录已暂停</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>无匹配项</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>剪贴板</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>选区</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>查找缓冲区</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>纯文本</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>富文本</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>二进制内容</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>固定条目（纯文本）</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>二进制：%1</translation>
    </message>
    <message>
        <source>Url: %1</source>
        <translation>URL：%1</translation>
    </message>
    <message>
        <source>%1 x %2</source>
        <extracomment>The width and height of a picture, in pixels.</extracomment>
        <translation>%1 × %2</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <extracomment>The size of a picture&apos;s file; the number is written as the language writes numbers.</extracomment>
        <translation>%1 字节</translation>
    </message>
</context>
</TS>
