<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CommandLine</name>
    <message>
        <source>%1 を作成できません</source>
        <translation>cannot create %1</translation>
    </message>
    <message>
        <source>%1 にはプロセッサの記録がありません (--cpu には cpuid -r や cpuid_tool --save の出力か、Kavendel の再生形式を指定します)</source>
        <translation>%1 holds no recorded processor (--cpu takes the output of cpuid -r or cpuid_tool --save, or Kavendel&apos;s replay format)</translation>
    </message>
    <message>
        <source>既定のマシンフォルダがありません: XDG_DATA_HOME も HOME も絶対パスのフォルダを示していません。どちらかを設定するか、--machine DIR を使ってください</source>
        <translation>no default machine folder: neither XDG_DATA_HOME nor HOME names an absolute folder; set one, or use --machine DIR</translation>
    </message>
    <message>
        <source>--lang には ja か en を指定します (%1 ではなく)</source>
        <translation>--lang needs ja or en, not %1</translation>
    </message>
    <message>
        <source>--import には .reg ファイルを 1 つか、ハイブファイルを 2 つ指定します (%1 は余分です)</source>
        <translation>--import takes one .reg file or two hive files (%1 is one too many)</translation>
    </message>
    <message>
        <source>不明なオプションです: %1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>%1 が 2 回指定されています</source>
        <translation>%1 is given twice</translation>
    </message>
    <message>
        <source>%1 は値をとりません</source>
        <translation>%1 takes no value</translation>
    </message>
    <message>
        <source>%1 には %2 が必要です</source>
        <translation>%1 needs %2</translation>
    </message>
    <message>
        <source>%1 は %2 の値としては余分です</source>
        <translation>%1 is one value too many for %2</translation>
    </message>
    <message>
        <source>%1 には %2 が必要です。空の値は使えません</source>
        <translation>%1 needs %2, not an empty word</translation>
    </message>
    <message>
        <source>%1 には %2 が必要です。オプション %3 は値になりません (その名前のファイルなら ./%3 と書きます)</source>
        <translation>%1 needs %2, not the option %3 (write ./%3 for a file of that name)</translation>
    </message>
    <message>
        <source>%1 と %2 は同時に指定できません</source>
        <translation>%1 and %2 cannot be combined</translation>
    </message>
    <message>
        <source>%1 はウィンドウを開かずに終わるため、--screenshot と同時に指定できません</source>
        <translation>%1 ends without a window; it cannot be combined with --screenshot</translation>
    </message>
    <message>
        <source>%1 はファイルです。%2 は新しいマシンフォルダを作ります</source>
        <translation>%1 is a file; %2 makes a new machine folder</translation>
    </message>
    <message>
        <source>%1 はすでにあり、空のフォルダではありません。%2 は新しいマシンフォルダを作ります</source>
        <translation>%1 already exists and is not an empty folder; %2 makes a new machine folder</translation>
    </message>
    <message>
        <source>%1 はフォルダではありません (新しいマシンフォルダは --create で作ります)</source>
        <translation>%1: not a folder (use --create to make a new machine folder)</translation>
    </message>
    <message>
        <source>%1 というフォルダはありません (新しいマシンフォルダは --create で作ります)</source>
        <translation>%1: no such folder (use --create to make a new machine folder)</translation>
    </message>
    <message>
        <source>%1 はマシンフォルダではありません: registry.reg がありません (新しいマシンフォルダは --create で作ります)</source>
        <translation>%1 is not a machine folder: it holds no registry.reg (use --create to make a new machine folder)</translation>
    </message>
    <message>
        <source>%1 というファイルはありません</source>
        <translation>%1: no such file</translation>
    </message>
    <message>
        <source>%1 はフォルダです。%2 にはファイルを指定します</source>
        <translation>%1 is a folder; %2 needs a file</translation>
    </message>
    <message>
        <source>%1 は空のファイルです。--import には Windows 98 のレジストリを指定します</source>
        <translation>%1 is an empty file; --import needs a Windows 98 registry</translation>
    </message>
    <message>
        <source>ディスプレイがありません: DISPLAY か WAYLAND_DISPLAY を設定するか、--screenshot DIR を使ってください</source>
        <translation>no display: set DISPLAY or WAYLAND_DISPLAY, or use --screenshot DIR</translation>
    </message>
    <message>
        <source>DISPLAY か WAYLAND_DISPLAY が示すディスプレイを開けません。ディスプレイなしで描くには --screenshot DIR を使ってください</source>
        <translation>cannot open the display that DISPLAY or WAYLAND_DISPLAY names; use --screenshot DIR to render without one</translation>
    </message>
    <message>
        <source>使い方は &apos;kavendel --help&apos; で表示されます。</source>
        <translation>Try &apos;kavendel --help&apos;.</translation>
    </message>
    <message>
        <source>%1 を読み込めません</source>
        <translation>%1 cannot be read</translation>
    </message>
    <message>
        <source>ID	時刻 (UTC)	種類	前のスナップショットからの変更</source>
        <translation>id	time (UTC)	taken	changes since the snapshot before</translation>
    </message>
    <message>
        <source>%1、ディスクイメージのファイルも</source>
        <translation>%1, with files of the disk image</translation>
    </message>
    <message>
        <source>%1、Windows のレジストリファイルも</source>
        <translation>%1, with Windows&apos; registry files</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>automatic</translation>
    </message>
    <message>
        <source>手動</source>
        <translation>by hand</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>最初のスナップショット</source>
        <translation>first snapshot</translation>
    </message>
    <message>
        <source>スナップショット %3 から %1、%2</source>
        <translation>%1, %2 since snapshot %3</translation>
    </message>
    <message>
        <source>スナップショット %1 からの変更はありません</source>
        <translation>no changes since snapshot %1</translation>
    </message>
    <message numerus="yes">
        <source>キー %n 個</source>
        <translation>
            <numerusform>%n key</numerusform>
            <numerusform>%n keys</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>値 %n 個</source>
        <translation>
            <numerusform>%n value</numerusform>
            <numerusform>%n values</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 にはまだスナップショットがありません。--snapshot で取ってください</source>
        <translation>there is no snapshot of %1 yet: take one with --snapshot</translation>
    </message>
    <message>
        <source>スナップショット %1 に戻しました。戻す前の状態はスナップショット %2 です</source>
        <translation>restored snapshot %1; what it replaced is snapshot %2</translation>
    </message>
    <message>
        <source>--import には --machine DIR (新しいマシンフォルダ) が必要です</source>
        <translation>--import needs --machine DIR, the new machine folder</translation>
    </message>
    <message>
        <source>--drive-c は --import と一緒に使います</source>
        <translation>--drive-c goes with --import</translation>
    </message>
    <message>
        <source>--apply-at-next-start は --export-changes と一緒に使います</source>
        <translation>--apply-at-next-start goes with --export-changes</translation>
    </message>
    <message>
        <source>マシンフォルダ %1 を作成しました</source>
        <translation>created the machine folder %1</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>cannot write %1</translation>
    </message>
    <message>
        <source>%1 はフォルダではありません。%2 にはフォルダを指定します</source>
        <translation>%1 is not a folder; %2 needs a folder</translation>
    </message>
    <message>
        <source>--partition には 1 から 4 の番号を指定します (%1 ではなく)</source>
        <translation>--partition needs a number from 1 to 4, not %1</translation>
    </message>
    <message>
        <source>--image は専用のマシンフォルダを開くため、--machine、--create やほかのジョブと同時に指定できません</source>
        <translation>--image opens a machine folder of its own; it cannot be combined with --machine, --create or a job</translation>
    </message>
    <message>
        <source>変更をディスクイメージに書き込みました: 読み込み %1 バイト、書き込み %2 バイト</source>
        <translation>wrote the changes into the disk image: %1 bytes read, %2 bytes written</translation>
    </message>
    <message>
        <source>%2 からマシンフォルダ %1 を作成しました</source>
        <translation>created the machine folder %1 from %2</translation>
    </message>
    <message>
        <source>--import-image には --machine DIR (新しいマシンフォルダ) が必要です</source>
        <translation>--import-image needs --machine DIR, the new machine folder</translation>
    </message>
    <message>
        <source>--partition は --import-image と一緒に使います</source>
        <translation>--partition goes with --import-image</translation>
    </message>
    <message>
        <source>--write-hives には SYSTEM.DAT と USER.DAT の 2 つのファイルが必要です</source>
        <translation>--write-hives needs two files, SYSTEM.DAT and USER.DAT</translation>
    </message>
    <message>
        <source>%1 は Windows でも変わっていましたが、マシンの変更を書き込みました</source>
        <translation>%1 had changed in Windows too; the machine&apos;s change was written</translation>
    </message>
    <message>
        <source>SYSTEM.DAT と USER.DAT はマシンの変更をすでに持っています: 何も書き込んでいません</source>
        <translation>SYSTEM.DAT and USER.DAT hold the machine&apos;s changes already: nothing written</translation>
    </message>
    <message>
        <source>%1 と %2 に %3 個の変更を書き込みました。元のファイルはスナップショット %4 にあります</source>
        <translation>wrote %3 changes into %1 and %2; the files as they were are kept in snapshot %4</translation>
    </message>
    <message>
        <source>書き込むものはありません: イメージはマシンの変更をすでに持っています</source>
        <translation>nothing to write: the image holds the machine&apos;s changes already</translation>
    </message>
    <message>
        <source>ディスクイメージ %1 をマシンフォルダ %2 で開きます</source>
        <translation>opening the disk image %1 in the machine folder %2</translation>
    </message>
    <message>
        <source>%1 はスナップショットの ID ではありません (ID は --snapshots で一覧できます)</source>
        <translation>%1 is not a snapshot id (--snapshots lists them)</translation>
    </message>
    <message>
        <source>%1 はどのオプションの値でもありません</source>
        <translation>%1 is no option&apos;s value</translation>
    </message>
    <message>
        <source>--choose-machine は開くマシンを選ぶため、--machine、--image やジョブと同時に指定できません</source>
        <translation>--choose-machine picks the machine to open, so it cannot be combined with --machine, --image or a job</translation>
    </message>
    <message>
        <source>%1:%2: Kavendel の知らない行です: %3 (読むのは lang= と machine= です)</source>
        <translation>%1:%2: a line Kavendel does not know: %3 (it reads lang= and machine=)</translation>
    </message>
    <message>
        <source>%1: lang=%2 は ja でも en でもないため、読みません</source>
        <translation>%1: lang=%2 is neither ja nor en, and is not read</translation>
    </message>
    <message>
        <source>HOME が絶対パスのフォルダを示していないため、仮想マシンを探せません</source>
        <translation>cannot look for virtual machines: HOME does not name a folder by an absolute path</translation>
    </message>
    <message>
        <source>--vm はその仮想マシン専用のマシンフォルダを開くため、--image、--machine、--create やほかのジョブと同時に指定できません</source>
        <translation>--vm opens the machine folder of that virtual machine, so it cannot be combined with --image, --machine, --create or another job</translation>
    </message>
    <message>
        <source>--json は --list-vms か --info と一緒に使います</source>
        <translation>--json goes with --list-vms or --info</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
    <message>
        <source>はい</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>いいえ</source>
        <translation>no</translation>
    </message>
    <message>
        <source>Windows 95/98/Me の入った仮想マシンは見つかりませんでした</source>
        <translation>No virtual machine holding Windows 95/98/Me was found</translation>
    </message>
    <message>
        <source>エミュレータ	名前	ディスクイメージ	形式	パーティション	Windows	Radeon ドライバ	実行中	マシンフォルダ</source>
        <translation>emulator	name	disk image	format	partition	Windows	Radeon driver	running	machine folder</translation>
    </message>
    <message>
        <source>%1 という仮想マシンは見つかりません (見つかったものは --list-vms が示します)</source>
        <translation>no virtual machine is named %1 (--list-vms shows those found)</translation>
    </message>
    <message>
        <source>%1 という仮想マシンが複数あります。どれかの名前をエミュレータで変えてください</source>
        <translation>several virtual machines are named %1; rename one of them in its emulator</translation>
    </message>
    <message>
        <source>%1 のディスクには Windows 95/98/Me がありません</source>
        <translation>the disks of %1 hold no Windows 95/98/Me</translation>
    </message>
    <message>
        <source>Windows が次の起動で変更を読み込むよう、%1 を書きました</source>
        <translation>wrote %1, from which Windows imports the changes at its next start</translation>
    </message>
    <message>
        <source>設定ファイルがありません</source>
        <translation>no settings file</translation>
    </message>
    <message>
        <source>--dry-run は --write-image、--write-hives、--restore か --apply-at-next-start と一緒に使います</source>
        <translation>--dry-run goes with --write-image, --write-hives, --restore or --apply-at-next-start</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>オン</source>
        <translation>on</translation>
    </message>
    <message>
        <source>オフ</source>
        <translation>off</translation>
    </message>
    <message>
        <source>%1: %2 → %3</source>
        <translation>%1: %2 → %3</translation>
    </message>
    <message>
        <source>%1: キーを削除</source>
        <translation>%1: key removed</translation>
    </message>
    <message>
        <source>(削除)</source>
        <translation>(removed)</translation>
    </message>
    <message>
        <source>%1: 作成 (%2 バイト)</source>
        <translation>%1: created (%2 bytes)</translation>
    </message>
    <message>
        <source>%1: 削除 (%2 バイト)</source>
        <translation>%1: deleted (%2 bytes)</translation>
    </message>
    <message>
        <source>%1: 置き換え (%2 → %3 バイト)</source>
        <translation>%1: replaced (%2 → %3 bytes)</translation>
    </message>
    <message>
        <source>変更はありません</source>
        <translation>no change</translation>
    </message>
    <message>
        <source>--dry-run: 何も書き込んでいません</source>
        <translation>--dry-run: nothing was written</translation>
    </message>
    <message>
        <source>ディスクイメージから取り込み</source>
        <translation>imported from a disk image</translation>
    </message>
    <message>
        <source>Windows のレジストリから取り込み</source>
        <translation>imported from a Windows registry</translation>
    </message>
    <message>
        <source>--create で作成</source>
        <translation>made with --create</translation>
    </message>
    <message>
        <source>%1 (%2、パーティション %3)</source>
        <translation>%1 (%2, partition %3)</translation>
    </message>
    <message>
        <source>マシンフォルダ</source>
        <translation>Machine folder</translation>
    </message>
    <message>
        <source>由来</source>
        <translation>Origin</translation>
    </message>
    <message>
        <source>ディスクイメージ</source>
        <translation>Disk image</translation>
    </message>
    <message>
        <source>最後の取り込みか書き戻し (UTC)</source>
        <translation>Last imported or written back (UTC)</translation>
    </message>
    <message>
        <source>Windows</source>
        <translation>Windows</translation>
    </message>
    <message>
        <source>Windows のバージョン</source>
        <translation>Windows version</translation>
    </message>
    <message>
        <source>ディスプレイドライバ</source>
        <translation>Display driver</translation>
    </message>
    <message>
        <source>書き戻していない変更</source>
        <translation>Changes not written back</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>スナップショット</source>
        <translation>Snapshots</translation>
    </message>
    <message>
        <source>前の書き込みが終わっていません。--dry-run なしの実行はまずそれを終えるか取り消します。この計画はイメージを今のまま読んでいます</source>
        <translation>an earlier write-back was left unfinished: a run without --dry-run first finishes or undoes it; this plan reads the image as it is now</translation>
    </message>
