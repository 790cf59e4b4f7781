#include "SettingsCatalogue.h"

#include <algorithm>
#include <charconv>

namespace kv {

namespace {

constexpr auto LM = RootKey::LocalMachine;
constexpr auto CU = RootKey::CurrentUser;
constexpr auto TextValue = ValueKind::Text;
constexpr auto NumberValue = ValueKind::Number;
constexpr auto ReadText = StartUp::Text;
constexpr auto ReadNumber = StartUp::Number;
constexpr auto NotRead = StartUp::NotRead;
using G = BoxGroup;

constexpr std::string_view Monitor = "\\Monitor";
constexpr std::string_view Dac = "\\DAC";
constexpr std::string_view Engine = "\\Engine";
constexpr std::string_view Gdi = "\\GDI";
constexpr std::string_view Cpu = "\\CPU";

// control, caption, group, root, key, value, second value, second key, kind, start-up, hint, handler
// clang-format off
constexpr TwoStateSetting TwoState[] = {
    // Radeonエンジン, システム設定
    {"agp", "AGPを使用", G::System, LM, Atidxhal, "UseAGP", {}, {}, TextValue, ReadText, "AGPを使用する。", "agpClick"},
    {"mmx", "MMXの使用", G::System, LM, Atidxhal, "UseMMX", {}, {}, TextValue, ReadText, "MMXを使用する。", "mmxClick"},
    {"DNow", "3D Now!の使用", G::System, LM, Atidxhal, "Use3DNow", {}, {}, TextValue, ReadText,
     "3DNow!を使用する。(K6-2/K6-III/WinChip2のみの設定)", "DNowClick"},
    {"SSE", "SSEの使用", G::System, LM, Atidxhal, "UseKNI", {}, {}, TextValue, ReadText,
     "SSEを使用する。(PentiumⅢのみの設定)", "SSEClick"},
    {"SSE2", "SSE2の使用", G::System, LM, Atidxhal, "UseMMXExt", {}, {}, TextValue, ReadText,
     "SSE2を使用する。(Pentium４のみの設定)", "SSE2Click"},
    {"BlockWrite", "結合書き込みの使用", G::System, LM, Atidxhal, "BlockWrite", {}, {}, TextValue, ReadText,
     "結合書き込みを使用する。", "BlockWriteClick"},
    {"device", "DeviceBitmapsをキャッシング", G::System, LM, Atidxhal, "CacheBMP", {}, {}, TextValue, ReadText,
     "DeviceBitmapsをキャッシング", "deviceClick"},
    {"FastZClearEnabled", "Zバッファを高速にクリアする", G::System, LM, Atidxhal, "FastZClearEnabled", {}, {}, TextValue, ReadText,
     {}, "FastZClearEnabledClick"},
    {"GCOOPTION_SlowerEdge", "縁をスムーズにする", G::System, LM, Dal, "GCOOPTION_SlowerEdge", {}, {}, NumberValue, ReadNumber,
     {}, "GCOOPTION_SlowerEdgeClick"},
    {"GCORULE_RMXSupport", "画像をパネルの大きさに合わせる", G::System, LM, Dal, "GCORULE_RMXSupport", {}, {}, NumberValue, ReadNumber,
     {}, "GCORULE_RMXSupportClick"},
    {"DisableHyperZ", "HyperZを使用しない", G::System, LM, Atidxhal, "DisableHyperZ", {}, {}, TextValue, ReadText,
     {}, "DisableHyperZClick"},
    {"DisableHierarchicalZ", "HierarchicalZを使用しない", G::System, LM, Atidxhal, "DisableHierarchicalZ", {}, {}, TextValue, ReadText,
     {}, "DisableHierarchicalZClick"},
    {"MAXXMode", "Dualチップモードを使用する", G::System, LM, Atidxhal, "MAXXMode", {}, {}, TextValue, NotRead,
     "Radeon MAXXのDualチップモードを使用する。", "MAXXModeClick"},

    // Radeonエンジン, 各種エンジン設定
    {"TCL", "TCLエンジン", G::Engine, LM, Atidxhal, "TCL", {}, {}, TextValue, ReadText,
     "ハードウェアでTransform,Cliping,Lightingを使用する。", "TCLClick"},
    {"UCEngine", "UCエンジン", G::Engine, LM, Atidxhal, "UCEngine", {}, {}, TextValue, ReadText, {}, "UCEngineClick"},
    {"ROEngine", "ROエンジン", G::Engine, LM, Atidxhal, "ROEngine", {}, {}, TextValue, ReadText, {}, "ROEngineClick"},
    {"BltEngine", "Bltエンジン", G::Engine, LM, Atidxhal, "BltEngine", {}, {}, TextValue, ReadText, {}, "BltEngineClick"},
    {"TxtEngine", "Txtエンジン", G::Engine, LM, Atidxhal, "TxtEngine", {}, {}, TextValue, ReadText, {}, "TxtEngineClick"},
    {"OutEngine", "Outエンジン", G::Engine, LM, Atidxhal, "OutEngine", {}, {}, TextValue, ReadText, {}, "OutEngineClick"},
    {"PixEngine", "Pixエンジン", G::Engine, LM, Atidxhal, "PixEngine", {}, {}, TextValue, ReadText, {}, "PixEngineClick"},
    {"Dib2DevEngine", "Dib2Devエンジン", G::Engine, LM, Atidxhal, "Dib2DevEngine", {}, {}, TextValue, ReadText,
     {}, "Dib2DevEngineClick"},
    {"DibBltEngine", "DibBltエンジン", G::Engine, LM, Atidxhal, "DibBltEngine", {}, {}, TextValue, ReadText,
     {}, "DibBltEngineClick"},
    {"StretchEngine", "Stretchエンジン", G::Engine, LM, Atidxhal, "StretchEngine", {}, {}, TextValue, ReadText,
     {}, "StretchEngineClick"},
    {"StretchDibEngine", "StretchDibエンジン", G::Engine, LM, Atidxhal, "StretchDibEngine", {}, {}, TextValue, ReadText,
     {}, "StretchDibEngineClick"},
    {"BmbEngine", "Bmbエンジン", G::Engine, LM, Atidxhal, "BmbEngine", {}, {}, TextValue, ReadText, {}, "BmbEngineClick"},

    // Radeonエンジン, below the groups. It stores the value GCOOPTION_SlowerEdge shows, but
    // start-up leaves it unchecked and neither box follows the other.
    {"SlowerEdge", "シャドウマスク管用画質調整", G::EngineSheet, LM, Dal, "GCOOPTION_SlowerEdge", {}, {}, NumberValue, NotRead,
     {}, "SlowerEdgeClick"},

    // Direct3D 設定, Direct3D設定
    {"TextureCompression", "テクスチャ圧縮使用", G::D3DFilter, LM, Atidxhal, "enableTextureCompression", "ExportCompressedTex", {}, TextValue, ReadText,
     "テクスチャ圧縮を使うかどうかの設定", "TextureCompressionClick", Special::TextureCompression},
    {"EnableWaitUntilIdxTriList2", "Wait for Dx Trilist 2nd Pass", G::D3DFilter, LM, Atidxhal, "EnableWaitUntilIdxTriList2", {}, {}, TextValue, ReadText,
     {}, "EnableWaitUntilIdxTriList2Click"},
    {"Colorfill", "Colorfillを有効にする。", G::D3DFilter, LM, Atidxhal, "Colorfill", {}, {}, TextValue, ReadText,
     {}, "ColorfillClick"},
    {"SysMemBlts", "Bltにシステムメモリーを使用", G::D3DFilter, LM, Atidxhal, "SysMemBlts", {}, {}, TextValue, ReadText,
     {}, "SysMemBltsClick"},
    {"VolTxEnable", "Volumeテクスチャを使用する", G::D3DFilter, LM, Atidxhal, "VolTxEnable", {}, {}, TextValue, ReadText,
     {}, "VolTxEnableClick"},
    {"ExportBumpMappedTex", "BumpMappingを有効にする。", G::D3DFilter, LM, Atidxhal, "ExportBumpMappedTex", {}, {}, TextValue, ReadText,
     {}, "ExportBumpMappedTexClick"},
    {"ExportWBuffer", "WBufferを出力する。", G::D3DFilter, LM, Atidxhal, "ExportWBuffer", {}, {}, TextValue, ReadText,
     {}, "ExportWBufferClick"},
    {"EnableUntransformedInLocalMem", "ローカルメモリーを変換しない。", G::D3DFilter, LM, Atidxhal, "EnableUntransformedInLocalMem", {}, {}, TextValue, ReadText,
     {}, "EnableUntransformedInLocalMemClick"},
    {"TableFog", "Table Fogフィルタ", G::D3DFilter, LM, Atidxhal, "TableFogEnable", {}, {}, TextValue, ReadText,
     "Table Fogフィルタを使うかどうかの設定", "TableFogClick"},
    {"WFog", "WFogフィルタ", G::D3DFilter, LM, Atidxhal, "WFogEnable", {}, {}, TextValue, ReadText,
     "W Fogフォルタを使用する", "WFogClick"},
    {"ZFog", "ZFogフィルタ", G::D3DFilter, LM, Atidxhal, "ZFogEnable", {}, {}, TextValue, ReadText,
     "Z Fogフィルタを使うかどうかの設定", "ZFogClick"},
    {"SubPixel", "4BitSubPixelフィルタ", G::D3DFilter, LM, Atidxhal, "enable4BitsSubPixel", {}, {}, TextValue, ReadText,
     "4BitのSubPixelフィルタを使うかどうかの設定", "SubPixelClick"},
    {"Vsync", "V-Syncを使用する", G::D3DFilter, LM, DirectX, "FlipOnVBlank", "Vsync", Atidxhal, TextValue, ReadText,
     {}, "vsyncClick", Special::Vsync},
    {"FullSceneAA", "FullSceneAAフィルタ", G::D3DFilter, LM, Atidxhal, "AntiAlias", "AntiAliasRatio", {}, TextValue, NotRead,
     "FullSceneAntiAliasを使うかどうかの設定", "FullSceneAAClick", Special::FullSceneAA},
    {"MIPMAP", "Mip Mappingフィルタ", G::D3DFilter, LM, DirectX, "MipMapping", {}, {}, TextValue, NotRead,
     "Mip Mappingフィルタ使用するか", "MIPMAPClick"},

    // Direct3D 設定, DirectX関連の諸設定
    {"fastbilt", "高速転送を使用する", G::D3DGen, LM, DirectX, "YUVFastBlit", {}, {}, TextValue, NotRead,
     "高速転送を使用する。", "fastbiltClick"},
    {"filter", "拡大表示時にフィルタリングを行う", G::D3DGen, LM, DirectX, "YUVFiltering", {}, {}, TextValue, NotRead,
     "拡大表示時にフィルタリングを行う", "filterClick"},
    {"d3drender", "Direct3Dでレンダリングをする", G::D3DGen, LM, DirectX, "D3DRendering", {}, {}, TextValue, NotRead,
     "Direct3Dでレンダリングをする", "d3drenderClick"},
    {"zbuff", "深度32BitのZBufferを使用する", G::D3DGen, LM, DirectX, "32BitZ", {}, {}, TextValue, NotRead,
     "32Bitカラー時、ZBufferを16Bitか32Bitにするかの設定", "zbuffClick"},
    {"palettized", "テクスチャパレットを有効にする", G::D3DGen, LM, DirectX, "PalettizedTextures", {}, {}, TextValue, NotRead,
     "Palettized Texturesを有効にする", "palettizedClick"},
    {"triple", "トリプルバッファリングを使用", G::D3DGen, LM, DirectX, "UseTripleBuffering", {}, {}, TextValue, NotRead,
     "トリプルバッファを使用する。", "tripleClick"},
    {"indeo", "Indeoムービーを拡大表示", G::D3DGen, LM, DirectX, "IndeoAsYUV", {}, {}, TextValue, NotRead,
     "Indeoビデオ再生時拡大表示に対応させる", "indeoClick"},
    {"cinepac", "Cinepakムービーを拡大表示", G::D3DGen, LM, DirectX, "CinepakAsYUV", {}, {}, TextValue, NotRead,
     "Cinepacビデオ再生時拡大表示に対応させる", "cinepacClick"},
    {"AGPExecute", "AGP ExecuteModelを使用する。", G::D3DGen, LM, DirectX, "AGPExecuteModel", {}, {}, TextValue, NotRead,
     "システムメモリの一部をAGPのテクスチャとして割り当てます。", "AGPExecuteClick"},

    // OpenGL 設定, OpenGL設定
    {"Tracing_Quality", "Tracing", G::OpenGL, LM, OpenGL, "OGLTracing", {}, {}, NumberValue, ReadNumber,
     {}, "Tracing_QualityClick"},
    {"OGLConvertTextures32To16", "32ビットテクスチャを16ビットに変換する。", G::OpenGL, LM, OpenGL, "OGLConvertTextures32To16", {}, {}, NumberValue, ReadNumber,
     {}, "OGLConvertTextures32To16Click"},
    {"OGLDisableDitherWhenAlphaBlending", "アルファブレンド時のディザを無効にする。", G::OpenGL, LM, OpenGL, "OGLDisableDitherWhenAlphaBlending", {}, {}, NumberValue, ReadNumber,
     {}, "OGLDisableDitherWhenAlphaBlendingClick"},
    {"OGLEnableHWPageFlip", "ページフリッピングを有効にする。", G::OpenGL, LM, OpenGL, "OGLEnableHWPageFlip", {}, {}, NumberValue, ReadNumber,
     {}, "OGLEnableHWPageFlipClick"},
    {"OGLEnableKTXBufferRegion", "KTXバッファ領域拡張を有効にする。", G::OpenGL, LM, OpenGL, "OGLEnableKTXBufferRegion", {}, {}, NumberValue, ReadNumber,
     {}, "OGLEnableKTXBufferRegionClick"},
    {"OGLForce16BitZBuffer", "16ビットZバッファを使用する。", G::OpenGL, LM, OpenGL, "OGLForce16BitZBuffer", {}, {}, NumberValue, ReadNumber,
     {}, "OGLForce16BitZBufferClick"},
    {"OGLEnableTextureCompression", "テクスチャ圧縮を有効にする。", G::OpenGL, LM, OpenGL, "OGLEnableTextureCompression", {}, {}, NumberValue, ReadNumber,
     {}, "OGLEnableTextureCompressionClick"},
    {"OGLWaitVerticalSync", "垂直同期を待つを有効にする。", G::OpenGL, LM, OpenGL, "OGLWaitVerticalSync", {}, {}, NumberValue, ReadNumber,
     {}, "OGLWaitVerticalSyncClick"},

    // レジストリ, 一般設定
    {"Powerdesk", "PowerDeskに裏設定を表示させる", G::General, CU, PowerDeskUser, "ShowMeAllMatrox", {}, {}, NumberValue, NotRead,
     "PowerdeskにAdvancedSettingを表示させる。", "PowerdeskClick"},
    {"DDC", "DDCの影響を強くする", G::General, LM, Monitor, "ForceDDC", {}, {}, TextValue, NotRead,
     "PowerDeskのMonitorの設定を無効にする。", "DDCClick"},
    {"Highcolor", "ハイカラーモード", G::General, LM, Dac, "HicolorMode", {}, {}, TextValue, NotRead,
     "ハイカラーモードを有効にする。", "HighcolorClick"},
    {"tasktrey", "タスクトレイにQuickDeskを常駐。", G::General, CU, PowerDeskUser, "LaunchQuickDesk", {}, {}, NumberValue, NotRead,
     "タスクトレイにQuickdeskを常駐するかどうかの設定", "tasktreyClick"},
    {"busmaster", "バス マスタリングを行う", G::General, LM, Engine, "BusMastering", {}, {}, TextValue, NotRead,
     "バスマスター転送を使用(通常はOnのままで使用)", "busmasterClick"},

    // レジストリ, 2D(GDI)の設定
    {"Circles", "円の描画", G::Gdi, LM, Gdi, "Circles", {}, {}, TextValue, NotRead, "円の描画を高速化させる。", "CirclesClick"},
    {"rect", "長方形の描画", G::Gdi, LM, Gdi, "Rectangles", {}, {}, TextValue, NotRead, "長方形の描画を高速化させる。", "rectClick"},
    {"Ellipses", "長円､楕円の描画", G::Gdi, LM, Gdi, "Ellipses", {}, {}, TextValue, NotRead,
     "長円､楕円の描画を高速化させる。", "EllipsesClick"},
    {"fontcash", "フォントをキャッシュリングする", G::Gdi, LM, Gdi, "FontsCaching", {}, {}, TextValue, NotRead,
     "フォントをキャッシングさせて高速にテキストを扱う。", "fontcashClick"},
    {"porigon", "ポリゴンの描画を高速化する", G::Gdi, LM, Gdi, "AlternateFillPolygons", {}, {}, TextValue, NotRead,
     "ポリゴンの描画を高速化する", "porigonClick"},
    {"Paletsync", "パレットを同期させる", G::Gdi, LM, Engine, "PaletteSync", {}, {}, TextValue, NotRead,
     "グラフィックメモリーに書き込むパレットを同期させる。", "PaletsyncClick"},

    // レジストリ, directly on the page
    {"dithering", "ディザリングを有効にする", G::RegistrySheet, LM, PowerDeskMachine, "ColorDithering", {}, {}, TextValue, NotRead,
     "ディザリングを有効にする。", "ditheringClick"},
    {"cirsor", "カーソルの形を同期させる", G::RegistrySheet, LM, PowerDeskMachine, "CursorShapeSync", {}, {}, TextValue, NotRead,
     "カーソルの形を同期させる。", "cirsorClick"},
    {"TVout", "TV Outを使用する。", G::RegistrySheet, LM, PowerDeskMachine, "TVOutput", {}, {}, TextValue, NotRead,
     "Mystique G200､Marvel G200専用の設定。TV Out機能を使用するかの設定", "TVoutClick"},
    {"toc", "テクスチャを圧縮して使用", G::RegistrySheet, LM, DirectX, "SplitMode", {}, {}, TextValue, NotRead,
     "テクスチャを圧縮して使用", "tocClick"},
    // Without a leading "\": a fresh accessor takes it from the root, the same key as above.
    {"VirtualDesk", "仮想デスクトップを使用", G::RegistrySheet, LM, "Software\\Matrox\\PowerDesk\\Current Settings", "Win98 Virtual", {}, {}, TextValue, NotRead,
     "Windows98使用時仮想デスクトップを使用するかどうか？(PowerDesk Ver.4.51以降)", "VirtualDeskClick"},
    {"AnalogJoy", "アナログジョイスティック対応", G::RegistrySheet, LM, "\\Tessel soft\\Pellam Utility", "Analog Joystick", {}, {}, TextValue, NotRead,
     "アナログジョイスティックを使用する。", "AnalogJoyClick"},
};
// clang-format on

constexpr BoxGroupPlace Groups[] = {
    {G::System, Sheet::Engine, "System", "システム設定", {0, 8, 233, 228}},
    {G::Engine, Sheet::Engine, "Engine", "各種エンジン設定", {240, 8, 161, 228}},
    {G::EngineSheet, Sheet::Engine, {}, {}, {8, 248, 185, BoxHeight}},
    {G::D3DFilter, Sheet::Direct3D, "D3DFilter", "Direct3D設定", {0, 8, 190, 249}},
    {G::D3DGen, Sheet::Direct3D, "D3DGen", "DirectX関連の諸設定", {OutOfSight, 8, 233, 169}},
    {G::OpenGL, Sheet::OpenGL, "GroupBox1", "OpenGL設定", {0, 8, 409, 153}},
    {G::General, Sheet::Registry, "General", "一般設定", {OutOfSight, 8, 233, 105}},
    {G::Gdi, Sheet::Registry, "Gdi", "2D(GDI)の設定", {OutOfSight, 120, 233, 121}},
    {G::RegistrySheet, Sheet::Registry, {}, {}, {OutOfSight + 8, 256, 300, BoxHeight}},
};

constexpr ChoiceItem AntiAliasItems[] = {{"アプリケーションに依存する", "1", 0}, {"常に使用する", "2", 0}};
constexpr ChoiceItem AntiAliasRatioItems[] = {{"２ サンプル", "384", 0}, {"４ サンプル", "512", 0}};
// Each code sums 1 (16-bit), 2 (24-bit), 4 (8-bit stencil) and 8 (32-bit) over what the item names.
constexpr ChoiceItem ZBufferItems[] = {
    {"16 ビット", "1", 0},
    {"16 , 24 ビット", "3", 0},
    {"16 , 24 ビット + 8ビットステンシル", "7", 0},
    {"16 , 24 , 32 ビット", "11", 0},
    {"16 , 24 , 32 ビット + 8Bitステンシル", "15", 0},
};
constexpr ChoiceItem DitherAlphaItems[] = {
    {"なし", "2", 0}, {"指定されたディザを使用する。", "1", 0}, {"エラー拡散ディザを使用する。", "0", 0}};
constexpr ChoiceItem SubPixelItems[] = {{"2", {}, 2}, {"4", {}, 4}};
constexpr ChoiceItem AnisotropicItems[] = {{"使用しない", {}, 0}, {"高品質", {}, 4}, {"最高品質", {}, 16}};
constexpr ChoiceItem OglFsaaItems[] = {{"無効", {}, 0}, {"２ サンプル", {}, 1}, {"４ サンプル", {}, 2}};
constexpr ChoiceItem AgpSpeedItems[] = {
    {"AGP 1x", "0", 0}, {"AGP 2x", "-1", 0}, {"AGP 4x", "-2", 0}, {"自動設定", "1", 0}};

constexpr ChoiceGroup ListGroups[] = {
    {"AntiAliasGroup", "フルシーン アンチ エイリアス設定", Sheet::Direct3D, {192, 8, 217, 73}},
    {"ZBufferGroup", "Zバッファ設定", Sheet::Direct3D, {192, 88, 217, 49}},
    {"DitherAlphaGroup", "ディザアルファの方式設定", Sheet::Direct3D, {193, 143, 217, 49}},
    {"SubPixelGroup", "SubPixel 設定", Sheet::OpenGL, {0, 168, 201, 49}},
    {"AnisotropicGroup", "異方性テクスチャフィルタリング設定", Sheet::OpenGL, {208, 168, 201, 49}},
    {"FullSceneAAGroup", "フルシーンアンチエイリアスの設定", Sheet::OpenGL, {208, 224, 201, 49}},
    {"DetailBiasGroup", "描画の細かさのレベル設定", Sheet::OpenGL, {0, 224, 201, 65}},
};

constexpr ChoiceList Lists[] = {
    {"AntiAlias", "AntiAliasChange", "AntiAliasGroup", 8, 16, 201, Atidxhal, "AntiAlias", TextValue,
     AntiAliasItems, -1},
    {"AntiAliasRatio", "AntiAliasRatioChange", "AntiAliasGroup", 8, 40, 201, Atidxhal, "AntiAliasRatio",
     TextValue, AntiAliasRatioItems, -1},
    {"ZBuffer", "ZBufferChange", "ZBufferGroup", 8, 16, 201, Atidxhal, "ZFormats", TextValue, ZBufferItems,
     -1},
    {"DitherAlpha", "DitherAlphaChange", "DitherAlphaGroup", 8, 16, 201, Atidxhal, "DitherAlpha", TextValue,
     DitherAlphaItems, -1},
    {"SubPixelC", "SubPixelCChange", "SubPixelGroup", 8, 16, 185, OpenGL, "OGLSubPixelPrecision", NumberValue,
     SubPixelItems, 0},
    {"Anisotropic", "AnisotropicChange", "AnisotropicGroup", 8, 16, 185, OpenGL, "OGLMaxAnisotropy",
     NumberValue, AnisotropicItems, 0},
    {"OGLFSAA", "OGLFSAAChange", "FullSceneAAGroup", 8, 16, 185, OpenGL, "OGLEnableFullSceneAA", NumberValue,
     OglFsaaItems, 0},
};

constexpr RadioSetting AgpSpeed{
    "AGPSpeed",
    "AGPSpeedClick",
    "AGPの速度設定",
    "AGPの速度を決定する。(Socket7ユーザーで動作が不安定な人は1xでご使用ください)",
    Cpu,
    "AGPFlags",
    AgpSpeedItems};

constexpr StartUpRead AtidxhalReads[] = {
    {"TCL", "TCL"},
    {"UCEngine", "UCEngine"},
    {"ROEngine", "ROEngine"},
    {"BltEngine", "BltEngine"},
    {"TxtEngine", "TxtEngine"},
    {"OutEngine", "OutEngine"},
    {"PixEngine", "PixEngine"},
    {"Dib2DevEngine", "Dib2DevEngine"},
    {"DibBltEngine", "DibBltEngine"},
    {"StretchEngine", "StretchEngine"},
    {"StretchDibEngine", "StretchDibEngine"},
    {"BmbEngine", "BmbEngine"},
    {"AntiAlias", "AntiAlias"},
    {"AntiAliasRatio", "AntiAliasRatio"},
    {"ZFormats", "ZBuffer"},
    {"DitherAlpha", "DitherAlpha"},
    {"TableFogEnable", "TableFog"},
    {"WFogEnable", "WFog"},
    {"ZFogEnable", "ZFog"},
    {"enable4BitsSubPixel", "SubPixel"},
    // Both values show on one box: when both are present, the second decides.
    {"enableTextureCompression", "TextureCompression"},
    {"ExportCompressedTex", "TextureCompression"},
    {"EnableWaitUntilIdxTriList2", "EnableWaitUntilIdxTriList2"},
    {"Colorfill", "Colorfill"},
    {"SysMemBlts", "SysMemBlts"},
    {"VolTxEnable", "VolTxEnable"},
    {"ExportBumpMappedTex", "ExportBumpMappedTex"},
    {"ExportWBuffer", "ExportWBuffer"},
    {"EnableUntransformedInLocalMem", "EnableUntransformedInLocalMem"},
    {"Vsync", "Vsync"},
    {"UseAGP", "agp"},
    {"UseMMX", "mmx"},
    {"Use3DNow", "DNow"},
    {"UseKNI", "SSE"},
    {"UseMMXExt", "SSE2"},
    {"BlockWrite", "BlockWrite"},
    {"CacheBMP", "device"},
    {"DisableHyperZ", "DisableHyperZ"},
    {"DisableHierarchicalZ", "DisableHierarchicalZ"},
    {"FastZClearEnabled", "FastZClearEnabled"},
};
constexpr StartUpRead DalReads[] = {
    {"GCOOPTION_SlowerEdge", "GCOOPTION_SlowerEdge"},
    {"GCORULE_RMXSupport", "GCORULE_RMXSupport"},
};
constexpr StartUpRead OpenGLReads[] = {
    {"OGLConvertTextures32To16", "OGLConvertTextures32To16"},
    {"OGLDisableDitherWhenAlphaBlending", "OGLDisableDitherWhenAlphaBlending"},
    {"OGLEnableHWPageFlip", "OGLEnableHWPageFlip"},
    {"OGLEnableKTXBufferRegion", "OGLEnableKTXBufferRegion"},
    {"OGLForce16BitZBuffer", "OGLForce16BitZBuffer"},
    {"OGLEnableTextureCompression", "OGLEnableTextureCompression"},
    {"OGLTracing", "Tracing_Quality"},
    {"OGLWaitVerticalSync", "OGLWaitVerticalSync"},
    {"OGLSubPixelPrecision", "SubPixelC"},
    {"OGLMaxAnisotropy", "Anisotropic"},
    {"OGLEnableFullSceneAA", "OGLFSAA"},
    {"OGLLODBias", "DetailBias"},
};
constexpr StartUpKey StartUpKeys[] = {{Atidxhal, AtidxhalReads}, {Dal, DalReads}, {OpenGL, OpenGLReads}};

// By Mode: Button9, Button10, Button12, Button11.
constexpr std::string_view PresetMessages[] = {
    "レジストリの設定を｢緊急時専用設定｣にしました。",
    "レジストリの設定を｢ゲームに特化した設定｣にしました。",
    "レジストリの設定を｢ベンチマーク専用の設定｣にしました。",
    "レジストリの設定を｢ドライバインストール時の初期設定｣にしました。",
};

// Columns: Button9, Button10, Button12, Button11. Several names also belong to a box under
// another key (AntiAlias, TableFog, Use3DNow here are not the boxes' values).
constexpr PresetValue PresetValues[] = {
    {CU, PowerDeskUser, "ShowMeAllMatrox", NumberValue, {"1", "1", "1", "1"}},
    {CU, PowerDeskUser, "LaunchQuickDesk", NumberValue, {"1", "1", "1", "1"}},
    {LM, Monitor, "ForceDDC", TextValue, {"0", "0", "0", "0"}},
    {LM, Dac, "HicolorMode", TextValue, {"1", "1", "1", "1"}},
    {LM, Engine, "BusMastering", TextValue, {"0", "1", "1", "1"}},
    {LM, Engine, "PaletteSync", TextValue, {"1", "1", "1", "1"}},
    {LM, Gdi, "Circles", TextValue, {"1", "1", "1", "1"}},
    {LM, Gdi, "Rectangles", TextValue, {"1", "1", "1", "1"}},
    {LM, Gdi, "Ellipses", TextValue, {"1", "1", "1", "1"}},
    {LM, Gdi, "FontsCaching", TextValue, {"1", "1", "1", "1"}},
    {LM, Gdi, "AlternateFillPolygons", TextValue, {"1", "1", "1", "1"}},
    {LM, Gdi, "DeviceBitmapsCaching", TextValue, {"0", "1", "1", "1"}},
    {LM, DirectX, "MipMapping", TextValue, {"0", "1", "0", "1"}},
    {LM, DirectX, "Anisotropic", TextValue, {"0", "1", "0", "1"}},
    {LM, DirectX, "AntiAlias", TextValue, {"0", "1", "0", "1"}},
    {LM, DirectX, "TableFog", TextValue, {"0", "0", "0", "1"}},
    {LM, DirectX, "Fogging", TextValue, {"0", "1", "0", "1"}},
    {LM, Cpu, "AGP", TextValue, {"1", "1", "1", "1"}},
    {LM, Cpu, "MMX", TextValue, {"1", "1", "1", "1"}},
    {LM, Cpu, "Use3DNow", TextValue, {"1", "1", "1", "1"}},
    {LM, Cpu, "WriteCombining", TextValue, {"0", "1", "1", "1"}},
    {LM, Cpu, "AGPFlags", TextValue, {"0", "-1", "-1", "1"}},
    {LM, DirectX, "YUVFastBlit", TextValue, {"0", "1", "1", "1"}},
    {LM, DirectX, "YUVFiltering", TextValue, {"0", "1", "1", "1"}},
    {LM, DirectX, "D3DRendering", TextValue, {"0", "1", "1", "1"}},
    {LM, DirectX, "32BitZ", TextValue, {"0", "1", "1", "1"}},
    {LM, DirectX, "PalettizedTextures", TextValue, {"0", "0", "1", "1"}},
    {LM, DirectX, "UseTripleBuffering", TextValue, {"0", "1", "1", "1"}},
    {LM, DirectX, "IndeoAsYUV", TextValue, {"0", "1", "1", "1"}},
    {LM, DirectX, "CinepakAsYUV", TextValue, {"0", "1", "1", "1"}},
    {LM, DirectX, "FlipOnVBlank", TextValue, {"1", "1", "0", "1"}},
    {LM, DirectX, "AGPExecuteModel", TextValue, {"0", "1", "1", "1"}},
};

// Columns as above. AGPSpeed takes an item: Button11 selects "自動設定", whose code "1" is the
// AGPFlags value it has just stored, so what is stored and what is shown agree.
constexpr PresetControl PresetControls[] = {
    {"Powerdesk", {1, 1, 1, 1}},  {"DDC", {0, 0, 0, 0}},        {"Highcolor", {1, 1, 1, 1}},
    {"tasktrey", {1, 1, 1, 1}},   {"busmaster", {0, 1, 1, 1}},  {"Circles", {1, 1, 1, 1}},
    {"rect", {1, 1, 1, 1}},       {"Ellipses", {1, 1, 1, 1}},   {"fontcash", {1, 1, 1, 1}},
    {"porigon", {1, 1, 1, 1}},    {"device", {0, 1, 1, 1}},     {"Paletsync", {1, 1, 1, 1}},
    {"MIPMAP", {0, 1, 0, 1}},     {"TableFog", {0, 0, 0, 1}},   {"agp", {1, 1, 1, 1}},
    {"mmx", {1, 1, 1, 1}},        {"DNow", {1, 1, 1, 1}},       {"AGPSpeed", {0, 1, 1, 3}},
    {"fastbilt", {0, 1, 1, 1}},   {"filter", {0, 1, 1, 1}},     {"d3drender", {0, 1, 1, 1}},
    {"zbuff", {0, 1, 1, 1}},      {"palettized", {0, 0, 1, 1}}, {"triple", {0, 1, 1, 1}},
    {"indeo", {0, 1, 1, 1}},      {"cinepac", {0, 1, 1, 1}},    {"Vsync", {1, 1, 0, 1}},
    {"AGPExecute", {0, 1, 1, 1}},
};

constexpr RadeonLeValue RadeonLe[] = {{"DisableHyperZ", "0"}, {"DisableHierarchicalZ", "0"}};

} // namespace

std::span<const TwoStateSetting> twoStateSettings() {
    return TwoState;
}

std::span<const BoxGroupPlace> boxGroups() {
    return Groups;
}

const TwoStateSetting* findTwoState(std::string_view control) {
    const auto it = std::ranges::find(TwoState, control, &TwoStateSetting::control);
    return it == std::end(TwoState) ? nullptr : &*it;
}

const BoxGroupPlace& boxGroup(BoxGroup id) {
    return *std::ranges::find(Groups, id, &BoxGroupPlace::id);
}

Rect boxGeometry(const TwoStateSetting& row) {
    int index = 0;
    for (const auto& other : TwoState) {
        if (&other == &row)
            break;
        index += other.group == row.group;
    }
    const BoxGroupPlace& group = boxGroup(row.group);
    if (group.name.empty())
        return {group.geometry.left, group.geometry.top + index * BoxPitch, group.geometry.width, BoxHeight};
    // MIPMAP stands below its group, out of sight like the groups beyond the page's edge.
    const int top = row.control == "MIPMAP" ? BelowPages : 16 + index * BoxPitch;
    // Each box reaches its group's right edge, so that the longer captions are not cut short.
    return {8, top, group.geometry.width - 8, BoxHeight};
}

std::span<const ChoiceGroup> choiceGroups() {
    return ListGroups;
}

std::span<const ChoiceList> choiceLists() {
    return Lists;
}

const ChoiceList* findChoiceList(std::string_view control) {
    const auto it = std::ranges::find(Lists, control, &ChoiceList::control);
    return it == std::end(Lists) ? nullptr : &*it;
}

int itemForText(const ChoiceList& list, std::string_view text) {
    for (std::size_t i = 0; i < list.items.size(); ++i)
        if (list.items[i].storedText == text)
            return static_cast<int>(i);
    return -1;
}

int itemForNumber(const ChoiceList& list, std::int32_t number) {
    for (std::size_t i = 0; i < list.items.size(); ++i)
        if (list.items[i].storedNumber == number)
            return static_cast<int>(i);
    return list.otherNumberItem;
}

const RadioSetting& agpSpeedSetting() {
    return AgpSpeed;
}

std::span<const StartUpKey> startUpKeys() {
    return StartUpKeys;
}

std::string_view presetMessage(Mode mode) {
    return PresetMessages[static_cast<std::size_t>(mode)];
}

std::span<const PresetValue> presetValues() {
    return PresetValues;
}

std::span<const PresetControl> presetControls() {
    return PresetControls;
}

std::span<const RadeonLeValue> radeonLeValues() {
    return RadeonLe;
}

} // namespace kv
