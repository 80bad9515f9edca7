<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>MyDocument</name>
    <message>
        <source>Show First Bad Byte</source>
        <translation>最初の不正なバイトを表示</translation>
    </message>
    <message>
        <source>the byte that is not text</source>
        <translation>テキストでないバイト</translation>
    </message>
    <message>
        <source>each of the %1 bytes that are not text</source>
        <translation>テキストでない %1 個のバイトのそれぞれ</translation>
    </message>
    <message>
        <source>The text of “%1” is saved to another file in %2, and %3 is saved as the replacement character %4 (U+%5). The file “%1” itself is left as it is.</source>
        <translation>「%1」のテキストは %2 で別のファイルに保存され、%3は置換文字 %4（U+%5）として保存されます。ファイル「%1」そのものは変更されません。</translation>
    </message>
    <message>
        <source>“%1” was opened read-only because it has bytes that are not valid text; saving over it would replace them. Use Save As to save the text to another file.</source>
        <translation>「%1」にはテキストとして正しくないバイトがあるため、読み出し専用で開きました。上書き保存するとそれらのバイトが置き換えられてしまいます。別のファイルに保存するには「別名で保存…」を使ってください。</translation>
    </message>
    <message>
        <source>Alert</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>Reload this document and force to convert into the selected character code.
Your changes will be lost.</source>
        <translation>この書類を読み込み直し、選択した文字コードで強制的に変換します。
変更内容は失われます。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>%1 cannot hold this text</source>
        <translation>%1 ではこのテキストを保存できません</translation>
    </message>
    <message>
        <source>%1 of the text cannot be saved in %2, the first “%3” on line %4, column %5. Saving in %2 will fail until they are changed.</source>
        <translation>テキストのうち %1 は %2 で保存できません（最初は %4 行 %5 桁目の「%3」）。これらを変更するまで %2 での保存は失敗します。</translation>
    </message>
    <message>
        <source>1 character</source>
        <translation>1 文字</translation>
    </message>
    <message>
        <source>%1 characters</source>
        <translation>%1 文字</translation>
    </message>
    <message>
        <source>Keep %1</source>
        <translation>%1 のままにする</translation>
    </message>
    <message>
        <source>Use %1</source>
        <translation>%1 を使う</translation>
    </message>
    <message>
        <source>The document “%1” could not be reloaded.</source>
        <translation>書類「%1」を読み込み直せませんでした。</translation>
    </message>
    <message>
        <source> The text was left as it was.</source>
        <translation> テキストは元のままです。</translation>
    </message>
    <message>
        <source>Plain</source>
        <translation>プレーン</translation>
    </message>
    <message>
        <source>X/HTML</source>
        <translation>X/HTML</translation>
    </message>
    <message>
        <source>Indexed</source>
        <translation>インデックス</translation>
    </message>
    <message>
        <source>w-markup</source>
        <translation>w-markup</translation>
    </message>
    <message>
        <source>CSS</source>
        <translation>CSS</translation>
    </message>
    <message>
        <source>perl</source>
        <translation>perl</translation>
    </message>
    <message>
        <source>PHP</source>
        <translation>PHP</translation>
    </message>
    <message>
        <source>ruby</source>
        <translation>ruby</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>読み込み直す</translation>
    </message>
    <message>
        <source>Keep My Text</source>
        <translation>自分のテキストを残す</translation>
    </message>
    <message>
        <source>“%1” was changed by another program.</source>
        <translation>「%1」は別のプログラムによって変更されました。</translation>
    </message>
    <message>
        <source>“%1” was deleted or moved by another program.</source>
        <translation>「%1」は別のプログラムによって削除または移動されました。</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>名称未設定</translation>
    </message>
    <message>
        <source> (read-only)</source>
        <translation>（読み出し専用）</translation>
    </message>
    <message>
        <source>Text Information</source>
        <translation>テキスト情報</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Running “%1”…</source>
        <translation>「%1」を実行中…</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Add-on</source>
        <translation>アドオン</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>About Wexel</source>
        <translation>Wexel について</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Wexel %1&lt;/h3&gt;&lt;p&gt;A text editor for web pages and scripts written in Japanese: character codes and line ends kept as the file has them, colouring for HTML, CSS, Perl, PHP, Ruby and shell scripts, and tags, links and add-ons from menus.&lt;/p&gt;&lt;p&gt;Built with Qt %2.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Wexel %1&lt;/h3&gt;&lt;p&gt;日本語で書かれた Web ページとスクリプトのためのテキストエディタです。文字コードと改行コードはファイルのまま保ち、HTML、CSS、Perl、PHP、Ruby、シェルスクリプトを色分けし、タグ、リンク、アドオンをメニューから使えます。&lt;/p&gt;&lt;p&gt;Qt %2 でビルドされています。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Open Recent</source>
        <translation>最近使ったファイルを開く</translation>
    </message>
    <message>
        <source>Clear Menu</source>
        <translation>メニューを消去</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>ウインドウ(&amp;W)</translation>
    </message>
    <message>
        <source>No Documents</source>
        <translation>書類なし</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>見つかりません</translation>
    </message>