</context>
<context>
    <name>CpuRecording</name>
    <message>
        <source>ダンプに CPUID のリーフ 0 がありません</source>
        <translation>the dump holds no CPUID leaf 0</translation>
    </message>
    <message>
        <source>「0xLEAF 0xSUBLEAF: eax=0x… ebx=0x… ecx=0x… edx=0x…」の形の行ではありません</source>
        <translation>expected &quot;0xLEAF 0xSUBLEAF: eax=0x… ebx=0x… ecx=0x… edx=0x…&quot;</translation>
    </message>
    <message>
        <source>「name[n]=EAX EBX ECX EDX」の形の行ではありません</source>
        <translation>expected &quot;name[n]=EAX EBX ECX EDX&quot;</translation>
    </message>
    <message>
        <source>「%1[n]=」と 32 ビットの 16 進数のレジスタ 4 つが必要です</source>
        <translation>expected &quot;%1[n]=&quot; and four 32-bit hexadecimal registers</translation>
    </message>
    <message>
        <source>読めません</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>「vendor」には 12 文字のテキストを指定します (空白で終わるときは二重引用符で囲みます)</source>
        <translation>&quot;vendor&quot; takes a text of 12 characters, in double quotes when it ends in a blank</translation>
    </message>
    <message>
        <source>「cpuid」には yes か no を指定します</source>
        <translation>&quot;cpuid&quot; takes yes or no</translation>
    </message>
    <message>
        <source>「leaf」にはリーフ番号と 4 つのレジスタ EAX EBX ECX EDX を指定します</source>
        <translation>&quot;leaf&quot; takes a leaf number and four registers EAX EBX ECX EDX</translation>
    </message>
    <message>
        <source>レジスタ %1 は 32 ビットの 16 進数ではありません</source>
        <translation>register %1 is not 32-bit hexadecimal</translation>
    </message>
    <message>
        <source>カウンタの値 %1 は数値ではありません</source>
        <translation>counter value %1 is not a number</translation>
    </message>
    <message>
        <source>「clock」には周波数と単位を指定します (例: 166 MHz)</source>
        <translation>&quot;clock&quot; takes a rate and its unit, such as 166 MHz</translation>
    </message>
    <message>
        <source>不明な行「%1」</source>
        <translation>unknown line &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>Discovery</name>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>お使いのビデオカードはRadeon256搭載カードではありません。</source>
        <translation>Your video card is not a Radeon256 card.</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>Unknown</translation>
    </message>
