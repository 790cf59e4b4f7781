#include "SettingsCatalogue.h"

#include "Message.h"

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
    {"agp", QT_TRANSLATE_NOOP("SettingsCatalogue", "AGPを使用"), G::System, LM, Atidxhal, "UseAGP", {}, {}, TextValue, ReadText, QT_TRANSLATE_NOOP("SettingsCatalogue", "AGPを使用する。"), "agpClick"},
    {"mmx", QT_TRANSLATE_NOOP("SettingsCatalogue", "MMXの使用"), G::System, LM, Atidxhal, "UseMMX", {}, {}, TextValue, ReadText, QT_TRANSLATE_NOOP("SettingsCatalogue", "MMXを使用する。"), "mmxClick"},
    {"DNow", QT_TRANSLATE_NOOP("SettingsCatalogue", "3D Now!の使用"), G::System, LM, Atidxhal, "Use3DNow", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "3DNow!を使用する。(K6-2/K6-III/WinChip2のみの設定)"), "DNowClick"},
    {"SSE", QT_TRANSLATE_NOOP("SettingsCatalogue", "SSEの使用"), G::System, LM, Atidxhal, "UseKNI", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "SSEを使用する。(PentiumⅢのみの設定)"), "SSEClick"},
    {"SSE2", QT_TRANSLATE_NOOP("SettingsCatalogue", "SSE2の使用"), G::System, LM, Atidxhal, "UseMMXExt", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "SSE2を使用する。(Pentium４のみの設定)"), "SSE2Click"},
    {"BlockWrite", QT_TRANSLATE_NOOP("SettingsCatalogue", "結合書き込みの使用"), G::System, LM, Atidxhal, "BlockWrite", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "結合書き込みを使用する。"), "BlockWriteClick"},
    {"device", QT_TRANSLATE_NOOP("SettingsCatalogue", "DeviceBitmapsをキャッシング"), G::System, LM, Atidxhal, "CacheBMP", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "DeviceBitmapsをキャッシング"), "deviceClick"},
    {"FastZClearEnabled", QT_TRANSLATE_NOOP("SettingsCatalogue", "Zバッファを高速にクリアする"), G::System, LM, Atidxhal, "FastZClearEnabled", {}, {}, TextValue, ReadText,
     {}, "FastZClearEnabledClick"},
    {"GCOOPTION_SlowerEdge", QT_TRANSLATE_NOOP("SettingsCatalogue", "縁をスムーズにする"), G::System, LM, Dal, "GCOOPTION_SlowerEdge", {}, {}, NumberValue, ReadNumber,
     {}, "GCOOPTION_SlowerEdgeClick"},
    {"GCORULE_RMXSupport", QT_TRANSLATE_NOOP("SettingsCatalogue", "画像をパネルの大きさに合わせる"), G::System, LM, Dal, "GCORULE_RMXSupport", {}, {}, NumberValue, ReadNumber,
     {}, "GCORULE_RMXSupportClick"},
    {"DisableHyperZ", QT_TRANSLATE_NOOP("SettingsCatalogue", "HyperZを使用しない"), G::System, LM, Atidxhal, "DisableHyperZ", {}, {}, TextValue, ReadText,
     {}, "DisableHyperZClick"},
    {"DisableHierarchicalZ", QT_TRANSLATE_NOOP("SettingsCatalogue", "HierarchicalZを使用しない"), G::System, LM, Atidxhal, "DisableHierarchicalZ", {}, {}, TextValue, ReadText,
     {}, "DisableHierarchicalZClick"},
    {"MAXXMode", QT_TRANSLATE_NOOP("SettingsCatalogue", "Dualチップモードを使用する"), G::System, LM, Atidxhal, "MAXXMode", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Radeon MAXXのDualチップモードを使用する。"), "MAXXModeClick"},

    // Radeonエンジン, 各種エンジン設定
    {"TCL", QT_TRANSLATE_NOOP("SettingsCatalogue", "TCLエンジン"), G::Engine, LM, Atidxhal, "TCL", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "ハードウェアでTransform,Cliping,Lightingを使用する。"), "TCLClick"},
    {"UCEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "UCエンジン"), G::Engine, LM, Atidxhal, "UCEngine", {}, {}, TextValue, ReadText, {}, "UCEngineClick"},
    {"ROEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "ROエンジン"), G::Engine, LM, Atidxhal, "ROEngine", {}, {}, TextValue, ReadText, {}, "ROEngineClick"},
    {"BltEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "Bltエンジン"), G::Engine, LM, Atidxhal, "BltEngine", {}, {}, TextValue, ReadText, {}, "BltEngineClick"},
    {"TxtEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "Txtエンジン"), G::Engine, LM, Atidxhal, "TxtEngine", {}, {}, TextValue, ReadText, {}, "TxtEngineClick"},
    {"OutEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "Outエンジン"), G::Engine, LM, Atidxhal, "OutEngine", {}, {}, TextValue, ReadText, {}, "OutEngineClick"},
    {"PixEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "Pixエンジン"), G::Engine, LM, Atidxhal, "PixEngine", {}, {}, TextValue, ReadText, {}, "PixEngineClick"},
    {"Dib2DevEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "Dib2Devエンジン"), G::Engine, LM, Atidxhal, "Dib2DevEngine", {}, {}, TextValue, ReadText,
     {}, "Dib2DevEngineClick"},
    {"DibBltEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "DibBltエンジン"), G::Engine, LM, Atidxhal, "DibBltEngine", {}, {}, TextValue, ReadText,
     {}, "DibBltEngineClick"},
    {"StretchEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "Stretchエンジン"), G::Engine, LM, Atidxhal, "StretchEngine", {}, {}, TextValue, ReadText,
     {}, "StretchEngineClick"},
    {"StretchDibEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "StretchDibエンジン"), G::Engine, LM, Atidxhal, "StretchDibEngine", {}, {}, TextValue, ReadText,
     {}, "StretchDibEngineClick"},
    {"BmbEngine", QT_TRANSLATE_NOOP("SettingsCatalogue", "Bmbエンジン"), G::Engine, LM, Atidxhal, "BmbEngine", {}, {}, TextValue, ReadText, {}, "BmbEngineClick"},

    // Radeonエンジン, below the groups. It stores the value GCOOPTION_SlowerEdge shows, but
    // start-up leaves it unchecked and neither box follows the other.
    {"SlowerEdge", QT_TRANSLATE_NOOP("SettingsCatalogue", "シャドウマスク管用画質調整"), G::EngineSheet, LM, Dal, "GCOOPTION_SlowerEdge", {}, {}, NumberValue, NotRead,
     {}, "SlowerEdgeClick"},

    // Direct3D 設定, Direct3D設定
    {"TextureCompression", QT_TRANSLATE_NOOP("SettingsCatalogue", "テクスチャ圧縮使用"), G::D3DFilter, LM, Atidxhal, "enableTextureCompression", "ExportCompressedTex", {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "テクスチャ圧縮を使うかどうかの設定"), "TextureCompressionClick", Special::TextureCompression},
    {"EnableWaitUntilIdxTriList2", "Wait for Dx Trilist 2nd Pass", G::D3DFilter, LM, Atidxhal, "EnableWaitUntilIdxTriList2", {}, {}, TextValue, ReadText,
     {}, "EnableWaitUntilIdxTriList2Click"},
    {"Colorfill", QT_TRANSLATE_NOOP("SettingsCatalogue", "Colorfillを有効にする。"), G::D3DFilter, LM, Atidxhal, "Colorfill", {}, {}, TextValue, ReadText,
     {}, "ColorfillClick"},
    {"SysMemBlts", QT_TRANSLATE_NOOP("SettingsCatalogue", "Bltにシステムメモリーを使用"), G::D3DFilter, LM, Atidxhal, "SysMemBlts", {}, {}, TextValue, ReadText,
     {}, "SysMemBltsClick"},
    {"VolTxEnable", QT_TRANSLATE_NOOP("SettingsCatalogue", "Volumeテクスチャを使用する"), G::D3DFilter, LM, Atidxhal, "VolTxEnable", {}, {}, TextValue, ReadText,
     {}, "VolTxEnableClick"},
    {"ExportBumpMappedTex", QT_TRANSLATE_NOOP("SettingsCatalogue", "BumpMappingを有効にする。"), G::D3DFilter, LM, Atidxhal, "ExportBumpMappedTex", {}, {}, TextValue, ReadText,
     {}, "ExportBumpMappedTexClick"},
    {"ExportWBuffer", QT_TRANSLATE_NOOP("SettingsCatalogue", "WBufferを出力する。"), G::D3DFilter, LM, Atidxhal, "ExportWBuffer", {}, {}, TextValue, ReadText,
     {}, "ExportWBufferClick"},
    {"EnableUntransformedInLocalMem", QT_TRANSLATE_NOOP("SettingsCatalogue", "ローカルメモリーを変換しない。"), G::D3DFilter, LM, Atidxhal, "EnableUntransformedInLocalMem", {}, {}, TextValue, ReadText,
     {}, "EnableUntransformedInLocalMemClick"},
    {"TableFog", QT_TRANSLATE_NOOP("SettingsCatalogue", "Table Fogフィルタ"), G::D3DFilter, LM, Atidxhal, "TableFogEnable", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Table Fogフィルタを使うかどうかの設定"), "TableFogClick"},
    {"WFog", QT_TRANSLATE_NOOP("SettingsCatalogue", "WFogフィルタ"), G::D3DFilter, LM, Atidxhal, "WFogEnable", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "W Fogフォルタを使用する"), "WFogClick"},
    {"ZFog", QT_TRANSLATE_NOOP("SettingsCatalogue", "ZFogフィルタ"), G::D3DFilter, LM, Atidxhal, "ZFogEnable", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Z Fogフィルタを使うかどうかの設定"), "ZFogClick"},
    {"SubPixel", QT_TRANSLATE_NOOP("SettingsCatalogue", "4BitSubPixelフィルタ"), G::D3DFilter, LM, Atidxhal, "enable4BitsSubPixel", {}, {}, TextValue, ReadText,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "4BitのSubPixelフィルタを使うかどうかの設定"), "SubPixelClick"},
    {"Vsync", QT_TRANSLATE_NOOP("SettingsCatalogue", "V-Syncを使用する"), G::D3DFilter, LM, DirectX, "FlipOnVBlank", "Vsync", Atidxhal, TextValue, ReadText,
     {}, "vsyncClick", Special::Vsync},
    {"FullSceneAA", QT_TRANSLATE_NOOP("SettingsCatalogue", "FullSceneAAフィルタ"), G::D3DFilter, LM, Atidxhal, "AntiAlias", "AntiAliasRatio", {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "FullSceneAntiAliasを使うかどうかの設定"), "FullSceneAAClick", Special::FullSceneAA},
    {"MIPMAP", QT_TRANSLATE_NOOP("SettingsCatalogue", "Mip Mappingフィルタ"), G::D3DFilter, LM, DirectX, "MipMapping", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Mip Mappingフィルタ使用するか"), "MIPMAPClick"},

    // Direct3D 設定, DirectX関連の諸設定
    {"fastbilt", QT_TRANSLATE_NOOP("SettingsCatalogue", "高速転送を使用する"), G::D3DGen, LM, DirectX, "YUVFastBlit", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "高速転送を使用する。"), "fastbiltClick"},
    {"filter", QT_TRANSLATE_NOOP("SettingsCatalogue", "拡大表示時にフィルタリングを行う"), G::D3DGen, LM, DirectX, "YUVFiltering", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "拡大表示時にフィルタリングを行う"), "filterClick"},
    {"d3drender", QT_TRANSLATE_NOOP("SettingsCatalogue", "Direct3Dでレンダリングをする"), G::D3DGen, LM, DirectX, "D3DRendering", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Direct3Dでレンダリングをする"), "d3drenderClick"},
    {"zbuff", QT_TRANSLATE_NOOP("SettingsCatalogue", "深度32BitのZBufferを使用する"), G::D3DGen, LM, DirectX, "32BitZ", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "32Bitカラー時、ZBufferを16Bitか32Bitにするかの設定"), "zbuffClick"},
    {"palettized", QT_TRANSLATE_NOOP("SettingsCatalogue", "テクスチャパレットを有効にする"), G::D3DGen, LM, DirectX, "PalettizedTextures", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Palettized Texturesを有効にする"), "palettizedClick"},
    {"triple", QT_TRANSLATE_NOOP("SettingsCatalogue", "トリプルバッファリングを使用"), G::D3DGen, LM, DirectX, "UseTripleBuffering", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "トリプルバッファを使用する。"), "tripleClick"},
    {"indeo", QT_TRANSLATE_NOOP("SettingsCatalogue", "Indeoムービーを拡大表示"), G::D3DGen, LM, DirectX, "IndeoAsYUV", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Indeoビデオ再生時拡大表示に対応させる"), "indeoClick"},
    {"cinepac", QT_TRANSLATE_NOOP("SettingsCatalogue", "Cinepakムービーを拡大表示"), G::D3DGen, LM, DirectX, "CinepakAsYUV", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Cinepacビデオ再生時拡大表示に対応させる"), "cinepacClick"},
    {"AGPExecute", QT_TRANSLATE_NOOP("SettingsCatalogue", "AGP ExecuteModelを使用する。"), G::D3DGen, LM, DirectX, "AGPExecuteModel", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "システムメモリの一部をAGPのテクスチャとして割り当てます。"), "AGPExecuteClick"},

    // OpenGL 設定, OpenGL設定
    {"Tracing_Quality", "Tracing", G::OpenGL, LM, OpenGL, "OGLTracing", {}, {}, NumberValue, ReadNumber,
     {}, "Tracing_QualityClick"},
    {"OGLConvertTextures32To16", QT_TRANSLATE_NOOP("SettingsCatalogue", "32ビットテクスチャを16ビットに変換する。"), G::OpenGL, LM, OpenGL, "OGLConvertTextures32To16", {}, {}, NumberValue, ReadNumber,
     {}, "OGLConvertTextures32To16Click"},
    {"OGLDisableDitherWhenAlphaBlending", QT_TRANSLATE_NOOP("SettingsCatalogue", "アルファブレンド時のディザを無効にする。"), G::OpenGL, LM, OpenGL, "OGLDisableDitherWhenAlphaBlending", {}, {}, NumberValue, ReadNumber,
     {}, "OGLDisableDitherWhenAlphaBlendingClick"},
    {"OGLEnableHWPageFlip", QT_TRANSLATE_NOOP("SettingsCatalogue", "ページフリッピングを有効にする。"), G::OpenGL, LM, OpenGL, "OGLEnableHWPageFlip", {}, {}, NumberValue, ReadNumber,
     {}, "OGLEnableHWPageFlipClick"},
    {"OGLEnableKTXBufferRegion", QT_TRANSLATE_NOOP("SettingsCatalogue", "KTXバッファ領域拡張を有効にする。"), G::OpenGL, LM, OpenGL, "OGLEnableKTXBufferRegion", {}, {}, NumberValue, ReadNumber,
     {}, "OGLEnableKTXBufferRegionClick"},
    {"OGLForce16BitZBuffer", QT_TRANSLATE_NOOP("SettingsCatalogue", "16ビットZバッファを使用する。"), G::OpenGL, LM, OpenGL, "OGLForce16BitZBuffer", {}, {}, NumberValue, ReadNumber,
     {}, "OGLForce16BitZBufferClick"},
    {"OGLEnableTextureCompression", QT_TRANSLATE_NOOP("SettingsCatalogue", "テクスチャ圧縮を有効にする。"), G::OpenGL, LM, OpenGL, "OGLEnableTextureCompression", {}, {}, NumberValue, ReadNumber,
     {}, "OGLEnableTextureCompressionClick"},
    {"OGLWaitVerticalSync", QT_TRANSLATE_NOOP("SettingsCatalogue", "垂直同期を待つを有効にする。"), G::OpenGL, LM, OpenGL, "OGLWaitVerticalSync", {}, {}, NumberValue, ReadNumber,
     {}, "OGLWaitVerticalSyncClick"},

    // レジストリ, 一般設定
    {"Powerdesk", QT_TRANSLATE_NOOP("SettingsCatalogue", "PowerDeskに裏設定を表示させる"), G::General, CU, PowerDeskUser, "ShowMeAllMatrox", {}, {}, NumberValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "PowerdeskにAdvancedSettingを表示させる。"), "PowerdeskClick"},
    {"DDC", QT_TRANSLATE_NOOP("SettingsCatalogue", "DDCの影響を強くする"), G::General, LM, Monitor, "ForceDDC", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "PowerDeskのMonitorの設定を無効にする。"), "DDCClick"},
    {"Highcolor", QT_TRANSLATE_NOOP("SettingsCatalogue", "ハイカラーモード"), G::General, LM, Dac, "HicolorMode", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "ハイカラーモードを有効にする。"), "HighcolorClick"},
    {"tasktrey", QT_TRANSLATE_NOOP("SettingsCatalogue", "タスクトレイにQuickDeskを常駐。"), G::General, CU, PowerDeskUser, "LaunchQuickDesk", {}, {}, NumberValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "タスクトレイにQuickdeskを常駐するかどうかの設定"), "tasktreyClick"},
    {"busmaster", QT_TRANSLATE_NOOP("SettingsCatalogue", "バス マスタリングを行う"), G::General, LM, Engine, "BusMastering", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "バスマスター転送を使用(通常はOnのままで使用)"), "busmasterClick"},

    // レジストリ, 2D(GDI)の設定
    {"Circles", QT_TRANSLATE_NOOP("SettingsCatalogue", "円の描画"), G::Gdi, LM, Gdi, "Circles", {}, {}, TextValue, NotRead, QT_TRANSLATE_NOOP("SettingsCatalogue", "円の描画を高速化させる。"), "CirclesClick"},
    {"rect", QT_TRANSLATE_NOOP("SettingsCatalogue", "長方形の描画"), G::Gdi, LM, Gdi, "Rectangles", {}, {}, TextValue, NotRead, QT_TRANSLATE_NOOP("SettingsCatalogue", "長方形の描画を高速化させる。"), "rectClick"},
    {"Ellipses", QT_TRANSLATE_NOOP("SettingsCatalogue", "長円､楕円の描画"), G::Gdi, LM, Gdi, "Ellipses", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "長円､楕円の描画を高速化させる。"), "EllipsesClick"},
    {"fontcash", QT_TRANSLATE_NOOP("SettingsCatalogue", "フォントをキャッシュリングする"), G::Gdi, LM, Gdi, "FontsCaching", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "フォントをキャッシングさせて高速にテキストを扱う。"), "fontcashClick"},
    {"porigon", QT_TRANSLATE_NOOP("SettingsCatalogue", "ポリゴンの描画を高速化する"), G::Gdi, LM, Gdi, "AlternateFillPolygons", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "ポリゴンの描画を高速化する"), "porigonClick"},
    {"Paletsync", QT_TRANSLATE_NOOP("SettingsCatalogue", "パレットを同期させる"), G::Gdi, LM, Engine, "PaletteSync", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "グラフィックメモリーに書き込むパレットを同期させる。"), "PaletsyncClick"},

    // レジストリ, directly on the page
    {"dithering", QT_TRANSLATE_NOOP("SettingsCatalogue", "ディザリングを有効にする"), G::RegistrySheet, LM, PowerDeskMachine, "ColorDithering", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "ディザリングを有効にする。"), "ditheringClick"},
    {"cirsor", QT_TRANSLATE_NOOP("SettingsCatalogue", "カーソルの形を同期させる"), G::RegistrySheet, LM, PowerDeskMachine, "CursorShapeSync", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "カーソルの形を同期させる。"), "cirsorClick"},
    {"TVout", QT_TRANSLATE_NOOP("SettingsCatalogue", "TV Outを使用する。"), G::RegistrySheet, LM, PowerDeskMachine, "TVOutput", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Mystique G200､Marvel G200専用の設定。TV Out機能を使用するかの設定"), "TVoutClick"},
    {"toc", QT_TRANSLATE_NOOP("SettingsCatalogue", "テクスチャを圧縮して使用"), G::RegistrySheet, LM, DirectX, "SplitMode", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "テクスチャを圧縮して使用"), "tocClick"},
    // Without a leading "\": a fresh accessor takes it from the root, the same key as above.
    {"VirtualDesk", QT_TRANSLATE_NOOP("SettingsCatalogue", "仮想デスクトップを使用"), G::RegistrySheet, LM, "Software\\Matrox\\PowerDesk\\Current Settings", "Win98 Virtual", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "Windows98使用時仮想デスクトップを使用するかどうか？(PowerDesk Ver.4.51以降)"), "VirtualDeskClick"},
    {"AnalogJoy", QT_TRANSLATE_NOOP("SettingsCatalogue", "アナログジョイスティック対応"), G::RegistrySheet, LM, "\\Tessel soft\\Pellam Utility", "Analog Joystick", {}, {}, TextValue, NotRead,
     QT_TRANSLATE_NOOP("SettingsCatalogue", "アナログジョイスティックを使用する。"), "AnalogJoyClick"},
};

