<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Morv::Model</name>
    <message>
        <source>Welcome to the morv-clip clipboard history applet</source>
        <translation>morv-clip クリップボード履歴アプレットへようこそ</translation>
    </message>
</context>
<context>
    <name>Morv::PastingPage</name>
    <message>
        <source>Pasting</source>
        <translation>貼り付け</translation>
    </message>
    <message>
        <source>After an entry is chosen, press the paste keys in the window that had the focus before the menu opened</source>
        <translation>項目を選んだ後、メニューを開く前にフォーカスがあったウィンドウで貼り付けのキーを押します</translation>
    </message>
    <message>
        <source>&amp;Paste into the window you came from</source>
        <translation>元のウィンドウに貼り付ける(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Windows that paste with Ctrl+Shift+V (one window class per line):</source>
        <translation>Ctrl+Shift+V で貼り付けるウィンドウ (1 行に 1 つのウィンドウクラス)(&amp;W):</translation>
    </message>
    <message>
        <source>Terminals take Ctrl+V as a control character and paste with Ctrl+Shift+V</source>
        <translation>端末は Ctrl+V を制御文字として扱い、Ctrl+Shift+V で貼り付けます</translation>
    </message>
    <message>
        <source>This compositor does not tell programs which window has the focus: every window gets Ctrl+V.</source>
        <translation>このコンポジターはどのウィンドウにフォーカスがあるかをプログラムに知らせません: すべてのウィンドウに Ctrl+V が送られます。</translation>
    </message>
    <message>
        <source>The X server has no XTEST extension: no keys can be pressed in other windows.</source>
        <translation>X サーバーに XTEST 拡張がありません: 他のウィンドウでキーを押すことはできません。</translation>
    </message>
    <message>
        <source>This Wayland compositor lets no program press keys in other windows (it offers no virtual keyboard): choose the entry, then paste with Ctrl+V yourself.</source>
        <translation>この Wayland コンポジターは、他のウィンドウでのキー入力をどのプログラムにも許可していません (仮想キーボードを提供していません): 項目を選んでから、ご自身で Ctrl+V で貼り付けてください。</translation>
    </message>
    <message>
        <source>No keys can be pressed in other windows on this platform.</source>
        <translation>このプラットフォームでは他のウィンドウでキーを押すことはできません。</translation>
    </message>
</context>
<context>
    <name>Morv::PreferencesDialog</name>
    <message>
        <source>morv-clip Preferences</source>
        <translation>morv-clip の設定</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Clipboard entries count:</source>
        <translation>履歴の件数:</translation>
    </message>
    <message>
        <source>The maximum count of dynamic items in the menu</source>
        <translation>メニューに表示する履歴の最大件数</translation>
    </message>
    <message>
        <source> entries</source>
        <translation> 件</translation>
    </message>
    <message>
        <source>Maximum display size:</source>
        <translation>最大表示文字数:</translation>
    </message>
    <message>
        <source>How long is the preview text in the menu</source>
        <translation>メニューに表示するプレビューテキストの長さ</translation>
    </message>
    <message>
        <source> characters</source>
        <translation> 文字</translation>
    </message>
    <message>
        <source>Useful for bigger text blocks copied for example from dummy terminals (minicom, etc.)</source>
        <translation>シンプルな端末 (minicom など) からコピーした大きなテキストブロックに便利です</translation>
    </message>
    <message>
        <source>Trim whitespaces for every line</source>
        <translation>各行の前後の空白を削除する</translation>
    </message>
    <message>
        <source>Keyboard shortcut:</source>
        <translation>キーボードショートカット:</translation>
    </message>
    <message>
        <source>Change global keyboard shortcut to invoke the menu on screen</source>
        <translation>画面にメニューを表示するグローバルキーボードショートカットを変更します</translation>
    </message>
    <message>
        <source>Tray icon image:</source>
        <translation>システムトレイのアイコン:</translation>
    </message>
    <message>
        <source>Use clipboard extensions (Selection/FindBuffer) when it&apos;s supported</source>
        <translation>サポートされている場合はクリップボードの拡張機能 (選択範囲、検索バッファ) を使用します</translation>
    </message>
    <message>
        <source>Use platform specific extensions (advanced)</source>
        <translation>プラットフォーム固有の拡張機能を使用する (上級者向け)</translation>
    </message>
    <message>
        <source>No synchronization of clipboard &amp; PSE</source>
        <translation>クリップボードと PSE を同期しない</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE when item selected</source>
        <translation>アイテムを選んだときにクリップボードと PSE を同期する</translation>
    </message>
    <message>
        <source>Synchronize clipboard &amp; PSE instantly</source>
        <translation>クリップボードと PSE を即座に同期する</translation>
    </message>
    <message>
        <source>Clear items on exit</source>
        <translation>終了時にアイテムを消去する</translation>
    </message>
    <message>
        <source>Synchronize history to storage instantly</source>
        <translation>履歴をすぐに保存する</translation>
    </message>
    <message>
        <source>Confirm clear history</source>
        <translation>履歴を消去する前に確認する</translation>
    </message>
    <message>
        <source>Sticky Items</source>
        <translation>固定アイテム</translation>
    </message>
    <message>
        <source>Sticky items are unchanged, always on top snippets in the menu</source>
        <translation>固定アイテムは変更されない定型文で、常にメニューの上部に表示されます</translation>
    </message>
    <message>
        <source>Add new item to the end of the list</source>
        <translation>リストの末尾に新しいアイテムを追加します</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>追加(&amp;A)</translation>
    </message>
    <message>
        <source>Remove current item</source>
        <translation>選択したアイテムを削除します</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>削除(&amp;R)</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>アイテムを上に移動します</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>上へ(&amp;U)</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>アイテムを下に移動します</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>下へ(&amp;D)</translation>
    </message>
    <message>
        <source>On Wayland, apps can&apos;t handle global shortcuts.
 Set the shortcut in your compositor to call D-Bus instead,
 e.g.: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</source>
        <translation>Wayland ではアプリケーションがグローバルショートカットを扱えません。
 代わりにコンポジタでショートカットを設定し、D-Bus を呼び出してください。
 例: &apos;qdbus6 org.morv.morv-clip /org/morv/clip show&apos;</translation>
    </message>
    <message>
        <source>Icon selection</source>
        <translation>アイコンの選択</translation>
    </message>
    <message>
        <source>Load icon from file...</source>
        <translation>ファイルからアイコンを読み込む...</translation>
    </message>
    <message>
        <source>Use default icon</source>
        <translation>既定のアイコンを使用</translation>
    </message>
    <message>
        <source>Select icon file</source>
        <translation>アイコンファイルを選択</translation>
    </message>
    <message>
        <source>Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</source>
        <translation>画像 (*.bmp *.jpg *.jpeg *.png *.svg *.tga)</translation>
    </message>
    <message>
        <source>Select icon</source>
        <translation>アイコンを選択</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>探す場所:</translation>
    </message>
    <message>
        <source>Icon name:</source>
        <translation>アイコン名:</translation>
    </message>
    <message>
        <source>Icon type:</source>
        <translation>アイコンの種類:</translation>
    </message>
    <message>
        <source>Add New Sticky Item</source>
        <translation>新しい固定アイテムを追加</translation>
    </message>
    <message>
        <source>Pictures show a thumbnail and their size in the menu, and a larger preview in the tool tip</source>
        <translation>画像はメニューにサムネイルとサイズを、ツールチップに大きなプレビューを表示します</translation>
    </message>
    <message>
        <source>Show previews of pictures</source>
        <translation>画像のプレビューを表示する</translation>
    </message>
</context>
<context>
    <name>Morv::Systray</name>
    <message>
        <source>C&amp;lear clipboard history</source>
        <translation>クリップボードの履歴を消去(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Configure...</source>
        <translation>設定(&amp;C)...</translation>
    </message>
    <message>
        <source>&amp;About ...</source>
        <translation>morv-clip について(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>終了(&amp;Q)</translation>
    </message>
    <message>
        <source>morv-clip - a clipboard history applet</source>
        <translation>morv-clip - クリップボード履歴アプレット</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>Are you sure that you want to clear your clipboard history?</source>
        <translation>クリップボードの履歴を消去してもよろしいですか?</translation>
    </message>
    <message>
        <source>About morv-clip</source>
        <translation>morv-clip について</translation>
    </message>
    <message>
        <source>Lightweight, clipboard history applet.&lt;p&gt;Credits:&lt;ul&gt;&lt;li&gt;2026 The Morv desktop developers&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;Support for global keyboard shortcut: %1</source>
        <translation>軽量なクリップボード履歴アプレットです。&lt;p&gt;クレジット:&lt;ul&gt;&lt;li&gt;2026 Morv デスクトップの開発者&lt;/li&gt;&lt;/ul&gt;&lt;a href=&quot;https://morv.org/morv-clip&quot;&gt;https://morv.org/morv-clip&lt;/a&gt;&lt;p&gt;グローバルキーボードショートカットのサポート: %1</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>はい</translation>
    </message>
    <message>
        <source>No</source>
        <translation>いいえ</translation>
    </message>
    <message>
        <source>Open the clipboard history</source>
        <translation>クリップボード履歴を開く</translation>
    </message>
    <message>
        <source>Pause history</source>
        <translation>履歴を一時停止</translation>
    </message>
    <message>
        <source>morv-clip - the clipboard history is paused</source>
        <translation>morv-clip - クリップボードの履歴は一時停止中です</translation>
    </message>
</context>
<context>
    <name>QFilteringMenuView</name>
    <message>
        <source>No match</source>
        <translation>一致する項目はありません</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Clipboard</source>
        <translation>クリップボード</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>選択範囲</translation>
    </message>
    <message>
        <source>Find Buffer</source>
        <translation>検索バッファ</translation>
    </message>
    <message>
        <source>Plain Text</source>
        <translation>プレーンテキスト</translation>
    </message>
    <message>
        <source>Rich Text</source>
        <translation>リッチテキスト</translation>
    </message>
    <message>
        <source>Binary Content</source>
        <translation>バイナリデータ</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Sticky Item (Plain Text)</source>
        <translation>固定アイテム (プレーンテキスト)</translation>
    </message>
    <message>
        <source>Binary: %1</source>
        <translation>バイナリ: %1</translation>
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
        <translation>%1 バイト</translation>
    </message>
</context>
</TS>