</context>
<context>
    <name>DiskImage</name>
    <message>
        <source>%1 は別のプログラム (おそらくこのマシンを動かしているエミュレータ) が使っています。エミュレータを終了してから、もう一度試してください。</source>
        <translation>%1 is in use by another program, most likely the emulator running this machine: shut the emulator down first, then try again.</translation>
    </message>
    <message>
        <source>%1 には別の Kavendel が書き込んでいます。その書き込みが終わってから、もう一度試してください。</source>
        <translation>Another Kavendel is writing into %1: let it finish, then try again.</translation>
    </message>
    <message>
        <source>%1 は Kavendel が書き込みを準備している間に別のプログラムに書き換えられました。何も書き込んでいません。イメージを使うプログラムを終了してから、もう一度試してください。</source>
        <translation>Another program wrote into %1 while Kavendel prepared its write: nothing was written. Close the programs that use the image, then try again.</translation>
    </message>
    <message>
        <source>%1 は Kavendel が書き込んだ後に %2 の中で変わりました。戻すと Windows が行った変更を取り消すため、何も戻していません</source>
        <translation>%1 changed in %2 after Kavendel wrote it: restoring it would undo what Windows changed, so nothing was restored</translation>
    </message>
    <message>
        <source>%1 のあるファイルシステムがいっぱいです。イメージへの書き込みには %2 KB 必要で、空きは %3 KB です。先に空きを作ってください。</source>
        <translation>The file system holding %1 is full: writing into the image needs %2 KB, and %3 KB are free. Free some space first.</translation>
    </message>
    <message>
        <source>フォルダ %1 は読み取り専用のファイルシステムにあります。Kavendel は書き込みのジャーナルをそこに置けません。</source>
        <translation>The folder %1 is on a read-only file system: Kavendel cannot keep the journal of its write there.</translation>
    </message>
    <message>
        <source>フォルダ %1 は読み取り専用です。Kavendel は書き込みのジャーナルをそこに置けません。</source>
        <translation>The folder %1 is read-only: Kavendel cannot keep the journal of its write there.</translation>
    </message>
    <message>
        <source>%1 はもう %2 のイメージではありません。--import-image でイメージをインポートし直してください</source>
        <translation>%1 is no longer a %2 image: import the image again with --import-image</translation>
    </message>
    <message>
        <source>%1 は読み取り専用のファイルシステムにあります。</source>
        <translation>%1 is on a read-only file system.</translation>
    </message>
    <message>
        <source>%1 は読み取り専用です。Kavendel は書き込めません。</source>
        <translation>%1 is read-only: Kavendel may not write to it.</translation>
    </message>
    <message>
        <source>イメージの中のフォルダ %1 には、もう項目を置く場所がありません。</source>
        <translation>The folder %1 in the image has no room for another entry.</translation>
    </message>
    <message>
        <source>%1 は Windows のファイル名に使えない名前なので、イメージの中に作れません。</source>
        <translation>%1 cannot be created in the image: Windows does not allow that name.</translation>
    </message>
    <message>
        <source>%1 の FAT ボリュームは、Windows が正しく終了しなかったか、ディスクのエラーを記録したままです。Kavendel はそこへ書き込みません。Windows を一度起動して ScanDisk を最後まで実行させてから、もう一度お試しください。</source>
        <translation>The FAT volume in %1 was left by Windows without a clean shutdown, or with a disk error recorded, so Kavendel does not write into it. Start Windows once, let ScanDisk run to its end, then try again.</translation>
    </message>
    <message>
        <source>ファイルシステムがボリュームの終わりより先を指しています</source>
        <translation>the file system points past the end of its volume</translation>
    </message>
    <message>
        <source>最初のセクタが FAT のブートセクタではありません</source>
        <translation>its first sector is not a FAT boot sector</translation>
    </message>
    <message>
        <source>ブートセクタが示す配置はありえないものです</source>
        <translation>its boot sector describes an impossible layout</translation>
    </message>
    <message>
        <source>ブートセクタに FAT16 と FAT32 の項目が混在しています</source>
        <translation>its boot sector mixes FAT16 and FAT32</translation>
    </message>
    <message>
        <source>ブートセクタが、存在しない FAT を使用中としています</source>
        <translation>its boot sector names an active FAT it does not have</translation>
    </message>
    <message>
        <source>ブートセクタの配置ではデータ領域が残りません</source>
        <translation>its boot sector leaves no room for data</translation>
    </message>
    <message>
        <source>FAT がクラスタの数に対して小さすぎます</source>
        <translation>its FAT is too small for its clusters</translation>
    </message>
    <message>
        <source>ルートフォルダがボリュームの外にあります</source>
        <translation>its root folder lies outside the volume</translation>
    </message>
    <message>
        <source>大きさが 1 セクタに足りません</source>
        <translation>it is smaller than one sector</translation>
    </message>
    <message>
        <source>パーティションに Kavendel が使える FAT ファイルシステムがありません</source>
        <translation>the partition holds no FAT file system Kavendel can use</translation>
    </message>
    <message>
        <source>FAT ボリュームがパーティションまたはイメージの終わりを越えています。イメージが途中で切れているか、パーティションテーブルが誤っています</source>
        <translation>the FAT volume runs past the end of its partition or image: the image is truncated or its partition table is wrong</translation>
    </message>
    <message>
        <source>FAT のクラスタチェーンがボリュームの外を指しています</source>
        <translation>a cluster chain in the FAT points outside the volume</translation>
    </message>
    <message>
        <source>FAT のクラスタチェーンが循環しています</source>
        <translation>a cluster chain in the FAT runs in a loop</translation>
    </message>
    <message>
        <source>FAT のクラスタチェーンがファイルの長さより短くなっています</source>
        <translation>a cluster chain in the FAT is shorter than its file</translation>
    </message>
    <message>
        <source>FAT のクラスタチェーンがファイルの長さより長くなっています</source>
        <translation>a cluster chain in the FAT is longer than its file allows</translation>
    </message>
    <message>
        <source>イメージの FAT ボリュームに空きがありません</source>
        <translation>the FAT volume in the image is full</translation>
    </message>
    <message>
        <source>4 GB 以上のファイルは FAT ボリュームに入りません</source>
        <translation>a file of 4 GB or more does not fit a FAT volume</translation>
    </message>
    <message>
        <source>ファイルではなくフォルダです</source>
        <translation>it is a folder, not a file</translation>
    </message>
    <message>
        <source>%1 バイトあり、Kavendel が読む大きさ (%2 バイト) を超えています</source>
        <translation>it is %1 bytes long, more than Kavendel reads (%2)</translation>
    </message>
    <message>
        <source>書き込むファイルの場所にフォルダがあります</source>
        <translation>a folder stands where a file is to be written</translation>
    </message>
    <message>
        <source>削除するファイルの場所にフォルダがあります</source>
        <translation>a folder stands where a file is to be deleted</translation>
    </message>
    <message>
        <source>%1 はドライブ C にないため、イメージの中に作成できません</source>
        <translation>cannot create %1 in the image: it is not on drive C</translation>
    </message>
    <message>
        <source>イメージの中でフォルダ %1 があるべき場所にファイルがあります</source>
        <translation>a file stands where the image should have the folder %1</translation>
    </message>
    <message>
        <source>%1 のバッキングファイル %2 がありません。イメージが期待する場所に戻してください。</source>
        <translation>%1: its backing file %2 is missing; put it back where the image expects it.</translation>
    </message>
    <message>
        <source>%1 を %2 イメージとして読めません</source>
        <translation>%1 cannot be read as a %2 image</translation>
    </message>
    <message>
        <source>qemu-img が %1 のディスクの大きさを返しませんでした</source>
        <translation>%1: qemu-img did not tell the size of its disk</translation>
    </message>
    <message>
        <source>%1 を起動できません。Debian のパッケージ qemu-utils が必要です</source>
        <translation>%1 cannot be started: Kavendel needs the Debian package qemu-utils for this image</translation>
    </message>
    <message>
        <source>%1 が終了ステータス %2 で失敗しました</source>
        <translation>%1 failed with status %2</translation>
    </message>
    <message>
        <source>%1 は空のファイルで、ディスクを含んでいません</source>
        <translation>%1 is empty: it holds no disk</translation>
    </message>
    <message>
        <source>%1 をロックできません</source>
        <translation>%1 cannot be locked</translation>
    </message>
    <message>
        <source>%1 を読み込めません</source>
        <translation>%1 cannot be read</translation>
    </message>
    <message>
        <source>%1 を読み込めません: qemu-img は %2 バイトを求められて %3 バイトを返しました</source>
        <translation>%1 cannot be read: qemu-img returned %3 bytes for %2</translation>
    </message>
    <message>
        <source>一時ファイル %1 に書き込めません</source>
        <translation>Kavendel cannot write its temporary file %1</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>%1 cannot be written</translation>
    </message>
    <message>
        <source>%1 に書き込めません: qemu-io は %2 か所のうち %3 か所だけを書き込みました</source>
        <translation>%1 cannot be written: qemu-io wrote %3 of %2 ranges</translation>
    </message>
    <message>
        <source>%1: %2 バイト目から %3 バイト目までは FAT ボリューム (%4 バイト) の終わりより先にあります</source>
        <translation>%1: bytes %2 to %3 lie past the end of its FAT volume (%4 bytes)</translation>
    </message>
    <message>
        <source>%1: パーティション %2 に FAT ファイルシステムがありません</source>
        <translation>%1: partition %2 holds no FAT file system</translation>
    </message>
    <message>
        <source>%1: パーティション %2 の FAT ボリュームがパーティションより大きくなっています。ボリュームかテーブルが壊れています</source>
        <translation>%1: partition %2 holds a FAT volume larger than the partition: the volume or the table is damaged</translation>
    </message>
    <message>
        <source>%1 はディスクを含むには小さすぎます</source>
        <translation>%1 is too small to hold a disk</translation>
    </message>
    <message>
        <source>ディスクイメージへの書き込みに失敗しました。Kavendel は次に起動したときにそれを終わらせるか取り消します</source>
        <translation>The write into the disk image failed. Kavendel finishes or undoes it the next time it runs</translation>
    </message>
    <message>
        <source>書き込みのジャーナルを置くフォルダ %1 を作成できません</source>
        <translation>Kavendel cannot create the folder %1 for its journal</translation>
    </message>
    <message>
        <source>%1: FAT ボリュームの %2 バイト目からの書き込みがボリュームの終わりを越えます</source>
        <translation>%1: a write at byte %2 of its FAT volume runs past the volume&apos;s end</translation>
    </message>
    <message>
        <source>ジャーナル %1 を削除できません</source>
        <translation>Kavendel cannot remove its journal %1</translation>
    </message>
    <message>
        <source>%1 への書き込みのジャーナルを保存できません。イメージは変更していません</source>
        <translation>Kavendel cannot write the journal of its write into %1. The image is unchanged</translation>
    </message>
    <message>
        <source>ディスクイメージへの書き込みに失敗しました。イメージは元のままです</source>
        <translation>The write into the disk image failed. The image was left as it was</translation>
    </message>
    <message>
        <source>以前のディスクイメージへの書き込みが途中で止まり、まだ終わっていません。Kavendel は次に書き込む前にそれを終わらせます</source>
        <translation>An earlier write into a disk image was cut short and is not finished yet: Kavendel finishes it before it writes again</translation>
    </message>
    <message>
        <source>%1 は、途中で止まった書き込みのあとで変更されたため、Kavendel はその書き込みを終わらせることも取り消すこともできません。エミュレータでイメージを確かめ、問題がなければ %2 を削除してください</source>
        <translation>%1 changed since a write into it was cut short, so Kavendel can neither finish nor undo that write. Check the image with the emulator; once it is sound, remove %2</translation>
    </message>
    <message>
        <source>%1: パーティション %2 は拡張パーティションです。Kavendel が Windows を扱えるのは基本 FAT パーティションだけです</source>
        <translation>%1: partition %2 is an extended partition; Kavendel reaches Windows only on a primary FAT partition</translation>
    </message>
    <message>
        <source>%1: パーティション %2 は FAT パーティションではありません (種類 %3)</source>
        <translation>%1: partition %2 is not a FAT partition (its type is %3)</translation>
    </message>
    <message>
        <source>%1: パーティション %2 はパーティションテーブルに範囲がありません。テーブルが壊れています</source>
        <translation>%1: partition %2 has no extent in the partition table: the table is damaged</translation>
    </message>
    <message>
        <source>%1: パーティション %2 は %3 バイト目で終わり、ディスクの終わり (%4 バイト) を越えています。イメージが途中で切れているか、パーティションテーブルが誤っています</source>
        <translation>%1: partition %2 ends at byte %3, past the end of the disk (%4 bytes): the image is truncated or its partition table is wrong</translation>
    </message>
    <message>
        <source>%1 には FAT パーティションが %2 個あります。Windows が起動するアクティブなパーティション %3 を使います。ほかを使うには --partition で指定してください</source>
        <translation>%1 has %2 FAT partitions: Kavendel takes partition %3, the active one, which Windows boots from; choose another with --partition</translation>
    </message>
    <message>
        <source>%1 のパーティションテーブルは GPT です。Windows 98 は GPT のディスクから起動できません</source>
        <translation>%1 has a GPT partition table, which Windows 98 cannot boot from</translation>
    </message>
    <message>
        <source>%1 のパーティションテーブルは空で、FAT ボリュームもありません</source>
        <translation>%1 has an empty partition table and no FAT volume</translation>
    </message>
    <message>
        <source>%1 には FAT パーティションがありません (パーティションの種類: %2)</source>
        <translation>%1 has no FAT partition (its partitions are of types %2)</translation>
    </message>
    <message>
        <source>%1 には FAT パーティションが複数 (%2) あり、アクティブなものが一つに決まりません。--partition で選んでください</source>
        <translation>%1 has several FAT partitions (%2) and no single active one: choose one with --partition</translation>
    </message>
    <message>
        <source>%1 はパーティションテーブルのない FAT ボリュームなので、パーティション %2 はありません</source>
        <translation>%1 holds one FAT volume and no partition table, so it has no partition %2</translation>
    </message>
    <message>
        <source>%1: FAT ボリュームには %2 バイトが必要ですが、ディスクは %3 バイトです。イメージが途中で切れています</source>
        <translation>%1: its FAT volume needs %2 bytes, but the disk holds %3: the image is truncated</translation>
    </message>
    <message>
        <source>%1 にはパーティションテーブルも FAT ボリュームもありません</source>
        <translation>%1 holds neither a partition table nor a FAT volume</translation>
    </message>
    <message>
        <source>%1: パーティション %2 はありません。Kavendel が扱えるのは基本パーティション 1 から 4 です</source>
        <translation>%1: there is no partition %2; Kavendel reaches the primary partitions 1 to 4</translation>
    </message>
    <message>
        <source>%1 にパーティション %2 はありません</source>
        <translation>%1 has no partition %2</translation>
    </message>
    <message>
        <source>%1: そのようなファイルはありません</source>
        <translation>%1: no such file</translation>
    </message>
    <message>
        <source>%1 を読み込む権限がありません</source>
        <translation>%1 cannot be read: permission denied</translation>
    </message>
    <message>
        <source>%1 を開けません</source>
        <translation>%1 cannot be opened</translation>
    </message>
    <message>
        <source>%1 はディスクイメージのファイルではありません</source>
        <translation>%1 is not a disk image file</translation>
    </message>
    <message>
        <source>%1 は含むべきデータの手前、%2 バイト目で終わっています。イメージが途中で切れています</source>
        <translation>%1 ends at byte %2, before the data it should hold: the image is truncated</translation>
    </message>
    <message>
        <source>ディスクイメージへの終わっていない書き込みのジャーナル %1 が壊れています。イメージが何を持つべきか Kavendel には分かりません</source>
        <translation>The journal %1 of an unfinished write into a disk image is damaged; Kavendel cannot tell what the image should hold</translation>
    </message>
</context>
<context>
    <name>FirstRun</name>
    <message>
        <source>フォルダ %1 に SYSTEM.DAT と USER.DAT がありません</source>
        <translation>The folder %1 does not hold SYSTEM.DAT and USER.DAT</translation>
    </message>
    <message>
        <source>フォルダ %1 はマシンフォルダではありません (registry.reg がありません)</source>
        <translation>The folder %1 is not a machine folder (it has no registry.reg)</translation>
    </message>
    <message>
        <source>デモマシンを %1 にコピーできません</source>
        <translation>Cannot copy the demo machine to %1</translation>
    </message>
</context>
<context>
    <name>GameFiles</name>
    <message>
        <source>ファイル %1 は開けません</source>
        <translation>Cannot open the file %1</translation>
    </message>
    <message>
        <source>ファイル %1 を作成できません</source>
        <translation>Cannot create the file %1</translation>
    </message>
</context>
<context>
    <name>HandlerGuard</name>
    <message>
        <source>不明なエラーが発生しました</source>
        <translation>An unknown error occurred</translation>
    </message>
