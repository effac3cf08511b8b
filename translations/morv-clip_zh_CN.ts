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
</context>
</TS>
