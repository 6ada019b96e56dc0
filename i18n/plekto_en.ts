<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>Plektoについて...</source>
        <translation>About Plekto</translation>
    </message>
</context>
<context>
    <name>CDataExchange</name>
    <message>
        <source>数字を入力してください。</source>
        <translation>Please enter a number.</translation>
    </message>
    <message>
        <source>整数を入力してください。</source>
        <translation>Please enter a whole number.</translation>
    </message>
    <message>
        <source>0.01 以上の数字を入力してください。</source>
        <translation>Please enter a number of at least 0.01.</translation>
    </message>
</context>
<context>
    <name>CEditorCommandDialog</name>
    <message>
        <source>ソースを開くエディタ</source>
        <translation>Editor for the Source</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>エディタ(&amp;E):</source>
        <translation>&amp;Editor:</translation>
    </message>
    <message>
        <source>コマンド(&amp;C):</source>
        <translation>&amp;Command:</translation>
    </message>
    <message>
        <source>譜面から開くエディタのコマンドを選んでください。
%f はファイル、%l は行、%c は桁に置き換わります。</source>
        <translation>Choose the command that opens the source from the score.
%f stands for the file, %l for the line and %c for the column.</translation>
    </message>
</context>
<context>
    <name>CHelpWindow</name>
    <message>
        <source>Plekto ヘルプ</source>
        <translation>Plekto Help</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>進む</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>目次</source>
        <translation>Contents</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>譜面サイズ、行間隔などの設定を行います。</source>
        <translation>Change the page size, line spacing and other score settings</translation>
    </message>
    <message>
        <source>オンラインドキュメントの目次を表示\ヘルプ</source>
        <translation>List the Help topics</translation>
    </message>
    <message>
        <source>譜面を画像としてコピーします。
画像コピー</source>
        <translation>Copy the score to the clipboard as an image
Copy Image</translation>
    </message>
    <message>
        <source>現在開いているTAB譜を閉じます。
閉じる</source>
        <translation>Close the open tablature
Close</translation>
    </message>
    <message>
        <source>TAB譜データを開く
開く</source>
        <translation>Open a tablature file
Open</translation>
    </message>
    <message>
        <source>プリンタおよびプリンタ オプションの変更
印刷設定</source>
        <translation>Change the printer and printing options
Print Setup</translation>
    </message>
    <message>
        <source>作業中の文書を印刷
印刷</source>
        <translation>Print the active document
Print</translation>
    </message>
    <message>
        <source>フル ページ表示
印刷プレビュー</source>
        <translation>Display full pages
Print Preview</translation>
    </message>
    <message>
        <source>指定の文書を開く</source>
        <translation>Open this document</translation>
    </message>
    <message>
        <source>プログラム情報、バージョン、著作権を表示
バージョン情報</source>
        <translation>Display program information, version number and copyright
About</translation>
    </message>
    <message>
        <source>アプリケーションを終了
終了</source>
        <translation>Quit the application
Exit</translation>
    </message>
    <message>
        <source>ツール バーの表示/非表示
ツール バーの表示切り替え</source>
        <translation>Show or hide the toolbar
Toggle Toolbar</translation>
    </message>
    <message>
        <source>ステータス バーの表示/非表示
ステータス バーの表示切り替え</source>
        <translation>Show or hide the status bar
Toggle Status Bar</translation>
    </message>
    <message>
        <source>開いているTAB譜をファイルから読み直します。
再読み込み</source>
        <translation>Read the open tablature again from its file
Reload</translation>
    </message>
    <message>
        <source>ファイルが変更されたら自動的に読み直す/読み直さない
自動再読み込みの切り替え</source>
        <translation>Read the file again whenever it changes on disk, or not