</context>
<context>
    <name>HiveFile</name>
    <message>
        <source>ルートキーには名前も値もありません</source>
        <translation>The root key has no name and holds no values</translation>
    </message>
    <message>
        <source>ファイルにはもうデータブロックを追加できません</source>
        <translation>The file holds as many data blocks as it can</translation>
    </message>
    <message>
        <source>キー &quot;%1&quot; は作れません: キーの名前は空にできず、\ を含められません</source>
        <translation>Cannot make the key &quot;%1&quot;: a key&apos;s name is never empty and holds no \</translation>
    </message>
    <message>
        <source>キー %1 はすでにあります</source>
        <translation>The key %1 exists already</translation>
    </message>
    <message>
        <source>ルートキーは削除できません</source>
        <translation>The root key cannot be removed</translation>
    </message>
    <message>
        <source>オフセット %1 からの %2 バイトはチェックサム付きの印がありますが、チェックサムが合いません</source>
        <translation>The %2 bytes from offset %1 are marked as checksummed, but their checksum is wrong</translation>
    </message>
    <message>
        <source>オフセット %1 のレコード (番号 %2) の使用サイズ %3 が、レコードのサイズ %4 に収まりません</source>
        <translation>The record at offset %1 (id %2) gives a used size of %3, which does not fit its size of %4</translation>
    </message>
    <message>
        <source>オフセット %1 のレコード (番号 %2) の名前と %3 個の値が、使用サイズ %4 とぴったり合いません</source>
        <translation>The name and %3 values of the record at offset %1 (id %2) do not fill its used size of %4 exactly</translation>
    </message>
    <message>
        <source>オフセット %1 のレコード (番号 %2) は値が %3 個あるとしていますが、使用サイズ %4 には %5 個しか入りません</source>
        <translation>The record at offset %1 (id %2) says it holds %3 values, but only %5 fit in its used size of %4</translation>
    </message>
    <message>
        <source>データブロック %1 (オフセット %2) の空きレコードのリストが、空きレコードではないオフセット %3 を指しています</source>
        <translation>The free list of data block %1 at offset %2 leads to offset %3, which is not a free record</translation>
    </message>
    <message>
        <source>データブロック %1 (オフセット %2) の空きレコードのリストが、オフセット %3 で輪になっています</source>
        <translation>The free list of data block %1 at offset %2 runs in a circle at offset %3</translation>
    </message>
    <message>
        <source>データブロック %1 (オフセット %2) の空きレコードのうち %3 個が空きレコードのリストにありません</source>
        <translation>%3 free records of data block %1 at offset %2 are not in its free list</translation>
    </message>
    <message>
        <source>データブロック %1 (オフセット %2) の未使用サイズは %3 とありますが、空きレコードの合計は %4 です</source>
        <translation>Data block %1 at offset %2 gives an unused size of %3, but its free records add up to %4</translation>
    </message>
    <message>
        <source>データブロック %1 (オフセット %2) の最初の空き番号は %3 ですが、ヘッダーには %4 とあります</source>
        <translation>The first free id of data block %1 at offset %2 is %3, but its header says %4</translation>
    </message>
    <message>
        <source>データブロック %1 (オフセット %2) の最大の番号は %3 とありますが、番号 %4 が使われています</source>
        <translation>Data block %1 at offset %2 gives %3 as its highest id, but the id %4 is in use</translation>
    </message>
    <message>
        <source>オフセット %1 のレコードはブロック %3 の番号 %2 としていますが、範囲外か、ほかのブロックの番号か、すでに使われています</source>
        <translation>The record at offset %1 calls itself id %2 of block %3: out of range, of another block, or taken already</translation>
    </message>
    <message>
        <source>オフセット %1 のレコード</source>
        <translation>the record at offset %1</translation>
    </message>
    <message>
        <source>データブロック %1 があるはずのオフセット %2 に RGDB のヘッダーがありません</source>
        <translation>Offset %2, where data block %1 should begin, holds no RGDB header</translation>
    </message>
    <message>
        <source>データブロック %1 (オフセット %2) のサイズ %3 がファイルの終わりを越えます</source>
        <translation>Data block %1 at offset %2 has the size %3, which runs past the end of the file</translation>
    </message>
    <message>
        <source>データブロック %1 (オフセット %2) の番号が %3 になっています</source>
        <translation>Data block %1 at offset %2 is numbered %3</translation>
    </message>
    <message>
        <source>オフセット %3 のレコードがデータブロック %1 (オフセット %2) の終わりを越えます</source>
        <translation>The record at offset %3 runs past the end of data block %1 at offset %2</translation>
    </message>
    <message>
        <source>オフセット %1 に CREG のヘッダーがありません。Windows 95/98/Me のレジストリファイルではありません</source>
        <translation>No CREG header at offset %1: not a Windows 95, 98 or Me registry file</translation>
    </message>
    <message>
        <source>オフセット %1 にキー領域のヘッダー (RGKN) がありません</source>
        <translation>Offset %1 holds no key area header (RGKN)</translation>
    </message>
    <message>
        <source>オフセット %1 からのキー領域のサイズ %2 が小さすぎるか、ファイルの終わりを越えます</source>
        <translation>The key area at offset %1 has the size %2, too small or running past the end of the file</translation>
    </message>
    <message>
        <source>データブロックはオフセット %1 から始まるとありますが、キー領域はオフセット %2 で終わります</source>
        <translation>The data blocks are said to start at offset %1, but the key area ends at offset %2</translation>
    </message>
    <message>
        <source>オフセット %1 のデータブロックの数が 0 です</source>
        <translation>The number of data blocks at offset %1 is 0</translation>
    </message>
    <message>
        <source>キーのつながりがオフセット %1 を指していますが、キー領域の外か、すでに出てきたキーです</source>
        <translation>A link leads to offset %1, outside the key area or to a key met before</translation>
    </message>
    <message>
        <source>オフセット %1 のキーは空きスロットか、別の親を指しています</source>
        <translation>The key at offset %1 is a free slot or names another parent</translation>
    </message>
    <message>
        <source>オフセット %1 の使用中のキースロットの最初のフィールドが、Windows の書く 0 ではなく %2 です</source>
        <translation>The key slot in use at offset %1 holds %2 in its first field, where Windows keeps 0</translation>
    </message>
    <message>
        <source>オフセット %1 のキーはブロック %3 のレコード %2 を指していますが、そのレコードはないか、別のキーのものです</source>
        <translation>The key at offset %1 names record %2 of block %3, which is missing or another key&apos;s</translation>
    </message>
    <message>
        <source>オフセット %1 のキーのハッシュは %2 ですが、名前から求めると %3 です</source>
        <translation>The key at offset %1 keeps the hash %2, but its name&apos;s hash is %3</translation>
    </message>
    <message>
        <source>ルートキーのスロット (オフセット %1) がキー領域の外にあります</source>
        <translation>The root key&apos;s slot at offset %1 lies outside the key area</translation>
    </message>
    <message>
        <source>オフセット %1 のルートキーに、レコード、親、または兄弟があります</source>
        <translation>The root key at offset %1 has a record, a parent or a sibling</translation>
    </message>
    <message>
        <source>オフセット %1 のレコード (番号 %2) はどのキーのものでもありません</source>
        <translation>The record at offset %1 (id %2) belongs to no key</translation>
    </message>
    <message>
        <source>キー領域の空きスロットのリスト (オフセット %1) が空です</source>
        <translation>The key area&apos;s list of free slots, at offset %1, is empty</translation>
    </message>
    <message>
        <source>空きスロットのリストが、空きスロットではないオフセット %1 を指しています</source>
        <translation>The list of free slots leads to offset %1, which is not a free slot</translation>
    </message>
    <message>
        <source>オフセット %1 の空きスロットの長さ %2 がキー領域に合いません</source>
        <translation>The free slots at offset %1 give the length %2, which does not fit the key area</translation>
    </message>
    <message>
        <source>オフセット %1 と %2 のスロットが重なっています</source>
        <translation>The slots at offsets %1 and %2 overlap</translation>
    </message>
    <message>
        <source>キー %1 の名前は %2 バイトです。Windows 95/98/Me のキーの名前は %3 バイトまでです</source>
        <translation>The name of the key %1 is %2 bytes long; Windows 95, 98 and Me take key names of at most %3 bytes</translation>
    </message>
    <message>
        <source>キー %1 の値 &quot;%2&quot; の名前は %3 バイトです。Windows 95/98/Me の値の名前は %4 バイトまでです</source>
        <translation>The name of the value &quot;%2&quot; of the key %1 is %3 bytes long; Windows 95, 98 and Me take value names of at most %4 bytes</translation>
    </message>
    <message>
        <source>キー %1 の値 &quot;%2&quot; のデータは %3 バイトです。Windows 95/98/Me の値のデータは %4 バイトまでです</source>
        <translation>The value &quot;%2&quot; of the key %1 holds %3 bytes of data; Windows 95, 98 and Me take at most %4 bytes in one value</translation>
    </message>
    <message>
        <source>キー %1 の名前と値は、値 &quot;%2&quot; までで %3 バイトになります。Windows 95/98/Me の 1 つのキーは %4 バイトまでです</source>
        <translation>The name and values of the key %1 take %3 bytes up to the value &quot;%2&quot;; Windows 95, 98 and Me hold at most %4 bytes in one key</translation>
    </message>
    <message>
        <source>最後のデータブロックの後、オフセット %1 から %2 バイトが続いています</source>
        <translation>%2 bytes follow the last data block, from offset %1</translation>
    </message>
    <message>
        <source>ファイルのヘッダー</source>
        <translation>file header</translation>
    </message>
    <message>
        <source>キー領域</source>
        <translation>key area</translation>
    </message>
    <message>
        <source>チェックサム</source>
        <translation>checksum</translation>
    </message>
    <message>
        <source>キースロット</source>
        <translation>key slot</translation>
    </message>
    <message>
        <source>キーのつながり</source>
        <translation>tree links</translation>
    </message>
    <message>
        <source>名前のハッシュ</source>
        <translation>name hash</translation>
    </message>
    <message>
        <source>キーの番号</source>
        <translation>key ids</translation>
    </message>
    <message>
        <source>空きキースロット</source>
        <translation>free key slots</translation>
    </message>
    <message>
        <source>データブロック</source>
        <translation>data block</translation>
    </message>
    <message>
        <source>キーのレコード</source>
        <translation>key record</translation>
    </message>
    <message>
        <source>空きレコード</source>
        <translation>free records</translation>
    </message>
    <message>
        <source>Windows 95/98/Me の上限</source>
        <translation>limits of Windows 95, 98 and Me</translation>
    </message>
</context>
<context>
    <name>HiveWriteBack</name>
    <message>
        <source>%1 は Kavendel が書き込んだ後に変わりました。戻すとその後の変更を取り消すため、何も戻していません</source>
        <translation>%1 changed after Kavendel wrote it: restoring it would undo what changed since, so nothing was restored</translation>
    </message>
</context>
<context>
    <name>ImageWriteBack</name>
    <message>
        <source>変更をディスクイメージに今書き込みますか？
キャンセルすると変更はマシンフォルダに残り、後で --write-image で書き込めます。</source>
        <translation>Write the changes into the disk image now?
Cancel keeps them in the machine folder, to be written later with --write-image.</translation>
    </message>
    <message>
        <source>変更をディスクイメージに書き込みました。</source>
        <translation>The changes were written into the disk image.</translation>
    </message>
    <message>
        <source>%1 は Windows でも変わっていましたが、マシンの変更を書き込みました</source>
        <translation>%1 had changed in Windows too; the machine&apos;s change was written</translation>
    </message>
</context>
<context>
    <name>MachineImport</name>
    <message>
        <source>%1 は Windows 95/98/Me のレジストリファイルの規則に反しているため、Kavendel はこのファイルには書き込みません</source>
        <translation>%1 breaks a rule of Windows 95, 98 and Me registry files, so Kavendel will not write into it</translation>
    </message>
</context>
<context>
    <name>MachineRegistry</name>
    <message>
        <source>マシンフォルダ %1 を作成できません</source>
        <translation>Cannot create the machine folder %1</translation>
    </message>
</context>
<context>
    <name>ProcessorCatalogue</name>
    <message>
        <source>PentiumIII Processor (Coppermine cA2コア)</source>
        <translation>PentiumIII Processor (Coppermine cA2 core)</translation>
    </message>
    <message>
        <source>PentiumIII / Celeron Processor (Coppermine cB0コア)</source>
        <translation>PentiumIII / Celeron Processor (Coppermine cB0 core)</translation>
    </message>
    <message>
        <source>500～1000MHz</source>
        <translation>500-1000MHz</translation>
    </message>
    <message>
        <source>PentiumIII / Celeron Processor (Coppermine cC0コア)</source>
        <translation>PentiumIII / Celeron Processor (Coppermine cC0 core)</translation>
    </message>
    <message>
        <source>500～1.13GHz</source>
        <translation>500MHz-1.13GHz</translation>
    </message>
    <message>
        <source>PentiumIII / Celeron Processor (Coppermine cD0コア)</source>
        <translation>PentiumIII / Celeron Processor (Coppermine cD0 core)</translation>
    </message>
    <message>
        <source>1～1.13GHz</source>
        <translation>1-1.13GHz</translation>
    </message>
    <message>
        <source>Cyrix ＭII Processor</source>
        <translation>Cyrix MII Processor</translation>
    </message>
    <message>
        <source>ＭII PR300GP [2.8v 66x3.5 0.25μ]</source>
        <translation>MII PR300GP [2.8v 66x3.5 0.25μ]</translation>
    </message>
    <message>
        <source>ＭII PR333GP [2.8v 83x3 0.25μ]</source>
        <translation>MII PR333GP [2.8v 83x3 0.25μ]</translation>
    </message>
    <message>
        <source>ＭII PR350GP [2.8v 100x3 0.25μ]</source>
        <translation>MII PR350GP [2.8v 100x3 0.25μ]</translation>
    </message>
    <message>
        <source>ＭII PR400GP [2.8v 100x3.5 0.25μ]</source>
        <translation>MII PR400GP [2.8v 100x3.5 0.25μ]</translation>
    </message>
    <message>
        <source>未定義</source>
        <translation>Undefined</translation>
    </message>