constexpr BoxGroupPlace Groups[] = {
    {G::System, Sheet::Engine, "System", QT_TRANSLATE_NOOP("SettingsCatalogue", "システム設定"), {0, 8, 233, 228}},
    {G::Engine, Sheet::Engine, "Engine", QT_TRANSLATE_NOOP("SettingsCatalogue", "各種エンジン設定"), {240, 8, 161, 228}},
    {G::EngineSheet, Sheet::Engine, {}, {}, {8, 248, 185, BoxHeight}},
    {G::D3DFilter, Sheet::Direct3D, "D3DFilter", QT_TRANSLATE_NOOP("SettingsCatalogue", "Direct3D設定"), {0, 8, 190, 249}},
    {G::D3DGen, Sheet::Direct3D, "D3DGen", QT_TRANSLATE_NOOP("SettingsCatalogue", "DirectX関連の諸設定"), {OutOfSight, 8, 233, 169}},
    {G::OpenGL, Sheet::OpenGL, "GroupBox1", QT_TRANSLATE_NOOP("SettingsCatalogue", "OpenGL設定"), {0, 8, 409, 153}},
    {G::General, Sheet::Registry, "General", QT_TRANSLATE_NOOP("SettingsCatalogue", "一般設定"), {OutOfSight, 8, 233, 105}},
    {G::Gdi, Sheet::Registry, "Gdi", QT_TRANSLATE_NOOP("SettingsCatalogue", "2D(GDI)の設定"), {OutOfSight, 120, 233, 121}},
    {G::RegistrySheet, Sheet::Registry, {}, {}, {OutOfSight + 8, 256, 300, BoxHeight}},
};