Toggle Auto Reload</translation>
    </message>
    <message>
        <source>開く(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>印刷(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>印刷ﾌﾟﾚﾋﾞｭｰ(&amp;V)</source>
        <translation>Print Pre&amp;view</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀの設定(&amp;R)...</source>
        <translation>P&amp;rint Setup...</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>コピー(&amp;C)	Ctrl+C</source>
        <translation>&amp;Copy	Ctrl+C</translation>
    </message>
    <message>
        <source>譜面設定(&amp;F)...</source>
        <translation>&amp;Score Settings...</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰ(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰ(&amp;S)</source>
        <translation>Status &amp;Bar</translation>
    </message>
    <message>
        <source>再読み込み(&amp;R)	F5</source>
        <translation>&amp;Reload	F5</translation>
    </message>
    <message>
        <source>自動再読み込み(&amp;A)</source>
        <translation>&amp;Auto Reload</translation>
    </message>
    <message>
        <source>目次(&amp;C)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>Plektoについて (&amp;A)...</source>
        <translation>&amp;About Plekto...</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>最新のﾌｧｲﾙ</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>問題</source>
        <translation>Problems</translation>
    </message>
    <message>
        <source>%1、%2</source>
        <translation>%1, %2</translation>
    </message>
    <message numerus="yes">
        <source>エラー %n 件</source>
        <translation>
            <numerusform>%n error</numerusform>
            <numerusform>%n errors</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>警告 %n 件</source>
        <translation>
            <numerusform>%n warning</numerusform>
            <numerusform>%n warnings</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 行目: %2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>ヘルプ ファイルの場所を決められません。</source>
        <translation>The location of the help files cannot be determined.</translation>
    </message>
    <message>
        <source>ヘルプ ファイル %1 が見つかりません。</source>
        <translation>The help file %1 cannot be found.</translation>
    </message>
    <message>
        <source>ヘルプ ファイル %1 を表示できません。</source>
        <translation>The help file %1 cannot be shown.</translation>
    </message>
    <message>
        <source>選んだ位置 (なければ先頭) から再生します。再生中は一時停止します。
再生/一時停止</source>
        <translation>Play from the chosen place (or the beginning); pause while playing
Play/Pause</translation>
    </message>
    <message>
        <source>再生を止めます。
停止</source>
        <translation>Stop playing
Stop</translation>
    </message>
    <message>
        <source>譜面の先頭から再生します。
先頭から再生</source>
        <translation>Play from the beginning of the score
Play from Beginning</translation>
    </message>
    <message>
        <source>再生位置は表示範囲 (%1 ページ) の外です</source>
        <translation>The playing position is beyond the drawn pages (%1 pages)</translation>
    </message>
    <message>
        <source>拡大(&amp;I)	Ctrl++</source>
        <translation>Zoom &amp;In	Ctrl++</translation>
    </message>
    <message>
        <source>表示を拡大します。</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>縮小(&amp;O)	Ctrl+-</source>
        <translation>Zoom &amp;Out	Ctrl+-</translation>
    </message>
    <message>
        <source>表示を縮小します。</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>実際のサイズ (100 %)(&amp;Z)	Ctrl+0</source>
        <translation>Actual Si&amp;ze (100 %)	Ctrl+0</translation>
    </message>
    <message>
        <source>譜面を実際の大きさで表示します。</source>
        <translation>Show the score at its actual size</translation>
    </message>
    <message>
        <source>幅に合わせる(&amp;W)</source>
        <translation>Fit &amp;Width</translation>
    </message>
    <message>
        <source>ページの幅をウィンドウの幅に合わせます。</source>
        <translation>Fit the page width to the window</translation>
    </message>
    <message>
        <source>ソースを開くエディタ(&amp;E)...</source>
        <translation>Source &amp;Editor...</translation>
    </message>
    <message>
        <source>譜面をダブルクリックしたときにソースを開くエディタを選びます。</source>
        <translation>Choose the editor that opens the source when you double-click the score</translation>
    </message>
    <message>
        <source>再生/一時停止(&amp;P)	Space</source>
        <translation>&amp;Play/Pause	Space</translation>
    </message>
    <message>
        <source>停止(&amp;S)	Esc</source>
        <translation>&amp;Stop	Esc</translation>
    </message>
    <message>
        <source>先頭から再生(&amp;T)</source>
        <translation>Play from &amp;Beginning</translation>
    </message>
    <message>
        <source>再生(&amp;P)</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>♩ = %1</source>
        <translation>♩ = %1</translation>
    </message>
    <message>
        <source>引用符が閉じていないか、末尾が \ です。</source>
        <translation>A quotation mark is not closed, or the command ends in \.</translation>
    </message>
    <message>
        <source>エディタを起動できません: %1
%2</source>
        <translation>Cannot start the editor: %1
%2</translation>
    </message>
</context>
<context>
    <name>CPlayer</name>
    <message>
        <source>音を出せません: %1 (音なしで再生位置だけを進めます)</source>
        <translation>Cannot make sound: %1 (the playing position moves on without sound)</translation>
    </message>
    <message>
        <source>音声出力を開けません: %1 (音なしで再生位置だけを進めます)</source>
        <translation>Cannot open the audio output: %1 (the playing position moves on without sound)</translation>
    </message>
</context>
<context>
    <name>CPlektoApp</name>
    <message>
        <source>ファイルを開けません: %1
%2</source>
        <translation>Cannot open the file %1
%2</translation>
    </message>
    <message>
        <source>ファイルが見つかりません: %1 (前回読み込んだ内容を表示しています)</source>
        <translation>File not found: %1 (showing what was read last)</translation>
    </message>
    <message>
        <source>ファイルを読めません: %1: %2 (前回読み込んだ内容を表示しています)</source>
        <translation>Cannot read the file %1: %2 (showing what was read last)</translation>
    </message>
    <message>
        <source>

最近使ったファイルの一覧から削除しますか？</source>
        <translation>

Remove it from the list of recent files?</translation>
    </message>
</context>
<context>
    <name>CPlektoDoc</name>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
</context>
<context>
    <name>CPlektoView</name>
    <message>
        <source>印刷を開始できません。</source>
        <translation>Printing cannot be started.</translation>
    </message>
    <message>
        <source>行 %1, 桁 %2</source>
        <translation>Line %1, Col %2</translation>
    </message>
</context>
<context>
    <name>CPropDlgFontSet</name>
    <message>
        <source>フォント設定</source>
        <translation>Fonts</translation>
    </message>
    <message>
        <source>(a).メインタイトルフォント(&amp;M)：</source>
        <translation>(a) &amp;Main title font:</translation>
    </message>
    <message>
        <source>(b).サブタイトルフォント(&amp;S)：</source>
        <translation>(b) &amp;Subtitle font:</translation>
    </message>
    <message>
        <source>(c).フレット番号フォント(&amp;F)：</source>
        <translation>(c) &amp;Fret number font:</translation>
    </message>
    <message>
        <source>(d).「TAB」文字フォント(&amp;T)：</source>
        <translation>(d) &quot;&amp;TAB&quot; letters font:</translation>
    </message>
    <message>
        <source>フォント名</source>
        <translation>Font name</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>選択...</source>
        <translation>Choose...</translation>
    </message>
    <message>
        <source>フォント</source>
        <translation>Font</translation>
    </message>
</context>
<context>
    <name>CPropDlgNoteSet</name>
    <message>
        <source>音符設定</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>(a)Flagの高さ(&amp;F)：</source>
        <translation>(a) &amp;Flag height:</translation>
    </message>
    <message>
        <source>(b)Flag間のすき間(&amp;B)：</source>
        <translation>(b) Gap &amp;between flags:</translation>
    </message>
    <message>
        <source>(c)音符棒の高さ(&amp;H)：</source>
        <translation>(c) Stem &amp;height:</translation>
    </message>
    <message>
        <source>(d)音符棒と連符記号のすき間(&amp;3)：</source>
        <translation>(d) Gap between stem and t&amp;uplet mark:</translation>
    </message>
</context>
<context>
    <name>CPropDlgPageSet</name>
    <message>
        <source>ページ設定</source>
        <translation>Page</translation>
    </message>
    <message>
        <source>(a)ページ幅(&amp;W)：</source>
        <translation>(a) Page &amp;width:</translation>
    </message>
    <message>
        <source>(b)ページ高さ(&amp;H)：</source>
        <translation>(b) Page &amp;height:</translation>
    </message>
    <message>
        <source>(c)左側余白(&amp;L)：</source>
        <translation>(c) &amp;Left margin:</translation>
    </message>
    <message>
        <source>(d)上側余白(&amp;T)：</source>
        <translation>(d) &amp;Top margin:</translation>
    </message>
    <message>
        <source>(e)右側余白(&amp;R)：</source>
        <translation>(e) &amp;Right margin:</translation>
    </message>
    <message>
        <source>(f)下側余白(&amp;B)：</source>
        <translation>(f) &amp;Bottom margin:</translation>
    </message>
</context>
<context>
    <name>CPropDlgTabSet</name>
    <message>
        <source>TAB行設定</source>
        <translation>TAB Line</translation>
    </message>
    <message>
        <source>(a).コード表示の高さ(&amp;C)</source>
        <translation>(a) &amp;Chord name height:</translation>
    </message>
    <message>
        <source>(b).３連符部分の高さ(&amp;3)：</source>
        <translation>(b) T&amp;riplet zone height:</translation>
    </message>
    <message>
        <source>(c).TAB上側余白(&amp;U)：</source>
        <translation>(c) Space &amp;above TAB:</translation>
    </message>
    <message>
        <source>(d).６線の線間ピッチ(&amp;P)：</source>
        <translation>(d) &amp;Pitch between the lines:</translation>
    </message>
    <message>
        <source>(e).TAB下側余白(&amp;L)：</source>
        <translation>(e) Space &amp;below TAB:</translation>
    </message>
    <message>
        <source>(f)１描画単位の幅(&amp;W)：</source>
        <translation>(f) &amp;Width of one drawing unit:</translation>
    </message>
    <message>
        <source>(g).行頭表示設定：</source>
        <translation>(g) Line head:</translation>
    </message>
    <message>
        <source>文字列&quot;TAB&quot;を行頭に表示する(&amp;T)</source>
        <translation>Show &quot;&amp;TAB&quot; at the head of each line</translation>
    </message>
    <message>
        <source>必要Unit数(&amp;U)：</source>
        <translation>&amp;Units needed:</translation>
    </message>
    <message>
        <source>１行の高さ：</source>
        <translation>Line height:</translation>
    </message>
    <message>
        <source>１ページの行数：</source>
        <translation>Lines per page:</translation>
    </message>
    <message>
        <source>弦の数：</source>
        <translation>Strings:</translation>
    </message>
    <message>
        <source>１行の高さ： %1 mm</source>
        <translation>Line height: %1 mm</translation>
    </message>
    <message>
        <source>１ページの行数： %1 行</source>
        <translation>Lines per page: %1</translation>
    </message>
    <message>
        <source>弦数： %1 本</source>
        <translation>Strings: %1</translation>
    </message>
</context>
<context>
    <name>CPropScoreSetting</name>
    <message>
        <source>譜面設定</source>
        <translation>Score Settings</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>適用(&amp;A)</source>
        <translation>&amp;Apply</translation>
    </message>
</context>
</TS>