</context>
<context>
    <name>RegistryFile</name>
    <message>
        <source>バイナリデータで、REGEDIT4 形式ではありません</source>
        <translation>binary data, not REGEDIT4</translation>
    </message>
    <message>
        <source>&apos;=&apos; の後にデータがありません</source>
        <translation>no data after &apos;=&apos;</translation>
    </message>
    <message>
        <source>文字列が閉じていません</source>
        <translation>unterminated string</translation>
    </message>
    <message>
        <source>文字列の後に余分な文字があります</source>
        <translation>extra characters after the string</translation>
    </message>
    <message>
        <source>&apos;-&apos; の後に余分な文字があります</source>
        <translation>extra characters after &apos;-&apos;</translation>
    </message>
    <message>
        <source>dword が不正です (16 進 1〜8 桁)</source>
        <translation>invalid dword (1 to 8 hex digits)</translation>
    </message>
    <message>
        <source>hex(N): の種類が不正です</source>
        <translation>invalid type N in hex(N):</translation>
    </message>
    <message>
        <source>データの種類が不明です</source>
        <translation>unknown data type</translation>
    </message>
    <message>
        <source>16 進の並びが不正です</source>
        <translation>invalid hex list</translation>
    </message>
    <message>
        <source>値の名前が閉じていません</source>
        <translation>unterminated value name</translation>
    </message>
    <message>
        <source>値の名前の後に &apos;=&apos; がありません</source>
        <translation>no &apos;=&apos; after the value name</translation>
    </message>
    <message>
        <source>4 GB を超えていて、レジストリの書き出しではありません</source>
        <translation>larger than 4 GB, not a registry export</translation>
    </message>
    <message>
        <source>キーの終わりに &apos;]&apos; がありません</source>
        <translation>no &apos;]&apos; at the end of the key</translation>
    </message>
    <message>
        <source>不明なルートキー &apos;%1&apos;</source>
        <translation>unknown root key &apos;%1&apos;</translation>
    </message>
    <message>
        <source>パスに空のキー名があります</source>
        <translation>empty key name in the path</translation>
    </message>
    <message>
        <source>ルートキーは削除できません</source>
        <translation>a root key cannot be deleted</translation>
    </message>
    <message>
        <source>解釈できない行です</source>
        <translation>line not understood</translation>
    </message>
    <message>
        <source>キーの見出しの外にある値の行です</source>
        <translation>value line outside any key section</translation>
    </message>
    <message>
        <source>通常のファイルではありません</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>空のファイルで、REGEDIT4 の見出しがありません</source>
        <translation>empty file, no REGEDIT4 header</translation>
    </message>
    <message>
        <source>1 行目が REGEDIT4 ではありません</source>
        <translation>the first line is not REGEDIT4</translation>
    </message>
    <message>
        <source>&apos;\&apos; の次の行が 16 進の続きではありません</source>
        <translation>the line after &apos;\&apos; does not go on with hex data</translation>
    </message>
    <message>
        <source>キーの階層が深すぎます (512 まで)</source>
        <translation>key nested too deep (512 levels at most)</translation>
    </message>
    <message>
        <source>&apos;[&apos; の直後に空白があります</source>
        <translation>blank right after &apos;[&apos;</translation>
    </message>
    <message>
        <source>UTF-16 のテキストで、REGEDIT4 形式ではありません (Windows 2000 以降の regedit では、エクスポートでファイルの種類に Win9x/NT4 を選ぶと REGEDIT4 で書き出せます)</source>
        <translation>UTF-16 text, not REGEDIT4 (the regedit of Windows 2000 and later writes REGEDIT4 when you export with the file type Win9x/NT4)</translation>
    </message>
    <message>
        <source>開けません</source>
        <translation>cannot be opened</translation>
    </message>
    <message>
        <source>書き込めません</source>
        <translation>cannot be written</translation>
    </message>
    <message>
        <source>ディスクに書き込めません</source>
        <translation>cannot be written to the disk</translation>
    </message>
    <message>
        <source>一時ファイルを作成できません</source>
        <translation>cannot create a temporary file</translation>
    </message>
    <message>
        <source>一時フォルダを作成できません</source>
        <translation>cannot create a temporary folder</translation>
    </message>
    <message>
        <source>置き換えられません</source>
        <translation>cannot be replaced</translation>
    </message>
    <message>
        <source>ほかのプログラムが同時に変更しました</source>
        <translation>changed by another program meanwhile</translation>
    </message>
    <message>
        <source>ロックファイルを作成できません</source>
        <translation>cannot create the lock file</translation>
    </message>
    <message>
        <source>ロックできません</source>
        <translation>cannot be locked</translation>
    </message>
    <message>
        <source>読み込めません</source>
        <translation>cannot be read</translation>
    </message>
</context>
<context>
    <name>RoundTrip</name>
    <message>
        <source>%1 を読み込めません</source>
        <translation>%1 cannot be read</translation>
    </message>
    <message>
        <source>%1: そのようなファイルはありません</source>
        <translation>%1: no such file</translation>
    </message>
    <message>
        <source>%1: レジストリファイルが途中で切れているか、壊れています</source>
        <translation>%1: truncated or damaged registry file</translation>
    </message>
    <message>
        <source>%1 は Windows 95/98/Me のレジストリファイルではありません</source>
        <translation>%1: not a Windows 95/98/Me registry file</translation>
    </message>
    <message>
        <source>%1: キーを読み込めません</source>
        <translation>%1: cannot read a key</translation>
    </message>
    <message>
        <source>%1: 値を読み込めません</source>
        <translation>%1: cannot read a value</translation>
    </message>
    <message>
        <source>%1: 名前を読み込めません</source>
        <translation>%1: cannot read a name</translation>
    </message>
    <message>
        <source>キーがキー領域の外にあります</source>
        <translation>a key lies outside the key record</translation>
    </message>
    <message>
        <source>キーが循環しています: 同じキーに 2 度たどり着きます</source>
        <translation>its keys loop: a key is reached a second time</translation>
    </message>
    <message>
        <source>キーの階層が %1 段より深くなっています</source>
        <translation>its keys run deeper than %1 levels</translation>
    </message>
    <message>
        <source>同じ名前やデータが何度も繰り返し現れます</source>
        <translation>it names the same names or data again and again</translation>
    </message>
    <message>
        <source>値の名前として使えない名前の値があります</source>
        <translation>a value has a name no value can have</translation>
    </message>
    <message>
        <source>キーの名前として使えない名前のキーがあります</source>
        <translation>a key has a name no key can have</translation>
    </message>
    <message>
        <source>%1 と %2 はどちらもユーザーのファイル (USER.DAT) です: SYSTEM.DAT と USER.DAT を 1 つずつ指定してください</source>
        <translation>%1 and %2 are both user files (USER.DAT): give one SYSTEM.DAT and one USER.DAT</translation>
    </message>
    <message>
        <source>%1 と %2 はどちらもシステムのファイル (SYSTEM.DAT) です: SYSTEM.DAT と USER.DAT を 1 つずつ指定してください</source>
        <translation>%1 and %2 are both system files (SYSTEM.DAT): give one SYSTEM.DAT and one USER.DAT</translation>
    </message>
    <message>
        <source>イメージの中の %1 を読み込めません</source>
        <translation>cannot read %1 in the image</translation>
    </message>
    <message>
        <source>イメージに %1 がありません: そこに Windows 98 はインストールされていません</source>
        <translation>the image has no %1: it holds no Windows 98 there</translation>
    </message>
    <message>
        <source>%1 に書き込めません</source>
        <translation>cannot write %1</translation>
    </message>
    <message>
        <source>イメージの %1 にあるレジストリファイルを読み込めません</source>
        <translation>the registry files in %1 of the image cannot be read</translation>
    </message>
    <message>
        <source>%1: 名前にタブや改行を含むディスクイメージは記録できません</source>
        <translation>%1: a disk image whose name holds a tab or a line break cannot be recorded</translation>
    </message>
    <message>
        <source>%1 が壊れています: ディスクイメージをインポートし直してください</source>
        <translation>%1 is damaged: import the disk image again</translation>
    </message>
    <message>
        <source>%1 は Kavendel が変更したファイルにしては大きすぎます</source>
        <translation>%1 is too large to be a file Kavendel changed</translation>
    </message>
    <message>
        <source>%1 はディスクイメージから作られたフォルダではありません: --import-image で作ってください</source>
        <translation>%1 was not made from a disk image: make it with --import-image</translation>
    </message>
    <message>
        <source>イメージにレジストリファイル SYSTEM.DAT と USER.DAT がもうありません: --import-image でイメージをインポートし直してください</source>
        <translation>the image no longer has its registry files SYSTEM.DAT and USER.DAT: import the image again with --import-image</translation>
    </message>
    <message>
        <source>イメージのレジストリファイルにマシンのレジストリを書き込めません</source>
        <translation>the registry files of the image cannot take the machine&apos;s registry</translation>
    </message>
    <message>
        <source>%1 はすでにあり、空ではありません: 新しいフォルダか空のフォルダにインポートしてください</source>
        <translation>%1 already exists and is not empty: import into a new or empty folder</translation>
    </message>
    <message>
        <source>--drive-c %1: そのようなフォルダはありません</source>
        <translation>--drive-c %1: no such folder</translation>
    </message>
    <message>
        <source>マシンフォルダ %1 を作成できません</source>
        <translation>cannot create the machine folder %1</translation>
    </message>
    <message>
        <source>スナップショット %1 に %2 のコピーがありません</source>
        <translation>snapshot %1 lacks its copy of %2</translation>
    </message>
    <message>
        <source>%1: 同じ名前のファイルがほかにもあります</source>
        <translation>%1: another file has its name</translation>
    </message>
    <message>
        <source>%1 にフォルダを作成できません</source>
        <translation>cannot create a folder in %1</translation>
    </message>
    <message>
        <source>%1 はマシンフォルダ %2 の中にありません</source>
        <translation>%1 is not inside the machine folder %2</translation>
    </message>
    <message>
        <source>%1 にスナップショットを保存できません</source>
        <translation>cannot take a snapshot in %1</translation>
    </message>
    <message>
        <source>%1 に %2 がありません</source>
        <translation>%1 has no %2</translation>
    </message>
    <message>
        <source>%1 の名前を変えられません</source>
        <translation>cannot rename %1</translation>
    </message>
    <message>
        <source>スナップショット %1 を削除できません</source>
        <translation>cannot remove snapshot %1</translation>
    </message>
    <message>
        <source>%1 をスナップショット %2 に加えられません</source>
        <translation>cannot add %1 to snapshot %2</translation>
    </message>
    <message>
        <source>%1 はスナップショットの ID ではありません (ID は --snapshots で一覧できます)</source>
        <translation>%1 is not a snapshot id (--snapshots lists them)</translation>
    </message>
    <message>
        <source>スナップショット %1 は整理されて、もうありません。残すのは手動のスナップショットの最後の %2 個と自動のものの最後の %2 個で、何も変えなかった実行は自分のスナップショットを消します</source>
        <translation>snapshot %1 was pruned: only the last %2 snapshots taken by hand and the last %2 automatic ones are kept, and a run that changed nothing removes its own</translation>
    </message>
    <message>
        <source>%2 にスナップショット %1 はありません (ID は --snapshots で一覧できます)</source>
        <translation>there is no snapshot %1 in %2 (--snapshots lists them)</translation>
    </message>
    <message>
        <source>スナップショット %1 を読み込めません</source>
        <translation>cannot read snapshot %1</translation>
    </message>
    <message>
        <source>スナップショット %1 に %2 がありません</source>
        <translation>snapshot %1 has no %2</translation>
    </message>
    <message>
        <source>スナップショット %1 がマシンフォルダの外のファイルを指しています</source>
        <translation>snapshot %1 names a file outside the machine folder</translation>
    </message>
    <message>
        <source>スナップショット %1 に戻せません</source>
        <translation>cannot restore snapshot %1</translation>
    </message>
    <message>
        <source>レジストリがスタートアップフォルダ (%1 の &quot;Startup&quot;) を示していないため、Windows は変更を取り込めません</source>
        <translation>the registry does not name the Startup folder (%1, &quot;Startup&quot;), so Windows would never apply the changes</translation>
    </message>
    <message>
        <source>スタートアップフォルダ %1 はマシンのドライブの中にありません</source>
        <translation>the Startup folder %1 is not in the machine&apos;s drives</translation>
    </message>
    <message>
        <source>%1 はマシンのドライブの中にありません</source>
        <translation>%1 is not in the machine&apos;s drives</translation>
    </message>
    <message>
        <source>変更を Windows に渡せません</source>
        <translation>cannot hand the changes to Windows</translation>
    </message>
    <message>
        <source>%1 は取り込みませんでした</source>
        <translation>passed over %1</translation>
    </message>
    <message>
        <source>マシンフォルダの外にあります</source>
        <translation>it lies outside the machine folder</translation>
    </message>
    <message>
        <source>%1 は %2 が最後に読んだ後に変わりました。マシンはイメージの内容になり、まだ書き込んでいない %3 個の変更をその上に残しています。以前のマシンはスナップショット %4 にあります</source>
        <translation>%1 changed since %2 last read it: the machine now holds what the image holds, with its %3 changes not written yet on top; snapshot %4 keeps the machine as it was</translation>
    </message>
    <message>
        <source>%1 は Windows でも変わっていました。マシンの変更を残します</source>
        <translation>%1 changed in Windows too; the machine&apos;s change is kept</translation>
    </message>
</context>
<context>
    <name>RunSafety</name>
    <message>
        <source>変更の前のスナップショットを保存できないため、変更しません</source>
        <translation>Nothing was changed, as the snapshot before the change could not be saved</translation>
    </message>
</context>
<context>
    <name>SettingsCatalogue</name>
    <message>
        <source>AGPを使用</source>
        <translation>Use AGP</translation>
    </message>
    <message>
        <source>AGPを使用する。</source>
        <translation>Uses AGP.</translation>
    </message>
    <message>
        <source>MMXの使用</source>
        <translation>Use MMX</translation>
    </message>
    <message>
        <source>MMXを使用する。</source>
        <translation>Uses MMX.</translation>
    </message>
    <message>
        <source>3D Now!の使用</source>
        <translation>Use 3DNow!</translation>
    </message>
    <message>
        <source>3DNow!を使用する。(K6-2/K6-III/WinChip2のみの設定)</source>
        <translation>Uses 3DNow! (K6-2, K6-III and WinChip 2 only).</translation>
    </message>
    <message>
        <source>SSEの使用</source>
        <translation>Use SSE</translation>
    </message>
    <message>
        <source>SSEを使用する。(PentiumⅢのみの設定)</source>
        <translation>Uses SSE (Pentium III only).</translation>
    </message>
    <message>
        <source>SSE2の使用</source>
        <translation>Use SSE2</translation>
    </message>
    <message>
        <source>SSE2を使用する。(Pentium４のみの設定)</source>
        <translation>Uses SSE2 (Pentium 4 only).</translation>
    </message>
    <message>
        <source>結合書き込みの使用</source>
        <translation>Use write combining</translation>
    </message>
    <message>
        <source>結合書き込みを使用する。</source>
        <translation>Uses write combining.</translation>
    </message>
    <message>
        <source>DeviceBitmapsをキャッシング</source>
        <translation>Cache device bitmaps</translation>
    </message>
    <message>
        <source>Zバッファを高速にクリアする</source>
        <translation>Fast Z-buffer clear</translation>
    </message>
    <message>
        <source>縁をスムーズにする</source>
        <translation>Smooth edges</translation>
    </message>
    <message>
        <source>画像をパネルの大きさに合わせる</source>
        <translation>Stretch the picture to the panel</translation>
    </message>
    <message>
        <source>HyperZを使用しない</source>
        <translation>Disable HyperZ</translation>
    </message>
    <message>
        <source>HierarchicalZを使用しない</source>
        <translation>Disable Hierarchical Z</translation>
    </message>
    <message>
        <source>Dualチップモードを使用する</source>
        <translation>Use dual-chip mode</translation>
    </message>
    <message>
        <source>Radeon MAXXのDualチップモードを使用する。</source>
        <translation>Uses the dual-chip mode of a Radeon MAXX.</translation>
    </message>
    <message>
        <source>TCLエンジン</source>
        <translation>TCL engine</translation>
    </message>
    <message>
        <source>ハードウェアでTransform,Cliping,Lightingを使用する。</source>
        <translation>Does transform, clipping and lighting in hardware.</translation>
    </message>
    <message>
        <source>UCエンジン</source>
        <translation>UC engine</translation>
    </message>
    <message>
        <source>ROエンジン</source>
        <translation>RO engine</translation>
    </message>
    <message>
        <source>Bltエンジン</source>
        <translation>Blt engine</translation>
    </message>
    <message>
        <source>Txtエンジン</source>
        <translation>Txt engine</translation>
    </message>
    <message>
        <source>Outエンジン</source>
        <translation>Out engine</translation>
    </message>
    <message>
        <source>Pixエンジン</source>
        <translation>Pix engine</translation>
    </message>
    <message>
        <source>Dib2Devエンジン</source>
        <translation>Dib2Dev engine</translation>
    </message>
    <message>
        <source>DibBltエンジン</source>
        <translation>DibBlt engine</translation>
    </message>
    <message>
        <source>Stretchエンジン</source>
        <translation>Stretch engine</translation>
    </message>
    <message>
        <source>StretchDibエンジン</source>
        <translation>StretchDib engine</translation>
    </message>
    <message>
        <source>Bmbエンジン</source>
        <translation>Bmb engine</translation>
    </message>
    <message>
        <source>シャドウマスク管用画質調整</source>
        <translation>Tune for shadow-mask CRTs</translation>
    </message>
    <message>
        <source>テクスチャ圧縮使用</source>
        <translation>Texture compression</translation>
    </message>
    <message>
        <source>テクスチャ圧縮を使うかどうかの設定</source>
        <translation>Whether to use texture compression</translation>
    </message>
    <message>
        <source>Colorfillを有効にする。</source>
        <translation>Enable color fill</translation>
    </message>
    <message>
        <source>Bltにシステムメモリーを使用</source>
        <translation>System memory for blits</translation>
    </message>
    <message>
        <source>Volumeテクスチャを使用する</source>
        <translation>Use volume textures</translation>
    </message>
    <message>
        <source>BumpMappingを有効にする。</source>
        <translation>Enable bump mapping</translation>
    </message>
    <message>
        <source>WBufferを出力する。</source>
        <translation>Expose a W-buffer</translation>
    </message>
    <message>
        <source>ローカルメモリーを変換しない。</source>
        <translation>Untransformed in VRAM</translation>
    </message>
    <message>
        <source>Table Fogフィルタ</source>
        <translation>Table fog</translation>
    </message>
    <message>
        <source>Table Fogフィルタを使うかどうかの設定</source>
        <translation>Whether to use table fog</translation>
    </message>
    <message>
        <source>WFogフィルタ</source>
        <translation>W fog</translation>
    </message>
    <message>
        <source>W Fogフォルタを使用する</source>
        <translation>Uses W fog</translation>
    </message>
    <message>
        <source>ZFogフィルタ</source>
        <translation>Z fog</translation>
    </message>
    <message>
        <source>Z Fogフィルタを使うかどうかの設定</source>
        <translation>Whether to use Z fog</translation>
    </message>
    <message>
        <source>4BitSubPixelフィルタ</source>
        <translation>4-bit subpixel precision</translation>
    </message>
    <message>
        <source>4BitのSubPixelフィルタを使うかどうかの設定</source>
        <translation>Whether to use 4-bit subpixel precision</translation>
    </message>
    <message>
        <source>V-Syncを使用する</source>
        <translation>Use V-Sync</translation>
    </message>
    <message>
        <source>FullSceneAAフィルタ</source>
        <translation>Full-scene anti-aliasing</translation>
    </message>
    <message>
        <source>FullSceneAntiAliasを使うかどうかの設定</source>
        <translation>Whether to use full-scene anti-aliasing</translation>
    </message>
    <message>
        <source>Mip Mappingフィルタ</source>
        <translation>Mip mapping</translation>
    </message>
    <message>
        <source>Mip Mappingフィルタ使用するか</source>
        <translation>Whether to use mip mapping</translation>
    </message>
    <message>
        <source>高速転送を使用する</source>
        <translation>Use fast blits</translation>
    </message>
    <message>
        <source>高速転送を使用する。</source>
        <translation>Uses fast blits.</translation>
    </message>
    <message>
        <source>拡大表示時にフィルタリングを行う</source>
        <translation>Filter when scaling up</translation>
    </message>
    <message>
        <source>Direct3Dでレンダリングをする</source>
        <translation>Render with Direct3D</translation>
    </message>
    <message>
        <source>深度32BitのZBufferを使用する</source>
        <translation>Use a 32-bit Z-buffer</translation>
    </message>
    <message>
        <source>32Bitカラー時、ZBufferを16Bitか32Bitにするかの設定</source>
        <translation>In 32-bit color, whether the Z-buffer is 16-bit or 32-bit</translation>
    </message>
    <message>
        <source>テクスチャパレットを有効にする</source>
        <translation>Enable texture palettes</translation>
    </message>
    <message>
        <source>Palettized Texturesを有効にする</source>
        <translation>Enables palettized textures</translation>
    </message>
    <message>
        <source>トリプルバッファリングを使用</source>
        <translation>Use triple buffering</translation>
    </message>
    <message>
        <source>トリプルバッファを使用する。</source>
        <translation>Uses triple buffering.</translation>
    </message>
    <message>
        <source>Indeoムービーを拡大表示</source>
        <translation>Scale up Indeo movies</translation>
    </message>
    <message>
        <source>Indeoビデオ再生時拡大表示に対応させる</source>
        <translation>Lets Indeo videos play scaled up</translation>
    </message>
    <message>
        <source>Cinepakムービーを拡大表示</source>
        <translation>Scale up Cinepak movies</translation>
    </message>
    <message>
        <source>Cinepacビデオ再生時拡大表示に対応させる</source>
        <translation>Lets Cinepak videos play scaled up</translation>
    </message>
    <message>
        <source>AGP ExecuteModelを使用する。</source>
        <translation>Use the AGP execute model</translation>
    </message>
    <message>
        <source>システムメモリの一部をAGPのテクスチャとして割り当てます。</source>
        <translation>Sets aside part of system memory for AGP textures.</translation>
    </message>
    <message>
        <source>32ビットテクスチャを16ビットに変換する。</source>
        <translation>Convert 32-bit textures to 16-bit</translation>
    </message>
    <message>
        <source>アルファブレンド時のディザを無効にする。</source>
        <translation>Disable dithering when alpha blending</translation>
    </message>
    <message>
        <source>ページフリッピングを有効にする。</source>
        <translation>Enable page flipping</translation>
    </message>
    <message>
        <source>KTXバッファ領域拡張を有効にする。</source>
        <translation>Enable the KTX buffer region extension</translation>
    </message>
    <message>
        <source>16ビットZバッファを使用する。</source>
        <translation>Use a 16-bit Z-buffer</translation>
    </message>
    <message>
        <source>テクスチャ圧縮を有効にする。</source>
        <translation>Enable texture compression</translation>
    </message>
    <message>
        <source>垂直同期を待つを有効にする。</source>
        <translation>Wait for vertical sync</translation>
    </message>
    <message>
        <source>PowerDeskに裏設定を表示させる</source>
        <translation>Show hidden PowerDesk settings</translation>
    </message>
    <message>
        <source>PowerdeskにAdvancedSettingを表示させる。</source>
        <translation>Shows the advanced settings in PowerDesk.</translation>
    </message>
    <message>
        <source>DDCの影響を強くする</source>
        <translation>Let DDC take precedence</translation>
    </message>
    <message>
        <source>PowerDeskのMonitorの設定を無効にする。</source>
        <translation>Overrides the monitor settings of PowerDesk.</translation>
    </message>
    <message>
        <source>ハイカラーモード</source>
        <translation>High color mode</translation>
    </message>
    <message>
        <source>ハイカラーモードを有効にする。</source>
        <translation>Enables high color mode.</translation>
    </message>
    <message>
        <source>タスクトレイにQuickDeskを常駐。</source>
        <translation>QuickDesk in the system tray</translation>
    </message>
    <message>
        <source>タスクトレイにQuickdeskを常駐するかどうかの設定</source>
        <translation>Whether QuickDesk stays in the system tray</translation>
    </message>
    <message>
        <source>バス マスタリングを行う</source>
        <translation>Use bus mastering</translation>
    </message>
    <message>
        <source>バスマスター転送を使用(通常はOnのままで使用)</source>
        <translation>Uses bus master transfers (normally left on)</translation>
    </message>
    <message>
        <source>円の描画</source>
        <translation>Circles</translation>
    </message>
    <message>
        <source>円の描画を高速化させる。</source>
        <translation>Speeds up drawing circles.</translation>
    </message>
    <message>
        <source>長方形の描画</source>
        <translation>Rectangles</translation>
    </message>
    <message>
        <source>長方形の描画を高速化させる。</source>
        <translation>Speeds up drawing rectangles.</translation>
    </message>
    <message>
        <source>長円､楕円の描画</source>
        <translation>Ellipses and ovals</translation>
    </message>
    <message>
        <source>長円､楕円の描画を高速化させる。</source>
        <translation>Speeds up drawing ellipses and ovals.</translation>
    </message>
    <message>
        <source>フォントをキャッシュリングする</source>
        <translation>Cache fonts</translation>
    </message>
    <message>
        <source>フォントをキャッシングさせて高速にテキストを扱う。</source>
        <translation>Caches fonts to draw text faster.</translation>
    </message>
    <message>
        <source>ポリゴンの描画を高速化する</source>
        <translation>Faster polygon drawing</translation>
    </message>
    <message>
        <source>パレットを同期させる</source>
        <translation>Synchronize the palette</translation>
    </message>
    <message>
        <source>グラフィックメモリーに書き込むパレットを同期させる。</source>
        <translation>Synchronizes palette writes to video memory.</translation>
    </message>
    <message>
        <source>ディザリングを有効にする</source>
        <translation>Enable dithering</translation>
    </message>
    <message>
        <source>ディザリングを有効にする。</source>
        <translation>Enables dithering.</translation>
    </message>
    <message>
        <source>カーソルの形を同期させる</source>
        <translation>Synchronize the cursor shape</translation>
    </message>
    <message>
        <source>カーソルの形を同期させる。</source>
        <translation>Synchronizes the cursor shape.</translation>
    </message>
    <message>
        <source>TV Outを使用する。</source>
        <translation>Use TV out</translation>
    </message>
    <message>
        <source>Mystique G200､Marvel G200専用の設定。TV Out機能を使用するかの設定</source>
        <translation>For the Mystique G200 and Marvel G200 only: whether to use TV out</translation>
    </message>
    <message>
        <source>テクスチャを圧縮して使用</source>
        <translation>Use compressed textures</translation>
    </message>
    <message>
        <source>仮想デスクトップを使用</source>
        <translation>Use a virtual desktop</translation>
    </message>
    <message>
        <source>Windows98使用時仮想デスクトップを使用するかどうか？(PowerDesk Ver.4.51以降)</source>
        <translation>Whether to use a virtual desktop on Windows 98 (PowerDesk 4.51 or later)</translation>
    </message>
    <message>
        <source>アナログジョイスティック対応</source>
        <translation>Analog joystick support</translation>
    </message>
    <message>
        <source>アナログジョイスティックを使用する。</source>
        <translation>Uses an analog joystick.</translation>
    </message>
    <message>
        <source>システム設定</source>
        <translation>System</translation>
    </message>
    <message>
        <source>各種エンジン設定</source>
        <translation>Engines</translation>
    </message>
    <message>
        <source>Direct3D設定</source>
        <translation>Direct3D</translation>
    </message>
    <message>
        <source>DirectX関連の諸設定</source>
        <translation>DirectX</translation>
    </message>
    <message>
        <source>OpenGL設定</source>
        <translation>OpenGL</translation>
    </message>
    <message>
        <source>一般設定</source>
        <translation>General</translation>
    </message>
    <message>
        <source>2D(GDI)の設定</source>
        <translation>2D (GDI)</translation>
    </message>
    <message>
        <source>アプリケーションに依存する</source>
        <translation>Application controlled</translation>
    </message>
    <message>
        <source>常に使用する</source>
        <translation>Always on</translation>
    </message>
    <message>
        <source>２ サンプル</source>
        <translation>2 samples</translation>
    </message>
    <message>
        <source>４ サンプル</source>
        <translation>4 samples</translation>
    </message>
    <message>
        <source>16 ビット</source>
        <translation>16-bit</translation>
    </message>
    <message>
        <source>16 , 24 ビット</source>
        <translation>16/24-bit</translation>
    </message>
    <message>
        <source>16 , 24 ビット + 8ビットステンシル</source>
        <translation>16/24-bit + 8-bit stencil</translation>
    </message>
    <message>
        <source>16 , 24 , 32 ビット</source>
        <translation>16/24/32-bit</translation>
    </message>
    <message>
        <source>16 , 24 , 32 ビット + 8Bitステンシル</source>
        <translation>16/24/32-bit + 8-bit stencil</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>指定されたディザを使用する。</source>
        <translation>Use the specified dither</translation>
    </message>
    <message>
        <source>エラー拡散ディザを使用する。</source>
        <translation>Use error diffusion dither</translation>
    </message>
    <message>
        <source>使用しない</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>高品質</source>
        <translation>High quality</translation>
    </message>
    <message>
        <source>最高品質</source>
        <translation>Highest quality</translation>
    </message>
    <message>
        <source>無効</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>自動設定</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>フルシーン アンチ エイリアス設定</source>
        <translation>Full-scene anti-aliasing</translation>
    </message>
    <message>
        <source>Zバッファ設定</source>
        <translation>Z-buffer</translation>
    </message>
    <message>
        <source>ディザアルファの方式設定</source>
        <translation>Alpha dithering</translation>
    </message>
    <message>
        <source>SubPixel 設定</source>
        <translation>Subpixel precision</translation>
    </message>
    <message>
        <source>異方性テクスチャフィルタリング設定</source>
        <translation>Anisotropic filtering</translation>
    </message>
    <message>
        <source>フルシーンアンチエイリアスの設定</source>
        <translation>Full-scene anti-aliasing</translation>
    </message>
    <message>
        <source>描画の細かさのレベル設定</source>
        <translation>Level of detail</translation>
    </message>
    <message>
        <source>AGPの速度設定</source>
        <translation>AGP speed</translation>
    </message>
    <message>
        <source>AGPの速度を決定する。(Socket7ユーザーで動作が不安定な人は1xでご使用ください)</source>
        <translation>Sets the AGP speed. (On an unstable Socket 7 board, use 1x.)</translation>
    </message>
    <message>
        <source>レジストリの設定を｢緊急時専用設定｣にしました。</source>
        <translation>The registry now holds the emergency settings.</translation>
    </message>
    <message>
        <source>レジストリの設定を｢ゲームに特化した設定｣にしました。</source>
        <translation>The registry now holds the settings tuned for games.</translation>
    </message>
    <message>
        <source>レジストリの設定を｢ベンチマーク専用の設定｣にしました。</source>
        <translation>The registry now holds the benchmark settings.</translation>
    </message>
    <message>
        <source>レジストリの設定を｢ドライバインストール時の初期設定｣にしました。</source>
        <translation>The registry now holds the settings the driver installs.</translation>
    </message>
</context>
<context>
    <name>StoreError</name>
    <message>
        <source>&apos;%1&apos; の設定に失敗しました</source>
        <translation>Could not store &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;%1&apos; の取得に失敗しました</source>
        <translation>Could not read &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;%1&apos; のデータ型が不正です</source>
        <translation>&apos;%1&apos; has the wrong data type</translation>
    </message>
</context>
<context>
    <name>Uninstall</name>
    <message>
        <source>どうする？</source>
        <translation>Uninstall</translation>
    </message>
    <message>
        <source>ドライバをアンインストールしますか？</source>
        <translation>Uninstall the driver?</translation>
    </message>
</context>
<context>
    <name>VirtualMachines</name>
    <message>
        <source>%1 は通常のファイルではありません</source>
        <translation>%1 is not a regular file</translation>
    </message>
    <message>
        <source>%1 は設定ファイルにしては大きすぎます</source>
        <translation>%1 is too large for a configuration file</translation>
    </message>
    <message>
        <source>%1 を読めません</source>
        <translation>cannot read %1</translation>
    </message>
    <message>
        <source>%1 はテキストファイルではありません</source>
        <translation>%1 is not a text file</translation>
    </message>
    <message>
        <source>%1 (%2) のディスクイメージ %3 がないか、通常のファイルではありません</source>
        <translation>%1 (%2): its disk image %3 is missing or is not a regular file</translation>
    </message>
    <message>
        <source>%1 (%2) はスナップショットの差分ディスク %3 で動いていて、qemu はこれを開けないため、Kavendel は読み書きしません (%2 でスナップショットを削除して統合すれば使えます)</source>
        <translation>%1 (%2) runs on the snapshot&apos;s differencing disk %3, which qemu cannot open, so Kavendel neither reads nor writes it (delete the snapshot in %2, which merges it, to use the machine)</translation>
    </message>
    <message>
        <source>%1 (%2) のディスク %3 を読めません</source>
        <translation>%1 (%2): cannot read its disk %3</translation>
    </message>
    <message>
        <source>&apos;%1&apos; を %2 でシャットダウンしてから開いてください</source>
        <translation>Shut down &apos;%1&apos; in %2 first</translation>
    </message>
    <message>
        <source>%1 は %2 行目で XML として読めません: %3</source>
        <translation>%1 cannot be read as XML at line %2: %3</translation>
    </message>
</context>
<context>
    <name>Widgets</name>
    <message>
        <source>終了(&amp;E)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Kavendelを終了します。</source>
        <translation>Closes Kavendel.</translation>
    </message>
</context>
<context>
    <name>WriteBack</name>
    <message>
        <source>%1 の一番上のキーには値を置けません: %2 は書き込めません</source>
        <translation>%1 cannot hold values on its top key: %2 cannot be written</translation>
    </message>
    <message>
        <source>マシンのレジストリは %1 を変えましたが、SYSTEM.DAT にも USER.DAT にもそのキーはありません</source>
        <translation>the machine&apos;s registry changed %1, which neither SYSTEM.DAT nor USER.DAT holds</translation>
    </message>
    <message>
        <source>%1 の %2 行目「%3」が読めないため、書き戻しません。その値が失われるからです。行を直してからやり直してください</source>
        <translation>line %2 of %1 (%3) cannot be read, so nothing is written back: its value would be lost. Correct the line and try again</translation>
    </message>
    <message>
        <source>%1 と %2 はどちらも %3 です: SYSTEM.DAT と USER.DAT を 1 つずつ指定してください</source>
        <translation>%1 and %2 are both %3: name one SYSTEM.DAT and one USER.DAT</translation>
    </message>
</context>
<context>
    <name>kv::CardPage</name>
    <message>
        <source>不明</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>あなたのRadeonの仕様</source>
        <translation>Your Radeon&apos;s specifications</translation>
    </message>
    <message>
        <source>チップ情報</source>
        <translation>Chip</translation>
    </message>
    <message>
        <source>BIOS情報</source>
        <translation>BIOS</translation>
    </message>
    <message>
        <source>メモリー情報</source>
        <translation>Memory</translation>
    </message>
    <message>
        <source>ビデオ入力情報</source>
        <translation>Video input</translation>
    </message>
    <message>
        <source>オプション情報</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>ビデオ出力情報</source>
        <translation>Video output</translation>
    </message>
    <message>
        <source>型番：</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>メモリータイプ：</source>
        <translation>Memory type:</translation>
    </message>
    <message>
        <source>メモリー容量：</source>
        <translation>Memory size:</translation>
    </message>
    <message>
        <source>チップ：</source>
        <translation>Chip:</translation>
    </message>
    <message>
        <source>バスタイプ：</source>
        <translation>Bus type:</translation>
    </message>
    <message>
        <source>2Dアクセラレーション：</source>
        <translation>2D acceleration:</translation>
    </message>
    <message>
        <source>3Dアクセラレーション：</source>
        <translation>3D acceleration:</translation>
    </message>
    <message>
        <source>Aperture Range：</source>
        <translation>Aperture range:</translation>
    </message>
    <message>
        <source>バスマスター転送：</source>
        <translation>Bus mastering:</translation>
    </message>
    <message>
        <source>DVD支援-IDCT：</source>
        <translation>DVD IDCT:</translation>
    </message>
    <message>
        <source>DVD支援 - MC：</source>
        <translation>DVD motion comp.:</translation>
    </message>
    <message>
        <source>AIW内蔵SPDIF：</source>
        <translation>AIW S/PDIF out:</translation>
    </message>
    <message>
        <source>パートナンバー：</source>
        <translation>Part number:</translation>
    </message>
    <message>
        <source>バージョン：</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>ファイル名：</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>日付：</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>対応DDC：</source>
        <translation>DDC:</translation>
    </message>
    <message>
        <source>ブロック書き込み：</source>
        <translation>Block write:</translation>
    </message>
    <message>
        <source>アップデート：</source>
        <translation>Upgradable:</translation>
    </message>
    <message>
        <source>ビデオ入力：</source>
        <translation>Video in:</translation>
    </message>
    <message>
        <source>ビデオ出力：</source>
        <translation>Video out:</translation>
    </message>
    <message>
        <source>AIWファミリー：</source>
        <translation>AIW family:</translation>
    </message>
    <message>
        <source>不可</source>
        <translation>No</translation>
    </message>
    <message>
        <source>追加機器：</source>
        <translation>IO expander:</translation>
    </message>
    <message>
        <source>クロック：</source>
        <translation>Clock:</translation>
    </message>
    <message>
        <source>規格：</source>
        <translation>Standard:</translation>
    </message>
    <message>
        <source>マクロビジョン：</source>
        <translation>Macrovision:</translation>
    </message>
</context>
<context>
    <name>kv::EnginePage</name>
    <message>
        <source>RadeonLE用お手軽設定</source>
        <translation>Quick setting for Radeon LE</translation>
    </message>
    <message>
        <source>RadeonLEをRadeon化します。HyperZとHierarchicalZを使用可能にします。</source>
        <translation>Makes a Radeon LE a full Radeon: turns HyperZ and Hierarchical Z on.</translation>
    </message>
</context>
<context>
    <name>kv::FirstRunDialog</name>
    <message>
        <source>既存のマシンフォルダを開く...</source>
        <translation>Open an existing machine folder...</translation>
    </message>
    <message>
        <source>Windows 98 のレジストリのエクスポート (.reg) を読み込む...</source>
        <translation>Import a Windows 98 registry export (.reg)...</translation>
    </message>
    <message>
        <source>レジストリファイル (SYSTEM.DAT と USER.DAT) のフォルダを読み込む...</source>
        <translation>Import a folder of registry files (SYSTEM.DAT and USER.DAT)...</translation>
    </message>
    <message>
        <source>デモマシンのコピーで試す</source>
        <translation>Try a copy of the demo machine</translation>
    </message>
    <message>
        <source>マシンフォルダを選択</source>
        <translation>Choose a machine folder</translation>
    </message>
    <message>
        <source>レジストリのエクスポートを選択</source>
        <translation>Choose a registry export</translation>
    </message>
    <message>
        <source>レジストリファイル (*.reg *.REG);;すべてのファイル (*)</source>
        <translation>Registry files (*.reg *.REG);;All files (*)</translation>
    </message>
    <message>
        <source>SYSTEM.DAT と USER.DAT のあるフォルダを選択</source>
        <translation>Choose the folder that holds SYSTEM.DAT and USER.DAT</translation>
    </message>
    <message>
        <source>読み込めません: %1</source>
        <translation>Cannot import: %1</translation>
    </message>
    <message>
        <source>ディスクイメージを開く...</source>
        <translation>Open a disk image...</translation>
    </message>
    <message>
        <source>ディスクイメージを選択</source>
        <translation>Choose a disk image</translation>
    </message>
    <message>
        <source>ディスクイメージ (*.img *.ima *.raw *.vhd *.qcow2 *.vdi);;すべてのファイル (*)</source>
        <translation>Disk images (*.img *.ima *.raw *.vhd *.qcow2 *.vdi);;All files (*)</translation>
    </message>
    <message>
        <source>ディスクイメージを開けません: %1</source>
        <translation>Cannot open the disk image: %1</translation>
    </message>
    <message>
        <source>マシンフォルダ %1 にはまだ何もありません。
Windows 98 のレジストリを読み込むか、マシンフォルダを開いてください。</source>
        <translation>The machine folder %1 holds nothing yet.
Import a Windows 98 registry, or open a machine folder.</translation>
    </message>
    <message>
        <source>開くマシンを選んでください。
閉じるとマシンフォルダ %1 を開きます。</source>
        <translation>Choose the machine to open.
Closing this opens the machine folder %1.</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>%1 を開く</source>
        <translation>Open %1</translation>
    </message>
    <message>
        <source>マシンフォルダ %1 に読み込みました</source>
        <translation>Imported into the machine folder %1</translation>
    </message>
</context>
<context>
    <name>kv::GamesPage</name>
    <message>
        <source>タイトル：</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>メーカー名：</source>
        <translation>Publisher:</translation>
    </message>
    <message>
        <source>書き換え</source>
        <translation>Rewrite</translation>
    </message>
    <message>
        <source>表示の３ＤゲームをRadeon対応に設定ファイルを書き換えます。</source>
        <translation>Rewrites the shown 3D game&apos;s configuration file for the Radeon.</translation>
    </message>
    <message>
        <source>アイコンイメージが不正です</source>
        <translation>The icon image is invalid</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>レジストリ情報は既に書き換えられてます。</source>
        <translation>The registry entries were already rewritten.</translation>
    </message>
    <message>
        <source>レジストリ情報を書き換えました。</source>
        <translation>The registry entries have been rewritten.</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>すでにRadeon用の設定は登録されています。</source>
        <translation>The settings for the Radeon are already there.</translation>
    </message>
</context>
<context>
    <name>kv::GammaPage</name>
    <message>
        <source>暗め(44)</source>
        <translation>Dark(44)</translation>
    </message>
    <message>
        <source>暗めの設定です。44に設定します。</source>
        <translation>A darker setting. Sets 44.</translation>
    </message>
    <message>
        <source>適度(54)</source>
        <translation>Mid(54)</translation>
    </message>
    <message>
        <source>普通だと思われる設定です。54に設定します。若干暗めが好みの方用</source>
        <translation>A normal setting. Sets 54, for those who like it a little darker.</translation>
    </message>
    <message>
        <source>適度(64)</source>
        <translation>Mid(64)</translation>
    </message>
    <message>
        <source>普通だと思われる設定です。64に設定します。若干明るめが好みの方用</source>
        <translation>A normal setting. Sets 64, for those who like it a little brighter.</translation>
    </message>
    <message>
        <source>明るめ(74)</source>
        <translation>Light(74)</translation>
    </message>
    <message>
        <source>かなり明るめの設定です。74に設定します。デフォルト値です。</source>
        <translation>A quite bright setting. Sets 74, the default.</translation>
    </message>
    <message>
        <source>値：</source>
        <translation>Val:</translation>
    </message>
    <message>
        <source>暗い</source>
        <translation>Dark</translation>
    </message>
    <message>
        <source>明るい</source>
        <translation>Bright</translation>
    </message>
    <message>
        <source>明るさ：</source>
        <translation>Level:</translation>
    </message>
    <message>
        <source>RGBの微調整する。</source>
        <translation>Fine-tune R, G and B</translation>
    </message>
    <message>
        <source>赤：</source>
        <translation>R:</translation>
    </message>
    <message>
        <source>緑：</source>
        <translation>G:</translation>
    </message>
    <message>
        <source>青：</source>
        <translation>B:</translation>
    </message>
</context>
<context>
    <name>kv::OpenGLPage</name>
    <message>
        <source>ファジー</source>
        <translation>Soft</translation>
    </message>
    <message>
        <source>シャープ</source>
        <translation>Sharp</translation>
    </message>
</context>
<context>
    <name>kv::PresetModes</name>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
</context>
<context>
    <name>kv::SummaryPage</name>
    <message>
        <source>レジストリのお手軽設定</source>
        <translation>Quick registry settings</translation>
    </message>
    <message>
        <source>ベンチマークモード</source>
        <translation>Benchmark mode</translation>
    </message>
    <message>
        <source>最も性能を発揮する設定です。</source>
        <translation>The settings for the highest performance.</translation>
    </message>
    <message>
        <source>ゲームモード</source>
        <translation>Game mode</translation>
    </message>
    <message>
        <source>ゲーム用に最適の設定です。</source>
        <translation>The best settings for games.</translation>
    </message>
    <message>
        <source>初期設定</source>
        <translation>Defaults</translation>
    </message>
    <message>
        <source>ドライバを入れた最初の設定</source>
        <translation>The settings as the driver installs them</translation>
    </message>
    <message>
        <source>緊急時専用モード</source>
        <translation>Emergency mode</translation>
    </message>
    <message>
        <source>Socket7ユーザー等きちんと動作しない場合の設定</source>
        <translation>For when things do not work right, as on some Socket 7 boards</translation>
    </message>
    <message>
        <source>ボード：</source>
        <translation>Board:</translation>
    </message>
    <message>
        <source>お使いのRadeonのモデル名</source>
        <translation>The model of your Radeon</translation>
    </message>
    <message>
        <source>AGP動作：</source>
        <translation>AGP:</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>AGPの動作速度を示しています。</source>
        <translation>The speed the AGP bus runs at.</translation>
    </message>
    <message>
        <source>使用ドライバ：</source>
        <translation>Driver:</translation>
    </message>
    <message>
        <source>現在使用中のドライバのバージョンです。</source>
        <translation>The version of the driver in use.</translation>
    </message>
    <message>
        <source>搭載メモリー：</source>
        <translation>Memory:</translation>
    </message>
    <message>
        <source>メモリーの種類を表示します。</source>
        <translation>The kind of memory on the card.</translation>
    </message>
    <message>
        <source>メモリー容量：</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>メモリーの容量を表示します。</source>
        <translation>The amount of memory on the card.</translation>
    </message>
    <message>
        <source>オプション：</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>付属のオプション類を表示します。</source>
        <translation>The extra devices that came with the card.</translation>
    </message>
    <message>
        <source>｢Radeon256｣はATI Technologies社の商標です。</source>
        <translation>&quot;Radeon256&quot; is a trademark of ATI Technologies Inc.</translation>
    </message>
    <message>
        <source>アンインストールする</source>
        <translation>Uninstall</translation>
    </message>
    <message>
        <source>Radeonのドライバをアンインストールします。</source>
        <translation>Uninstalls the Radeon driver.</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Kavendelのバージョンを表示します。</source>
        <translation>Shows the version of Kavendel.</translation>
    </message>
</context>
<context>
    <name>kv::SystemPage</name>
    <message>
        <source>搭載</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>非対応</source>
        <translation>No</translation>
    </message>
    <message>
        <source>OS：</source>
        <translation>OS:</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>CPU 社名：</source>
        <translation>Maker:</translation>
    </message>
    <message>
        <source>CPU 名：</source>
        <translation>CPU:</translation>
    </message>
    <message>
        <source>CPU詳細：</source>
        <translation>Details:</translation>
    </message>
    <message>
        <source>ベンダーネーム：</source>
        <translation>Vendor string:</translation>
    </message>
    <message>
        <source>ファミリ：</source>
        <translation>Family:</translation>
    </message>
    <message>
        <source>モデル：</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>ステッピングID：</source>
        <translation>Stepping ID:</translation>
    </message>
    <message>
        <source>CPU ID命令：</source>
        <translation>CPUID instruction:</translation>
    </message>
    <message>
        <source>対応</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>RDTSC 命令：</source>
        <translation>RDTSC instruction:</translation>
    </message>
    <message>
        <source>MMX 命令：</source>
        <translation>MMX instructions:</translation>
    </message>
    <message>
        <source>3DNow!!命令：</source>
        <translation>3DNow! instructions:</translation>
    </message>
    <message>
        <source>Enhanced 3DNow!!命令：</source>
        <translation>Enhanced 3DNow!:</translation>
    </message>
    <message>
        <source>Streaming SIMD拡張命令：</source>
        <translation>SSE instructions:</translation>
    </message>
    <message>
        <source>Streaming SIMD拡張命令2：</source>
        <translation>SSE2 instructions:</translation>
    </message>
    <message>
        <source>CPU 動作クロック：</source>
        <translation>CPU clock:</translation>
    </message>
    <message>
        <source>再計算(&amp;R)</source>
        <translation>&amp;Recalculate</translation>
    </message>
    <message>
        <source>CPUクロックを再測定する。</source>
        <translation>Measures the CPU clock again.</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>No</translation>
    </message>
    <message>
        <source>任意</source>
        <translation>any</translation>
    </message>
    <message>
        <source>該当したカタログの行：%1 ファミリ %2 モデル %3 ステッピング %4 クロック %5</source>
        <translation>Catalogue row that matched: %1 family %2 model %3 stepping %4 clock %5</translation>
    </message>
    <message>
        <source>カタログに該当する行はありません：%1 ファミリ %2 モデル %3 ステッピング %4 クロック %5</source>
        <translation>No catalogue row matches: %1 family %2 model %3 stepping %4 clock %5</translation>
    </message>
</context>
<context>
    <name>kv::TAboutBox</name>
    <message>
        <source>クリックしてメール送ってね。</source>
        <translation>Click to send us an e-mail!</translation>
    </message>
    <message>
        <source>クリックするとホームページに行けます。</source>
        <translation>Click to visit the home page.</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>３Ｄが速いATI</source>
        <translation>ATI, fast in 3D</translation>
    </message>
    <message>
        <source>Version：</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>いつもどうもです。</source>
        <translation>Thanks, as always!</translation>
    </message>
    <message>
        <source>言語：C++20 / Qt 6</source>
        <translation>Language: C++20 / Qt 6</translation>
    </message>
    <message>
        <source>ATI technologies Inc：</source>
        <translation>ATI technologies Inc:</translation>
    </message>
    <message>
        <source>メールアドレス：</source>
        <translation>E-mail:</translation>
    </message>
    <message>
        <source>サポートホームページ：</source>
        <translation>Support page:</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Radeon速いじょ～</source>
        <translation>Radeon is sooo fast!</translation>
    </message>
</context>
<context>
    <name>kv::TForm1</name>
    <message>
        <source>一般</source>
        <translation>General</translation>
    </message>
    <message>
        <source>レジストリ</source>
        <translation>Registry</translation>
    </message>
    <message>
        <source>３Ｄゲーム</source>
        <translation>3D Games</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Radeonエンジン</source>
        <translation>Radeon Engine</translation>
    </message>
    <message>
        <source>Direct3D 設定</source>
        <translation>Direct3D</translation>
    </message>
    <message>
        <source>OpenGL 設定</source>
        <translation>OpenGL</translation>
    </message>
    <message>
        <source>3Dカラー設定</source>
        <translation>3D Color</translation>
    </message>
    <message>
        <source>VIA専用設定</source>
        <translation>VIA Only</translation>
    </message>
    <message>
        <source>※設定を変更後は再起動してください。</source>
        <translation>* Restart Windows after changing settings.</translation>
    </message>
</context>
<context>
    <name>kv::ViaPage</name>
    <message>
        <source>・FastWrite 有効</source>
        <translation>- FastWrite on</translation>
    </message>
    <message>
        <source>・AGPモード - 1x,2x,4x 自動認識</source>
        <translation>- AGP mode: 1x, 2x or 4x, detected</translation>
    </message>
    <message>
        <source>・FastWrite 無効</source>
        <translation>- FastWrite off</translation>
    </message>
    <message>
        <source>・AGPモード - 1x 固定</source>
        <translation>- AGP mode: always 1x</translation>
    </message>
    <message>
        <source>※ 設定変更後は再起動を必ずしてください。</source>
        <translation>* Always restart Windows after a change here.</translation>
    </message>
    <message>
        <source>もし、再起動後Windowsが正常に動作しない場合は</source>
        <translation>If Windows does not work properly after the restart,</translation>
    </message>
    <message>
        <source>セーフモードで起動し再度設定をしてください。</source>
        <translation>start it in Safe Mode and set this again.</translation>
    </message>
    <message>
        <source>VIAチップセット専用 AGP設定</source>
        <translation>AGP settings for VIA chipsets only</translation>
    </message>
    <message>
        <source>Sideband addressing設定</source>
        <translation>Sideband addressing</translation>
    </message>
</context>
</TS>