constexpr ChoiceItem AntiAliasItems[] = {
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "アプリケーションに依存する"), "1", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "常に使用する"), "2", 0},
};
constexpr ChoiceItem AntiAliasRatioItems[] = {
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "２ サンプル"), "384", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "４ サンプル"), "512", 0},
};
// Each code sums 1 (16-bit), 2 (24-bit), 4 (8-bit stencil) and 8 (32-bit) over what the item names.
constexpr ChoiceItem ZBufferItems[] = {
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "16 ビット"), "1", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "16 , 24 ビット"), "3", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "16 , 24 ビット + 8ビットステンシル"), "7", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "16 , 24 , 32 ビット"), "11", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "16 , 24 , 32 ビット + 8Bitステンシル"), "15", 0},
};
constexpr ChoiceItem DitherAlphaItems[] = {
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "なし"), "2", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "指定されたディザを使用する。"), "1", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "エラー拡散ディザを使用する。"), "0", 0},
};
constexpr ChoiceItem SubPixelItems[] = {{"2", {}, 2}, {"4", {}, 4}};
constexpr ChoiceItem AnisotropicItems[] = {
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "使用しない"), {}, 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "高品質"), {}, 4},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "最高品質"), {}, 16},
};
constexpr ChoiceItem OglFsaaItems[] = {
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "無効"), {}, 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "２ サンプル"), {}, 1},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "４ サンプル"), {}, 2},
};
constexpr ChoiceItem AgpSpeedItems[] = {
    {"AGP 1x", "0", 0},
    {"AGP 2x", "-1", 0},
    {"AGP 4x", "-2", 0},
    {QT_TRANSLATE_NOOP("SettingsCatalogue", "自動設定"), "1", 0},
};