</context>
<context>
    <name>WApplicationDel</name>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新規</translation>
    </message>
    <message>
        <source>Open…</source>
        <translation>開く…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save As…</source>
        <translation>別名で保存…</translation>
    </message>
    <message>
        <source>Revert</source>
        <translation>保存時の状態に戻す</translation>
    </message>
    <message>
        <source>Open with Browser</source>
        <translation>ブラウザで開く</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>やり直す</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>カット</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>ペースト</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>すべてを選択</translation>
    </message>
    <message>
        <source>Go to Line…</source>
        <translation>行へ移動…</translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>環境設定…</translation>
    </message>
    <message>
        <source>Fo&amp;rmat</source>
        <translation>フォーマット(&amp;R)</translation>
    </message>
    <message>
        <source>Incompatible Characters</source>
        <translation>保存できない文字</translation>
    </message>
    <message>
        <source>HTML &amp;Tags</source>
        <translation>HTMLタグ(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;URLs</source>
        <translation>URL(&amp;U)</translation>
    </message>
    <message>
        <source>T&amp;ools</source>
        <translation>ツール(&amp;O)</translation>
    </message>
    <message>
        <source>Font Family &amp;&amp; Style</source>
        <translation>フォントとスタイル</translation>
    </message>
    <message>
        <source>Font Size</source>
        <translation>フォントサイズ</translation>
    </message>
</context>
<context>
    <name>WApplicationMenus</name>
    <message>
        <source>Open User-defined Tag File</source>
        <translation>ユーザ定義タグファイルを開く</translation>
    </message>
</context>
<context>
    <name>WBottomView</name>
    <message>
        <source>Definitions in the text</source>
        <translation>テキスト内の定義</translation>
    </message>
    <message>
        <source>no definitions</source>
        <translation>定義なし</translation>
    </message>
    <message>
        <source>▾ Definitions</source>
        <translation>▾ 定義</translation>
    </message>
</context>
<context>
    <name>WDocumentController</name>
    <message>
        <source>Untitled</source>
        <translation>名称未設定</translation>
    </message>
    <message>
        <source>Untitled %1</source>
        <translation>名称未設定 %1</translation>
    </message>
    <message>
        <source>The document “%1” could not be opened.</source>
        <translation>書類「%1」を開けませんでした。</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>別名で保存</translation>
    </message>
    <message>
        <source>Save As…</source>
        <translation>別名で保存…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>“%1” was changed by another program since you opened it. Replace it with your text?</source>
        <translation>「%1」は開いた後に別のプログラムによって変更されています。このテキストで置き換えますか？</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>置換</translation>
    </message>
    <message>
        <source>The document “%1” could not be saved.</source>
        <translation>書類「%1」を保存できませんでした。</translation>
    </message>
    <message>
        <source>Revert</source>
        <translation>保存時の状態に戻す</translation>
    </message>
    <message>
        <source>Revert “%1” to the saved file? Your changes will be lost.</source>
        <translation>「%1」を保存時の状態に戻しますか？ 変更内容は失われます。</translation>
    </message>
    <message>
        <source>The document “%1” could not be reverted.</source>
        <translation>書類「%1」を保存時の状態に戻せませんでした。</translation>
    </message>
    <message>
        <source> The document was left as it was.</source>
        <translation> 書類は元のままです。</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Do you want to save the changes you made to “%1”?</source>
        <translation>「%1」に加えた変更を保存しますか？</translation>
    </message>
    <message>
        <source>Don't Save</source>
        <translation>保存しない</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>An add-on is still running. Stop it and quit?</source>
        <translation>アドオンがまだ実行中です。停止して終了しますか？</translation>
    </message>
    <message>
        <source>Stop and Quit</source>
        <translation>停止して終了</translation>
    </message>
</context>
<context>
    <name>WDocumentSearch</name>
    <message>
        <source>Find</source>
        <translation>検索</translation>
    </message>
    <message>
        <source>Find…</source>
        <translation>検索…</translation>
    </message>
    <message>
        <source>Find Next</source>
        <translation>次を検索</translation>
    </message>
    <message>
        <source>Find Previous</source>
        <translation>前を検索</translation>
    </message>
    <message>
        <source>Use Selection for Find</source>
        <translation>選択部分を検索に使用</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>置換</translation>
    </message>
    <message>
        <source>Replace and Find</source>
        <translation>置換して検索</translation>
    </message>
    <message>
        <source>Replace All</source>
        <translation>すべてを置換</translation>
    </message>
</context>
<context>
    <name>WDocumentWindow</name>
    <message>
        <source>Character code</source>
        <translation>文字コード</translation>
    </message>
    <message>
        <source>Line ends</source>
        <translation>改行コード</translation>
    </message>
    <message>
        <source>Text type</source>
        <translation>テキストの種類</translation>
    </message>
    <message>
        <source>Line of the selection</source>
        <translation>選択範囲の行</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>行</translation>
    </message>
    <message>
        <source>Line %1, Column %2</source>
        <translation>%1 行、%2 桁</translation>
    </message>
</context>
<context>
    <name>WEditingMenus</name>
    <message>
        <source>&amp;Insert</source>
        <translation>挿入(&amp;I)</translation>
    </message>
    <message>
        <source>Insert Link</source>
        <translation>リンクを挿入</translation>
    </message>
    <message>
        <source>URL:</source>
        <translation>URL:</translation>
    </message>
    <message>
        <source>Shift Right</source>
        <translation>右へシフト</translation>
    </message>
    <message>
        <source>Shift Left</source>
        <translation>左へシフト</translation>
    </message>
    <message>
        <source>Wrap with Return</source>
        <translation>改行で折り返す</translation>
    </message>
    <message>
        <source>Remove Returns</source>
        <translation>改行を取り除く</translation>
    </message>
    <message>
        <source>Word Wrap</source>
        <translation>ワードラップ</translation>
    </message>
    <message>
        <source>Auto Indent</source>
        <translation>自動インデント</translation>
    </message>
    <message>
        <source>Store Window Status</source>
        <translation>ウインドウの状態を保存</translation>
    </message>
    <message>
        <source>Redraw Colours</source>
        <translation>色分けを再描画</translation>
    </message>
    <message>
        <source>Text Information…</source>
        <translation>テキスト情報…</translation>
    </message>
    <message>
        <source>Colour…</source>
        <translation>カラー…</translation>
    </message>
    <message>
        <source>Image Tag…</source>
        <translation>イメージタグ…</translation>
    </message>
    <message>
        <source>Link…</source>
        <translation>リンク…</translation>
    </message>
    <message>
        <source>Relative Path…</source>
        <translation>相対パス…</translation>
    </message>
    <message>
        <source>Text of File…</source>
        <translation>ファイルのテキスト…</translation>
    </message>
    <message>
        <source>Colours</source>
        <translation>カラー</translation>
    </message>
    <message>
        <source>Insert Image Tag</source>
        <translation>イメージタグを挿入</translation>
    </message>
    <message>
        <source>Images (%1);;All Files (*)</source>
        <translation>画像 (%1);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Insert Relative Path</source>
        <translation>相対パスを挿入</translation>
    </message>
    <message>
        <source>Insert Text of File</source>
        <translation>ファイルのテキストを挿入</translation>
    </message>
</context>
<context>
    <name>WGotoLineWindow</name>
    <message>
        <source>Go to Line</source>
        <translation>行へ移動</translation>
    </message>
    <message>
        <source>Line:</source>
        <translation>行:</translation>
    </message>
</context>
<context>
    <name>WIncompatibleCharactersPanel</name>
    <message>
        <source>1 character</source>
        <translation>1 文字</translation>
    </message>
    <message>
        <source>%1 characters</source>
        <translation>%1 文字</translation>
    </message>
    <message>
        <source>Incompatible Characters</source>
        <translation>保存できない文字</translation>
    </message>
    <message>
        <source>Character</source>
        <translation>文字</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>行</translation>
    </message>
    <message>
        <source>Column</source>
        <translation>桁</translation>
    </message>
    <message>
        <source>When saved</source>
        <translation>保存時</translation>
    </message>
    <message>
        <source>%1 cannot be saved in %2</source>
        <translation>%1 は %2 で保存できません</translation>
    </message>
    <message>
        <source>1 character is saved as another one</source>
        <translation>1 文字が別の文字として保存されます</translation>
    </message>
    <message>
        <source>%1 characters are saved as other ones</source>
        <translation>%1 文字が別の文字として保存されます</translation>
    </message>
    <message>
        <source>Every character can be saved in %1.</source>
        <translation>すべての文字を %1 で保存できます。</translation>
    </message>
    <message>
        <source> Click to list them.</source>
        <translation> クリックすると一覧を表示します。</translation>
    </message>
    <message>
        <source> The first %1 are listed.</source>
        <translation> 最初の %1 個を表示しています。</translation>
    </message>
</context>
<context>
    <name>WPreferenceWindow</name>
    <message>
        <source>Preferences</source>
        <translation>環境設定</translation>
    </message>
    <message>
        <source>Auto &amp;indent</source>
        <translation>自動インデント(&amp;I)</translation>
    </message>
    <message>
        <source>Return starts the new line with the indentation of the line above.</source>
        <translation>Return キーで、上の行と同じインデントから新しい行を始めます。</translation>
    </message>
    <message>
        <source>Wrap &amp;long lines</source>
        <translation>長い行を折り返す(&amp;L)</translation>
    </message>
    <message>
        <source>Long lines are wrapped at the window's edge instead of scrolling sideways.</source>
        <translation>長い行を横にスクロールさせずに、ウインドウの端で折り返します。</translation>
    </message>
    <message>
        <source>Wexel's own keys</source>
        <translation>Wexel 独自のキー</translation>
    </message>
    <message>
        <source>Emacs-like keys</source>
        <translation>Emacs 風のキー</translation>
    </message>
    <message>
        <source>vi-like keys</source>
        <translation>vi 風のキー</translation>
    </message>
    <message>
        <source>The system's keys</source>
        <translation>システム標準のキー</translation>
    </message>
    <message>
        <source>&amp;Key bindings:</source>
        <translation>キーバインド(&amp;K):</translation>
    </message>
    <message>
        <source>Bind only &amp;two-key sequences</source>
        <translation>2 ストロークのキーだけを割り当てる(&amp;T)</translation>
    </message>
    <message>
        <source>Kept with your preferences; the key bindings do not consult it yet.</source>
        <translation>環境設定に保存されますが、キーバインドはまだこの設定を使いません。</translation>
    </message>
    <message>
        <source>&amp;Editing</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>Detect the character co&amp;de of opened files</source>
        <translation>開いたファイルの文字コードを判別する(&amp;D)</translation>
    </message>
    <message>
        <source>Detect the text t&amp;ype from the file name</source>
        <translation>ファイル名からテキストの種類を判別する(&amp;Y)</translation>
    </message>
    <message>
        <source>Remember the &amp;selection of each file</source>
        <translation>ファイルごとに選択範囲を記憶する(&amp;S)</translation>
    </message>
    <message>
        <source>The selection is saved with the file and selected again when you open it.</source>
        <translation>選択範囲をファイルと一緒に保存し、次に開いたときに再び選択します。</translation>
    </message>
    <message>
        <source>&amp;Files</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>Write &amp;XHTML tags</source>
        <translation>XHTML のタグを書く(&amp;X)</translation>
    </message>
    <message>
        <source>Inserted image tags end in " /&gt;", as XHTML wants, instead of "&gt;".</source>
        <translation>挿入するイメージタグを「&gt;」ではなく、XHTML の形式どおり「 /&gt;」で終えます。</translation>
    </message>
    <message>
        <source>The desktop's default browser</source>
        <translation>デスクトップの標準ブラウザ</translation>
    </message>
    <message>
        <source>Another browser</source>
        <translation>別のブラウザ</translation>
    </message>
    <message>
        <source>Open with &amp;Browser uses:</source>
        <translation>「ブラウザで開く」で使うブラウザ(&amp;B):</translation>
    </message>
    <message>
        <source>A browser's command, found on your PATH</source>
        <translation>PATH にあるブラウザのコマンド</translation>
    </message>
    <message>
        <source>Other b&amp;rowser:</source>
        <translation>別のブラウザ(&amp;R):</translation>
    </message>
    <message>
        <source>Always open a &amp;new browser window</source>
        <translation>常に新しいブラウザウインドウで開く(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Web</source>
        <translation>Web(&amp;W)</translation>
    </message>
    <message>
        <source>F&amp;ont of new windows:</source>
        <translation>新規ウインドウのフォント(&amp;O):</translation>
    </message>
    <message>
        <source>Si&amp;ze:</source>
        <translation>サイズ(&amp;Z):</translation>
    </message>
    <message>
        <source>Text colour</source>
        <translation>文字の色</translation>
    </message>
    <message>
        <source>Background colour</source>
        <translation>背景色</translation>
    </message>
    <message>
        <source>Tag colour</source>
        <translation>タグの色</translation>
    </message>
    <message>
        <source>Comment colour</source>
        <translation>コメントの色</translation>
    </message>
    <message>
        <source>&amp;Plain text:</source>
        <translation>プレーンテキスト(&amp;P):</translation>
    </message>
    <message>
        <source>Back&amp;ground of plain text:</source>
        <translation>プレーンテキストの背景(&amp;G):</translation>
    </message>
    <message>
        <source>T&amp;ags:</source>
        <translation>タグ(&amp;A):</translation>
    </message>
    <message>
        <source>Co&amp;mments:</source>
        <translation>コメント(&amp;M):</translation>
    </message>
    <message>
        <source>The font and size apply to windows opened from now on. Plain text is shown in the first two colours; the other text types take their colours from their settings files, and the tag and comment colours are kept but not used yet.</source>
        <translation>フォントとサイズは、これから開くウインドウに使われます。プレーンテキストは上の 2 つの色で表示されます。ほかのテキストの種類は、それぞれの設定ファイルの色を使います。タグとコメントの色は保存されますが、まだ使われません。</translation>
    </message>
    <message>
        <source>Font &amp;&amp; &amp;Colours</source>
        <translation>フォントと色(&amp;C)</translation>
    </message>
    <message>
        <source>Your preferences could not be saved.</source>
        <translation>環境設定を保存できませんでした。</translation>
    </message>
    <message>
        <source>They apply until Wexel quits.</source>
        <translation>Wexel を終了するまでは変更した設定が使われます。</translation>
    </message>
    <message>
        <source>Takes no keys: every Ctrl key is a menu shortcut, as in other programs.</source>
        <translation>キーを使いません。ほかのプログラムと同じく、Ctrl キーはすべてメニューのショートカットになります。</translation>
    </message>
    <message>
        <source>Takes Ctrl+%1.</source>
        <translation>Ctrl+%1 を使います。</translation>
    </message>
    <message>
        <source>Takes Ctrl+%1, with or without Shift.</source>
        <translation>Ctrl+%1 を使います（Shift の有無にかかわらず）。</translation>
    </message>
    <message>
        <source>Takes Ctrl+%1 and Ctrl+Shift+%2.</source>
        <translation>Ctrl+%1 と Ctrl+Shift+%2 を使います。</translation>
    </message>
    <message>
        <source> Ctrl+Q then Ctrl+R goes to the start of the text, Ctrl+Q then Ctrl+C to the end.</source>
        <translation> Ctrl+Q に続けて Ctrl+R でテキストの先頭へ、Ctrl+Q に続けて Ctrl+C で末尾へ移動します。</translation>
    </message>
    <message>
        <source> Ctrl+X then Ctrl+S saves; Escape then a letter is a Meta key.</source>
        <translation> Ctrl+X に続けて Ctrl+S で保存します。Escape に続けて文字キーを押すと Meta キーとして働きます。</translation>
    </message>
    <message>
        <source> Return indents when Auto Indent is on. Menu items on these keys show their other shortcut or none; reach them with Alt and the menu's underlined letter.</source>
        <translation> 自動インデントがオンのとき、Return キーでインデントします。これらのキーを使うメニュー項目には、別のショートカットが表示されるか、何も表示されません。Alt キーとメニューの下線付きの文字で選んでください。</translation>
    </message>
</context>
<context>
    <name>WPresenter</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>別名で保存</translation>
    </message>
</context>
<context>
    <name>WSearchWindow</name>
    <message>
        <source>Ignore &amp;case</source>
        <translation>大文字と小文字を区別しない(&amp;C)</translation>
    </message>
    <message>
        <source>Regular e&amp;xpression</source>
        <translation>正規表現(&amp;X)</translation>
    </message>
    <message>
        <source>Find and Replace</source>
        <translation>検索と置換</translation>
    </message>
    <message>
        <source>Searches match the text as typed</source>
        <translation>入力したとおりのテキストを検索します</translation>
    </message>
    <message>
        <source>F&amp;ind:</source>
        <translation>検索する文字列(&amp;I):</translation>
    </message>
    <message>
        <source>Replace &amp;with:</source>
        <translation>置換後の文字列(&amp;W):</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>すべてを置換(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>置換(&amp;R)</translation>
    </message>
    <message>
        <source>Replace &amp;&amp; Fi&amp;nd</source>
        <translation>置換して検索(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Previous</source>
        <translation>前へ(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Set</source>
        <translation>設定(&amp;S)</translation>
    </message>
    <message>
        <source>Keep these strings for Find Next and Find Previous and close the panel</source>
        <translation>これらの文字列を「次を検索」「前を検索」に使うよう設定して、パネルを閉じます</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>検索(&amp;F)</translation>
    </message>
</context>
<context>
    <name>WTextCanvas</name>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>やり直す</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>カット</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>ペースト</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>すべてを選択</translation>
    </message>
</context>
<context>
    <name>WTextViewController</name>
    <message>
        <source>Cut</source>
        <translation>カット</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>ペースト</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>すべてを選択</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>情報</translation>
    </message>
    <message>
        <source>HTML Tags</source>
        <translation>HTMLタグ</translation>
    </message>
    <message>
        <source>URLs</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>ツール</translation>
    </message>
</context>
</TS>