constexpr ChoiceGroup ListGroups[] = {
    {"AntiAliasGroup", QT_TRANSLATE_NOOP("SettingsCatalogue", "フルシーン アンチ エイリアス設定"), Sheet::Direct3D, {192, 8, 217, 73}},
    {"ZBufferGroup", QT_TRANSLATE_NOOP("SettingsCatalogue", "Zバッファ設定"), Sheet::Direct3D, {192, 88, 217, 49}},
    {"DitherAlphaGroup", QT_TRANSLATE_NOOP("SettingsCatalogue", "ディザアルファの方式設定"), Sheet::Direct3D, {193, 143, 217, 49}},
    {"SubPixelGroup", QT_TRANSLATE_NOOP("SettingsCatalogue", "SubPixel 設定"), Sheet::OpenGL, {0, 168, 201, 49}},
    {"AnisotropicGroup", QT_TRANSLATE_NOOP("SettingsCatalogue", "異方性テクスチャフィルタリング設定"), Sheet::OpenGL, {208, 168, 201, 49}},
    {"FullSceneAAGroup", QT_TRANSLATE_NOOP("SettingsCatalogue", "フルシーンアンチエイリアスの設定"), Sheet::OpenGL, {208, 224, 201, 49}},
    {"DetailBiasGroup", QT_TRANSLATE_NOOP("SettingsCatalogue", "描画の細かさのレベル設定"), Sheet::OpenGL, {0, 224, 201, 65}},
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

constexpr RadioGroup AgpSpeed{"AGPSpeed",
                              "AGPSpeedClick",
                              QT_TRANSLATE_NOOP("SettingsCatalogue", "AGPの速度設定"),
                              QT_TRANSLATE_NOOP("SettingsCatalogue", "AGPの速度を決定する。(Socket7ユーザーで動作が不安定な人は1xでご使用ください)"),
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

constexpr PresetButton Presets[] = {
    {Mode::Emergency, "Button9", "Button9Click", QT_TRANSLATE_NOOP("SettingsCatalogue", "レジストリの設定を｢緊急時専用設定｣にしました。")},
    {Mode::Game, "Button10", "Button10Click", QT_TRANSLATE_NOOP("SettingsCatalogue", "レジストリの設定を｢ゲームに特化した設定｣にしました。")},
    {Mode::Benchmark, "Button12", "Button12Click", QT_TRANSLATE_NOOP("SettingsCatalogue", "レジストリの設定を｢ベンチマーク専用の設定｣にしました。")},
    {Mode::Default, "Button11", "Button11Click",
     QT_TRANSLATE_NOOP("SettingsCatalogue", "レジストリの設定を｢ドライバインストール時の初期設定｣にしました。")},
};
// clang-format on

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

const RadioGroup& agpSpeed() {
    return AgpSpeed;
}

std::span<const StartUpKey> startUpKeys() {
    return StartUpKeys;
}

std::span<const PresetButton> presetButtons() {
    return Presets;
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
