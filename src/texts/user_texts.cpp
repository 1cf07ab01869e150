#include "texts/user_texts.h"

#include <cstddef>
#include <iterator>

namespace trevalon {
namespace {

// One entry in its three versions. `id` is stored with the entry so that the table can be
// checked against the enum at compile time: an entry left out, added twice or put in the
// wrong place stops the build instead of showing the wrong message.
struct TxtEntry {
  Txt id;
  const char* name;
  const char* en;
  const char* ko;
  const char* ja;
};

// Ties an entry's name to its enumerator so that the two cannot drift apart.
#define TREVALON_TXT(id) Txt::id, #id

// Entries that exist only in Korean carry the same Korean text in the English and the
// Korean column.
constexpr TxtEntry kTexts[] = {
    // ---- Message boxes shared by every subsystem ---------------------------------------
    {TREVALON_TXT(CannotOpenFile), " Can not open file !!.\n", " 파일을 열 수 없습니다 !!.\n",
     " ファイルを開けません !!.\n"},
    {TREVALON_TXT(ErrorMessage), "Error message", "에러 메시지", "エラーメッセージ"},
    {TREVALON_TXT(KorvoMessage), "Korvo message", "Korvo 메시지", "Korvo メッセージ"},
    {TREVALON_TXT(OptimizerMessage), "Optimizer message", "옵티마이저 메시지",
     "オプティマイザ メッセージ"},
    {TREVALON_TXT(OptimizerMessageSpaced), " Optimizer message ", " 옵티마이저 메시지 ",
     " オプティマイザ メッセージ "},
    {TREVALON_TXT(Message), " Message", " 메시지", " メッセージ"},

    // ---- Point store and layers ---------------------------------------------------------
    // Our rule: the question and the refusals below are shown by the command-line tool as well,
    // where an English reader must understand them, so they have an English version.
    {TREVALON_TXT(LayerToolMismatch),
     " The source layer and the target layer use different tools. \n Do you want to go on?!!!",
     " Source layer와 target layer의 공구가 같지않습니다. \n 작업을 진행하겠습니까!!!",
     " ソースレイヤーとターゲットレイヤーの工具が一致しません。 \n 作業を続行しますか!!!"},
    {TREVALON_TXT(PointStoreFull),
     " Toolpath memory is full !!.\n The program was read up to this point.",
     " 공구경로 메모리가 가득 찼습니다 !!.\n 이 지점까지만 읽었습니다.",
     " 工具経路メモリがいっぱいです !!.\n この位置まで読み込みました。"},

    // ---- NC program writer --------------------------------------------------------------
    {TREVALON_TXT(CannotOutputIncrementalAsHeidenhain),
     " Incremental ncdata cannot be written as a Heidenhain program.!!!",
     " Incremental ncdata를 하이덴하인으로 출력할 수 없습니다.!!!",
     " インクリメンタルのNCデータはハイデンハイン形式で出力できません!!!"},
    {TREVALON_TXT(DiagonalRapidFound), " A rapid that moves diagonally has been found!!!.",
     " 사선으로 이동 되는 급속이송이 발견 되었습니다!!!.",
     " 斜めに移動する早送りが見つかりました!!!"},
    {TREVALON_TXT(ConfirmStop), " Stop here?", " 중지 하겠습니까?", " 中止しますか?"},
    {TREVALON_TXT(VerifyFailed),
     " The program read back from %s does not match the toolpath: %llu difference(s) among "
     "%llu moves compared.\n First difference: %s\n The file is kept for inspection.",
     " %s 파일을 다시 읽으니 공구경로와 %llu곳이 다릅니다 (비교한 이동 %llu개).\n 첫 차이: %s\n "
     "파일은 확인할 수 있도록 그대로 두었습니다.",
     " %s を読み戻すと工具経路と %llu 箇所が異なります (比較した移動 %llu 個)。\n 最初の違い: "
     "%s\n ファイルは確認用にそのまま残しました。"},
    {TREVALON_TXT(VerifyCannotRead), " The program just written to %s cannot be read back.",
     " 방금 쓴 %s 파일을 다시 읽을 수 없습니다.", " 書き込んだ %s を読み戻せません。"},
    {TREVALON_TXT(VerifyPassed), "Verified: %llu moves read back as written",
     "검증 완료: 이동 %llu개가 쓴 그대로 읽힙니다",
     "検証済み: %llu 個の移動が書いた通りに読めます"},
    {TREVALON_TXT(VerifyPartial), " (up to where the output stopped)", " (출력을 중지한 곳까지)",
     " (出力を中止した所まで)"},
    {TREVALON_TXT(VerifyRecord), "record %u", "레코드 %u", "レコード %u"},
    {TREVALON_TXT(VerifyLayerRecord), "layer %d, record %u", "레이어 %d, 레코드 %u",
     "レイヤー %d、レコード %u"},
    {TREVALON_TXT(VerifyExpectedRead), "%s: expected %s, read %s", "%s: 원래 %s, 읽은 것 %s",
     "%s: 元 %s、読み戻し %s"},
    {TREVALON_TXT(VerifyNothing), "nothing", "없음", "なし"},
    {TREVALON_TXT(VerifyAfterWriting),
     "Read the written program back and compare it with the toolpath",
     "쓴 프로그램을 다시 읽어 공구경로와 비교합니다",
     "書いたプログラムを読み戻して工具経路と比較します"},

    // ---- Post-processor -----------------------------------------------------------------
    {TREVALON_TXT(EnterValue), "값을   입력하시요 !!", "값을   입력하시요 !!",
     "値を入力してください !!"},

    // ---- Cutting conditions -------------------------------------------------------------
    {TREVALON_TXT(LmxToolDiameter), "공구직경 ", "공구직경 ", "工具直径 "},
    {TREVALON_TXT(LmxSafetyDistance), "안전거리 ", "안전거리 ", "安全距離 "},
    {TREVALON_TXT(LmxCornerMinAngle), "코너최소각도 ", "코너최소각도 ", "コーナー最小角度 "},
    {TREVALON_TXT(LmxCornerMaxReduction), "코너최대감속비 ", "코너최대감속비 ",
     "コーナー最大減速比 "},
    {TREVALON_TXT(LmxSlopeMinAngle), "경사최소각도 ", "경사최소각도 ", "傾斜最小角度 "},
    {TREVALON_TXT(LmxSlopeMaxReduction), "경사최대감속비 ", "경사최대감속비 ", "傾斜最大減速比 "},
    {TREVALON_TXT(LmxMaxFeed), "최대피드 ", "최대피드 ", "最大Feed "},
    {TREVALON_TXT(LmxMaterial), "가공소재 ", "가공소재 ", "加工素材 "},
    {TREVALON_TXT(ConditionFileButton), "가공조건 화일 :", "가공조건 화일 :", "加工条件ファイル :"},
    {TREVALON_TXT(DegreeWeight), "도 가중치", "도 가중치", "度の重み"},

    // ---- Master model -------------------------------------------------------------------
    {TREVALON_TXT(DeleteMasterModel), " Do you want master model? ",
     " 마스터 모델을 삭제하겠습니까? ", " マスターモデルを削除しますか? "},
    {TREVALON_TXT(CannotAllocateMemory), "Memory를 할당할 수 없습니다!!!",
     "Memory를 할당할 수 없습니다!!!", "メモリを割り当てられません!!!"},
    {TREVALON_TXT(NotExistMasterModel), " Not exist master model.\r\n Create or load master model",
     " 마스터 모델이 없습니다.\r\n 마스터 모델을 생성하거나 불러오십시오",
     " マスターモデルがありません。\r\n マスターモデルを作成するか読み込んでください"},
    {TREVALON_TXT(Mesh10x10), " 10X10 Mesh ", " 10X10 Mesh ", " 10X10 Mesh "},

    // ---- Feed optimiser and feed changes ------------------------------------------------
    {TREVALON_TXT(MmaFile), "MMA : ", "MMA : ", "MMA : "},
    {TREVALON_TXT(MmaFileNone), "MMA :", "MMA :", "MMA :"},
    {TREVALON_TXT(ChangeFeed), "Change Feed", "피드 변경", "フィード変更"},
    {TREVALON_TXT(MaxFeed), "Max feed", "최대 피드", "最大フィード"},
    {TREVALON_TXT(CncWeight), "CNC 가중치", "CNC 가중치", "CNC 重み"},
    {TREVALON_TXT(ConfirmFeedChange), "Do you want feed chagne?", "피드를 변경하겠습니까?",
     "フィードを変更しますか?"},
    {TREVALON_TXT(OptimizerProgress), " Feed Optimizer %u / %u", " 피드 최적화 %u / %u",
     " フィード最適化 %u / %u"},
    {TREVALON_TXT(OptimizerSummary),
     " Feed Optimizer: %u moves slowed, cutting time %.2f min -> %.2f min",
     " 피드 최적화: 감속한 이동 %u개, 가공 시간 %.2f분 -> %.2f분",
     " フィード最適化: 減速した移動 %u 個、加工時間 %.2f 分 -> %.2f 分"},

    // ---- Region, trim, delete and edit commands -----------------------------------------
    {TREVALON_TXT(HelpPrefix), "Help: ", "도움말: ", "ヘルプ: "},
    {TREVALON_TXT(HelpDragWindow), "Help: (ESC : cencel) Push left mouse button and drag.",
     "도움말: (ESC : 취소) 마우스 왼쪽 버튼을 누른 채 드래그하십시오.",
     "ヘルプ: (ESC : キャンセル) マウスの左ボタンを押したままドラッグしてください。"},
    {TREVALON_TXT(HelpSelectPolygonVertex),
     "Help: (ESC : cancel, ENTER : close) Select polygon vertex.",
     "도움말: (ESC : 취소, ENTER : 닫기) 다각형의 꼭짓점을 선택하십시오.",
     "ヘルプ: (ESC : キャンセル, ENTER : 閉じる) 多角形の頂点を選択してください。"},
    {TREVALON_TXT(ZMinimum), "Z minimum", "Z 최소값", "Z 最小値"},
    {TREVALON_TXT(ZMaximum), "Z maximum", "Z 최대값", "Z 最大値"},
    {TREVALON_TXT(SelectFileName), " Select file name.", " 파일 이름을 선택하십시오.",
     " ファイル名を選択してください。"},
    {TREVALON_TXT(ProcessingProgress), " %s(%.2f%).", " %s(%.2f%).", " %s(%.2f%)."},
    {TREVALON_TXT(HelpProcessing), " Help: Processing.....", " 도움말: 처리 중.....",
     " ヘルプ: 処理中....."},
    {TREVALON_TXT(HelpSelectToolpath), "Help: Select toolpath with left mouse button.",
     "도움말: 마우스 왼쪽 버튼으로 공구경로를 선택하십시오.",
     "ヘルプ: マウスの左ボタンで工具経路を選択してください。"},
    {TREVALON_TXT(Angle), " Angle ", " 각도 ", " 角度 "},
    {TREVALON_TXT(DeleteLength), " 삭제 길이 ", " 삭제 길이 ", " 削除長さ "},
    {TREVALON_TXT(DeleteToolpathLength), " Delete toolpath length ", " 삭제할 공구경로 길이 ",
     " 削除する工具経路の長さ "},
    {TREVALON_TXT(MinSurfaceAngle), " Min surface angle ", " 최소 면 각도 ", " 最小面角度 "},
    {TREVALON_TXT(IgnoreDeletePointGap), " Ignore delete point gap ", " 삭제 무시 간격 ",
     " 削除無視間隔 "},
    {TREVALON_TXT(All), " All ", " All ", " All "},
    {TREVALON_TXT(HelpSelectStartPoint),
     " Help: (ESC: cancel ENTER: run) Select start point on top view.",
     " 도움말: (ESC: 취소 ENTER: 실행) 평면도에서 시작점을 선택하십시오.",
     " ヘルプ: (ESC: キャンセル ENTER: 実行) 平面図で開始点を選択してください。"},
    {TREVALON_TXT(FilterTolerance), "필터링 공차", "필터링 공차", "フィルタリング公差"},
    {TREVALON_TXT(XyPlaneProcessing), " XY Plane processing (%6.3f)", " XY 평면 처리 중 (%6.3f)",
     " XY平面 処理中 (%6.3f)"},
    {TREVALON_TXT(ZxPlaneProcessing), " ZX Plane processing (%6.3f)", " ZX 평면 처리 중 (%6.3f)",
     " ZX平面 処理中 (%6.3f)"},
    {TREVALON_TXT(YzPlaneProcessing), " YZ Plane processing (%6.3f)", " YZ 평면 처리 중 (%6.3f)",
     " YZ平面 処理中 (%6.3f)"},
    {TREVALON_TXT(SimplifyProcessing), " Simplifying (%6.3f)", " 단순화 처리 중 (%6.3f)",
     " 単純化 処理中 (%6.3f)"},

    // ---- View and status line -----------------------------------------------------------
    {TREVALON_TXT(XCenter), "X center", "X 중심", "X 中心"},
    {TREVALON_TXT(YCenter), "Y center", "Y 중심", "Y 中心"},
    {TREVALON_TXT(ZCenter), "Z center", "Z 중심", "Z 中心"},
    {TREVALON_TXT(StatusG00), "G00", "G00", "G00"},
    {TREVALON_TXT(StatusG01), "G01", "G01", "G01"},
    {TREVALON_TXT(StatusG02), "G02", "G02", "G02"},
    {TREVALON_TXT(StatusG03), "G03", "G03", "G03"},
    {TREVALON_TXT(StatusX), "X:%3.3f", "X:%3.3f", "X:%3.3f"},
    {TREVALON_TXT(StatusY), "Y:%3.3f", "Y:%3.3f", "Y:%3.3f"},
    {TREVALON_TXT(StatusZ), "Z:%3.3f", "Z:%3.3f", "Z:%3.3f"},
    {TREVALON_TXT(StatusRadius), "R:%3.3f", "R:%3.3f", "R:%3.3f"},
    {TREVALON_TXT(StatusFeed), "F:%4d", "F:%4d", "F:%4d"},
    {TREVALON_TXT(StatusRapidFeed), "F:", "F:", "F:"},
    {TREVALON_TXT(PickedPoint), " X%6.3f Y%6.3f Z%6.3f", " X%6.3f Y%6.3f Z%6.3f",
     " X%6.3f Y%6.3f Z%6.3f"},

    // ---- Application --------------------------------------------------------------------
    {TREVALON_TXT(AppTitle), "TREVALON", "TREVALON", "TREVALON"},

    // ---- Status tips of the desktop's menu items -----------------------------------------
    {TREVALON_TXT(TipLoad), "Read an NC program into the work layer",
     "NC 프로그램을 작업 레이어로 읽습니다", "NCプログラムを作業レイヤーに読み込みます"},
    {TREVALON_TXT(TipAppend), "Add an NC program after the work layer's toolpath",
     "NC 프로그램을 작업 레이어 공구경로 뒤에 추가합니다",
     "NCプログラムを作業レイヤーの工具経路の後に追加します"},
    {TREVALON_TXT(TipSaveNc), "Write the work layer as an NC program",
     "작업 레이어를 NC 프로그램으로 저장합니다", "作業レイヤーをNCプログラムとして保存します"},
    {TREVALON_TXT(TipSaveLayers), "Write several layers into one NC program",
     "여러 레이어를 하나의 NC 프로그램으로 저장합니다",
     "複数のレイヤーを一つのNCプログラムに保存します"},
    {TREVALON_TXT(TipPostProcessor), "Write the work layer through a post-processor template",
     "포스트프로세서 템플릿으로 작업 레이어를 출력합니다",
     "ポストプロセッサのテンプレートで作業レイヤーを出力します"},
    {TREVALON_TXT(TipNewWindow), "Open an empty document window", "빈 문서 창을 엽니다",
     "空のドキュメントウィンドウを開きます"},
    {TREVALON_TXT(TipCloseWindow), "Close the active document window", "현재 문서 창을 닫습니다",
     "アクティブなドキュメントウィンドウを閉じます"},
    {TREVALON_TXT(TipRecentFile), "Open this recently used NC program",
     "최근에 사용한 NC 프로그램을 엽니다", "最近使用したNCプログラムを開きます"},
    {TREVALON_TXT(TipExit), "Quit the program", "프로그램을 종료합니다", "プログラムを終了します"},
    {TREVALON_TXT(TipFeedOptimizer), "Recompute the feeds of the whole toolpath",
     "전체 공구경로의 피드를 다시 계산합니다", "工具経路全体の送り速度を再計算します"},
    {TREVALON_TXT(TipAutoFeed), "Edit the cutting conditions of the optimiser",
     "옵티마이저의 가공 조건을 편집합니다", "オプティマイザの加工条件を編集します"},
    {TREVALON_TXT(TipMasterCreate), "Build the master model from the toolpath",
     "공구경로로 마스터 모델을 만듭니다", "工具経路からマスターモデルを作成します"},
    {TREVALON_TXT(TipMasterDelete), "Delete the master model", "마스터 모델을 삭제합니다",
     "マスターモデルを削除します"},
    {TREVALON_TXT(TipMasterSave), "Save the master model to an .mma file",
     "마스터 모델을 .mma 파일로 저장합니다", "マスターモデルを.mmaファイルに保存します"},
    {TREVALON_TXT(TipMasterLoad), "Load a master model from an .mma file",
     ".mma 파일에서 마스터 모델을 읽습니다", ".mmaファイルからマスターモデルを読み込みます"},
    {TREVALON_TXT(TipChangeFeed), "Give every move one feed", "모든 이동에 하나의 피드를 줍니다",
     "すべての移動に一つの送り速度を設定します"},
    {TREVALON_TXT(TipWindowMaxFeed), "Lower feeds above a limit inside windows",
     "윈도우 안의 피드를 최대값 이하로 낮춥니다", "ウィンドウ内の送り速度を上限まで下げます"},
    {TREVALON_TXT(TipPolygonMaxFeed), "Lower feeds above a limit inside a polygon",
     "다각형 안의 피드를 최대값 이하로 낮춥니다", "多角形内の送り速度を上限まで下げます"},
    {TREVALON_TXT(TipWindowMinFeed), "Raise feeds below a floor inside windows",
     "윈도우 안의 피드를 최소값 이상으로 올립니다", "ウィンドウ内の送り速度を下限まで上げます"},
    {TREVALON_TXT(TipPolygonMinFeed), "Raise feeds below a floor inside a polygon",
     "다각형 안의 피드를 최소값 이상으로 올립니다", "多角形内の送り速度を下限まで上げます"},
    {TREVALON_TXT(TipArcFeed), "Change the feeds of arcs", "원호의 피드를 변경합니다",
     "円弧の送り速度を変更します"},
    {TREVALON_TXT(TipLengthFeed), "Change feeds by move length",
     "이동 길이에 따라 피드를 변경합니다", "移動距離に応じて送り速度を変更します"},
    {TREVALON_TXT(TipMachineFeed), "Change feeds by machine conditions",
     "기계 조건에 따라 피드를 변경합니다", "機械条件に応じて送り速度を変更します"},
    {TREVALON_TXT(TipUndo), "Undo the last change", "마지막 변경을 취소합니다",
     "最後の変更を元に戻します"},
    {TREVALON_TXT(TipRedo), "Redo the change undone last", "취소한 변경을 다시 실행합니다",
     "元に戻した変更をやり直します"},
    {TREVALON_TXT(TipTrimInside), "Trim the toolpath inside a region",
     "영역 안쪽의 공구경로를 트림합니다", "領域の内側の工具経路をトリムします"},
    {TREVALON_TXT(TipTrimOutside), "Trim the toolpath outside a region",
     "영역 바깥쪽의 공구경로를 트림합니다", "領域の外側の工具経路をトリムします"},
    {TREVALON_TXT(TipDeletePoint), "Pick a point and delete it with Enter",
     "포인트를 선택하고 Enter로 삭제합니다", "点を選びEnterで削除します"},
    {TREVALON_TXT(TipDeletePath), "Pick a path and delete it with Enter",
     "경로를 선택하고 Enter로 삭제합니다", "経路を選びEnterで削除します"},
    {TREVALON_TXT(TipDeleteEverySecond), "Delete every second path", "경로를 하나 걸러 삭제합니다",
     "経路を一つおきに削除します"},
    {TREVALON_TXT(TipDeleteInWindows), "Delete the moves inside windows",
     "윈도우 안의 이동을 삭제합니다", "ウィンドウ内の移動を削除します"},
    {TREVALON_TXT(TipDeleteInPolygon), "Delete the cuts inside a polygon",
     "다각형 안의 절삭이송을 삭제합니다", "多角形内の切削送りを削除します"},
    {TREVALON_TXT(TipDeleteXyAngle), "Delete cuts of one XY direction",
     "한 XY 방향의 절삭이송을 삭제합니다", "一つのXY方向の切削送りを削除します"},
    {TREVALON_TXT(TipDeletePointsByLength), "Turn long moves into rapids",
     "긴 이동을 급속이송으로 바꿉니다", "長い移動を早送りに変えます"},
    {TREVALON_TXT(TipDeletePathsByLength), "Delete short paths", "짧은 경로를 삭제합니다",
     "短い経路を削除します"},
    {TREVALON_TXT(TipDeleteAll), "Delete every toolpath of the work layer",
     "작업 레이어의 모든 공구경로를 삭제합니다", "作業レイヤーのすべての工具経路を削除します"},
    {TREVALON_TXT(TipDeleteZAngle), "Delete runs of cuts in a slope band",
     "경사 범위의 절삭이송을 삭제합니다", "傾斜範囲の切削送りを削除します"},
    {TREVALON_TXT(TipRapidRebuild), "Rebuild the rapid moves between the paths",
     "경로 사이의 급속이송을 다시 만듭니다", "経路間の早送りを作り直します"},
    {TREVALON_TXT(TipClearSelection), "Clear the selection", "선택을 취소합니다",
     "選択を解除します"},
    {TREVALON_TXT(TipDeleteSelected), "Delete the selected moves", "선택된 이동을 삭제합니다",
     "選択された移動を削除します"},
    {TREVALON_TXT(TipInvertSelection), "Invert the selection", "선택을 반전합니다",
     "選択を反転します"},
    {TREVALON_TXT(TipReverse), "Reverse the direction or the order of paths",
     "경로의 방향이나 순서를 바꿉니다", "経路の方向または順序を反転します"},
    {TREVALON_TXT(TipReverseOne), "Pick one path and reverse it",
     "경로 하나를 선택하여 방향을 바꿉니다", "経路を一つ選び方向を反転します"},
    {TREVALON_TXT(TipStartPoints), "Choose the start points of paths in the top view",
     "평면도에서 경로의 시작점을 정합니다", "上面図で経路の開始点を決めます"},
    {TREVALON_TXT(TipSort), "Sort the paths by distance", "경로를 거리순으로 정렬합니다",
     "経路を距離順に並べ替えます"},
    {TREVALON_TXT(TipZUpToZDown), "Turn rising moves into falling ones",
     "상승 이동을 하강 이동으로 바꿉니다", "上昇移動を下降移動に変えます"},
    {TREVALON_TXT(TipMoveCopy), "Move, copy, rotate or mirror paths",
     "경로를 이동, 복사, 회전, 대칭합니다", "経路を移動・コピー・回転・反転します"},
    {TREVALON_TXT(TipLinearFilter), "Remove points that lie on a straight line",
     "직선 위의 포인트를 제거합니다", "直線上の点を取り除きます"},
    {TREVALON_TXT(TipArcFilter), "Turn flat arcs into straight cuts",
     "평평한 원호를 직선으로 바꿉니다", "平らな円弧を直線に変えます"},
    {TREVALON_TXT(TipRegenerate), "Clean the motion types of the toolpath",
     "공구경로의 이동 형식을 정리합니다", "工具経路の移動タイプを整理します"},
    {TREVALON_TXT(TipSubdivide), "Split long cuts into equal steps",
     "긴 절삭이송을 같은 간격으로 나눕니다", "長い切削送りを等間隔に分割します"},
    {TREVALON_TXT(TipArcConvert), "Fit arcs to lines, or lines to arcs",
     "직선과 원호를 서로 변환합니다", "直線と円弧を相互に変換します"},
    {TREVALON_TXT(TipOffset), "Move the points inside a region by an offset",
     "영역 안의 포인트를 옵셋만큼 이동합니다", "領域内の点をオフセット分移動します"},
    {TREVALON_TXT(TipFace), "Mill a rectangle with parallel passes",
     "평행 패스로 사각형을 가공합니다", "平行パスで矩形を加工します"},
    {TREVALON_TXT(TipRadial), "Cut radial spokes between two circles",
     "두 원 사이를 방사선으로 가공합니다", "二つの円の間を放射状に加工します"},
    {TREVALON_TXT(TipSpiral), "Clear a ring or disc with a spiral",
     "나선으로 링이나 원판을 가공합니다", "らせんでリングや円盤を加工します"},
    {TREVALON_TXT(TipViewDirection), "Look at the toolpaths from this direction",
     "이 방향에서 공구경로를 봅니다", "この方向から工具経路を見ます"},
    {TREVALON_TXT(TipFit), "Fit the toolpaths into the window", "공구경로를 창에 맞춥니다",
     "工具経路をウィンドウに合わせます"},
    {TREVALON_TXT(TipZoomIn), "Enlarge the picture twice", "두 배로 확대합니다", "2倍に拡大します"},
    {TREVALON_TXT(TipZoomOut), "Shrink the picture to half", "반으로 축소합니다",
     "半分に縮小します"},
    {TREVALON_TXT(TipRedraw), "Draw the view again", "화면을 다시 그립니다", "画面を再描画します"},
    {TREVALON_TXT(TipRotateMode), "Dragging the mouse rotates the view",
     "마우스 끌기로 화면을 회전합니다", "マウスのドラッグで画面を回転します"},
    {TREVALON_TXT(TipPanMode), "Dragging the mouse moves the view",
     "마우스 끌기로 화면을 이동합니다", "マウスのドラッグで画面を移動します"},
    {TREVALON_TXT(TipSelectMode), "Dragging the mouse selects paths",
     "마우스 끌기로 경로를 선택합니다", "マウスのドラッグで経路を選択します"},
    {TREVALON_TXT(TipShowRapids), "Show or hide the rapid moves", "급속이송을 보이거나 숨깁니다",
     "早送りを表示または非表示にします"},
    {TREVALON_TXT(TipFeedColours), "Colour the moves by feed instead of by layer",
     "레이어 대신 피드로 색을 칠합니다", "レイヤーの代わりに送り速度で色分けします"},
    {TREVALON_TXT(TipGrid), "Show or hide the grid", "격자를 보이거나 숨깁니다",
     "グリッドを表示または非表示にします"},
    {TREVALON_TXT(TipTriad), "Show or hide the axis triad", "좌표축 표시를 보이거나 숨깁니다",
     "座標軸を表示または非表示にします"},
    {TREVALON_TXT(TipShowMaster), "Show or hide the master model",
     "마스터 모델을 보이거나 숨깁니다", "マスターモデルを表示または非表示にします"},
    {TREVALON_TXT(TipRotationCentreInput), "Enter the point the view rotates about",
     "회전 중심을 입력합니다", "回転中心を入力します"},
    {TREVALON_TXT(TipRotationCentreSelect), "Pick the toolpath point the view rotates about",
     "공구경로 포인트로 회전 중심을 선택합니다", "工具経路の点で回転中心を選びます"},
    {TREVALON_TXT(TipViewInEditor), "Open an NC program in the text editor",
     "NC 프로그램을 편집기로 엽니다", "NCプログラムをエディタで開きます"},
    {TREVALON_TXT(TipToolpathInfo), "Show lengths, extents, feed and time of the toolpath",
     "공구경로의 길이, 범위, 피드, 시간을 보여줍니다",
     "工具経路の長さ・範囲・送り・時間を表示します"},
    {TREVALON_TXT(TipWorkLayer), "Choose the work layer", "작업 레이어를 선택합니다",
     "作業レイヤーを選びます"},
    {TREVALON_TXT(TipLayerByToolpath), "Click a toolpath to make its layer the work layer",
     "공구경로를 클릭하여 그 레이어를 작업 레이어로 합니다",
     "工具経路をクリックしてそのレイヤーを作業レイヤーにします"},
    {TREVALON_TXT(TipEchoLayers), "Choose the layers drawn behind the work layer",
     "작업 레이어 뒤에 그릴 레이어를 정합니다", "作業レイヤーの後ろに描くレイヤーを選びます"},
    {TREVALON_TXT(TipCopyLayer), "Copy the toolpaths of one layer to another",
     "한 레이어의 공구경로를 다른 레이어로 복사합니다",
     "レイヤーの工具経路を別のレイヤーにコピーします"},
    {TREVALON_TXT(TipLayerInfo), "Edit the names and NC values of the layers",
     "레이어의 이름과 NC 값을 편집합니다", "レイヤーの名前とNC値を編集します"},
    {TREVALON_TXT(TipNcSettings), "How NC programs are read and written",
     "NC 프로그램의 읽기와 쓰기 방식을 정합니다", "NCプログラムの読み書き方法を設定します"},
    {TREVALON_TXT(TipWorkEnvironment), "Directories, editor, file extensions and help files",
     "디렉토리, 편집기, 확장자, 도움말 파일을 정합니다",
     "ディレクトリ・エディタ・拡張子・ヘルプファイルを設定します"},
    {TREVALON_TXT(TipLayerColours), "Choose the colour of each layer", "레이어마다 색을 정합니다",
     "レイヤーごとの色を選びます"},
    {TREVALON_TXT(TipCascade), "Arrange the windows overlapping", "창을 겹쳐서 배열합니다",
     "ウィンドウを重ねて並べます"},
    {TREVALON_TXT(TipTile), "Arrange the windows side by side", "창을 나란히 배열합니다",
     "ウィンドウを並べて表示します"},
    {TREVALON_TXT(TipNextWindow), "Go to the next document window", "다음 문서 창으로 갑니다",
     "次のドキュメントウィンドウに移ります"},
    {TREVALON_TXT(TipHelp), "Open the help file", "도움말 파일을 엽니다",
     "ヘルプファイルを開きます"},
    {TREVALON_TXT(TipTutorial), "Open the training help file", "교육용 도움말 파일을 엽니다",
     "トレーニング用ヘルプファイルを開きます"},
    {TREVALON_TXT(TipAbout), "About the program", "프로그램 정보", "プログラムについて"},

    // ---- Files refused on reading, and folders that cannot be made ----------------------
    {TREVALON_TXT(FileIsFolder), " This is a folder, not a file.\n", " 파일이 아니라 폴더입니다.\n",
     " ファイルではなくフォルダです。\n"},
    {TREVALON_TXT(FileTooLarge), " The file is too large for its kind !!.\n",
     " 파일이 너무 큽니다 !!.\n", " ファイルが大きすぎます !!.\n"},
    {TREVALON_TXT(NotTextFile), " This is not a text file !!.\n", " 텍스트 파일이 아닙니다 !!.\n",
     " テキストファイルではありません !!.\n"},
    {TREVALON_TXT(NoUsableFeed),
     " The cutting conditions give no usable feed.\n Check MaxFeed, PlungeFeed, the reductions "
     "and the feed change unit.\n",
     " 가공조건으로 사용할 수 있는 피드가 없습니다.\n 최대피드, PlungeFeed, 감속비와 피드 변화 "
     "단위를 확인하십시오.\n",
     " 加工条件から使えるFeedが得られません。\n 最大Feed、PlungeFeed、減速比とFeed変化単位を"
     "確認してください。\n"},
    {TREVALON_TXT(ConditionOutOfRange),
     " The cutting conditions file holds a value that is not a number or lies outside its "
     "range; the conditions stay as they were !!.\n",
     " 가공조건 파일에 숫자가 아니거나 범위를 벗어난 값이 있습니다. 가공조건은 바뀌지 "
     "않았습니다 !!.\n",
     " 加工条件ファイルに数値でない値か範囲外の値があります。加工条件は変更されていません "
     "!!.\n"},
    {TREVALON_TXT(TemplateDefinesNone),
     " The post-processor template defines no section: nothing is written.\n",
     " 포스트 프로세서 템플릿에 정의된 섹션이 없어 출력하지 않습니다.\n",
     " ポストプロセッサのテンプレートにセクションが定義されていないため出力しません。\n"},
    {TREVALON_TXT(CannotCreateFolder), " Can not create folder !!.\n",
     " 폴더를 만들 수 없습니다 !!.\n", " フォルダを作成できません !!.\n"},

    // ---- Keeping work and files safe ----------------------------------------------------
    {TREVALON_TXT(NotNcProgram),
     " This file is not an NC program (it holds binary data) !!.\n Nothing was read.",
     " NC 프로그램 파일이 아닙니다 (이진 데이터가 있습니다) !!.\n 아무것도 읽지 않았습니다.",
     " NCプログラムのファイルではありません (バイナリデータがあります) !!.\n "
     "何も読み込みませんでした。"},
    {TREVALON_TXT(SaveChanges),
     " %s\n has toolpath changes that were not written.\n Save the changes?",
     " %s\n 에 저장하지 않은 공구경로 변경 내용이 있습니다.\n 변경된 내용을 저장하시겠습니까?",
     " %s\n に保存していない工具経路の変更があります。\n 変更を保存しますか?"},
    {TREVALON_TXT(ReplaceFile), " %s\n already exists.\n Do you want to replace it?",
     " %s\n 파일이 이미 있습니다.\n 바꾸시겠습니까?", " %s\n は既に存在します。\n 置き換えますか?"},
    {TREVALON_TXT(EditorNotStarted), "Help: The editor could not be started on %s.",
     "도움말: %s 파일로 편집기를 시작할 수 없습니다.",
     "ヘルプ: %s でエディタを起動できませんでした。"},

    // ---- Extended reading ---------------------------------------------------------------
    {TREVALON_TXT(TipExtendedReading),
     "Read programs as a control runs them: comments in blocks, macros, cycles, dialect of "
     "each file",
     "프로그램을 컨트롤러가 실행하는 대로 읽습니다: 블록 안의 주석, 매크로, 사이클, 파일마다 "
     "형식 판별",
     "プログラムを制御装置が実行するとおりに読み込みます: ブロック内のコメント、マクロ、"
     "サイクル、ファイルごとの形式判定"},
    {TREVALON_TXT(ExtReadPassedOver), "Help: Extended reading passed over %s.",
     "도움말: 확장 읽기에서 읽지 않은 것: %s.", "ヘルプ: 拡張読み込みで読まなかったもの: %s。"},
    {TREVALON_TXT(ExtReadStopped), "Help: Extended reading stopped: %s",
     "도움말: 확장 읽기가 중지되었습니다: %s", "ヘルプ: 拡張読み込みが停止しました: %s"},
    {TREVALON_TXT(ExtPassRotary), "rotary axes in %s blocks", "회전축 %s블록", "回転軸 %sブロック"},
    {TREVALON_TXT(ExtPassTiltedPlane), "tilted working plane in %s blocks", "경사 작업 평면 %s블록",
     "傾斜作業平面 %sブロック"},
    {TREVALON_TXT(ExtPassFeedPerRev), "G95 feed per revolution in %s blocks",
     "G95 회전당 이송 %s블록", "G95 回転当たり送り %sブロック"},
    {TREVALON_TXT(ExtPassLatheCycle), "lathe cycles in %s blocks", "선반 사이클 %s블록",
     "旋盤サイクル %sブロック"},
    {TREVALON_TXT(ExtPassInch), "inch units (G20, values as written) in %s blocks",
     "인치 단위 (G20, 값은 쓰인 그대로) %s블록", "インチ単位 (G20、値は記述どおり) %sブロック"},
    {TREVALON_TXT(ExtPassMacro), "macro statements in %s blocks", "매크로 문장 %s블록",
     "マクロ文 %sブロック"},
    {TREVALON_TXT(ExtPassUnresolvedCorner),
     "corner rounding or chamfer without a straight move after it in %s blocks",
     "뒤에 직선 이동이 없는 코너 R 또는 모따기 %s블록",
     "後に直線移動のないコーナーRまたは面取り %sブロック"},
    {TREVALON_TXT(ExtPassOther), "%s in %s blocks", "%s %s블록", "%s %sブロック"},
    {TREVALON_TXT(ExtPassFirstLine), "%s (first line %s)", "%s (첫 줄 %s)", "%s (最初の行 %s)"},
    {TREVALON_TXT(ClassicReadsDifferently),
     "Help: The classic rules read %s blocks differently from a control (first line %s); "
     "extended reading in the NC settings reads them as the control does.",
     "도움말: 기본 읽기 규칙은 %s블록을 컨트롤러와 다르게 읽었습니다 (첫 줄 %s). NC 설정의 확장 "
     "읽기는 컨트롤러와 같이 읽습니다.",
     "ヘルプ: 標準の読み込み規則は %sブロックをコントローラと異なって読みました (最初の行 %s)。"
     "NC設定の拡張読み込みはコントローラと同じように読みます。"},
    {TREVALON_TXT(ClassicLooksHeidenhain),
     "Help: This file looks like a Heidenhain program but was read as ISO: %s blocks are read "
     "differently from its control (first line %s); extended reading in the NC settings tells "
     "the dialect of each file and reads them as the control does.",
     "도움말: 이 파일은 하이덴하인 프로그램으로 보이지만 ISO로 읽었습니다: %s블록을 컨트롤러와 "
     "다르게 읽었습니다 (첫 줄 %s). NC 설정의 확장 읽기는 파일마다 형식을 판별하고 컨트롤러와 "
     "같이 읽습니다.",
     "ヘルプ: このファイルはハイデンハインのプログラムに見えますがISOとして読み込みました: "
     "%sブロックをコントローラと異なって読みました (最初の行 %s)。NC設定の拡張読み込みはファイル"
     "ごとに形式を判定し、コントローラと同じように読みます。"},
    {TREVALON_TXT(ClassicLooksIso),
     "Help: This file looks like an ISO program but was read as Heidenhain: %s blocks are read "
     "differently from its control (first line %s); extended reading in the NC settings tells "
     "the dialect of each file and reads them as the control does.",
     "도움말: 이 파일은 ISO 프로그램으로 보이지만 하이덴하인으로 읽었습니다: %s블록을 컨트롤러와 "
     "다르게 읽었습니다 (첫 줄 %s). NC 설정의 확장 읽기는 파일마다 형식을 판별하고 컨트롤러와 "
     "같이 읽습니다.",
     "ヘルプ: このファイルはISOのプログラムに見えますがハイデンハインとして読み込みました: "
     "%sブロックをコントローラと異なって読みました (最初の行 %s)。NC設定の拡張読み込みはファイル"
     "ごとに形式を判定し、コントローラと同じように読みます。"},

    // ---- Extended reading: parameters and program flow -----------------------------------
    {TREVALON_TXT(MacroAlarm), "The program raised alarm %s.", "프로그램이 알람 %s을(를) 냈습니다.",
     "プログラムがアラーム %s を出しました。"},
    {TREVALON_TXT(MacroEndlessLoop),
     "The program ran more than %s blocks and was stopped (a loop that never ends?).",
     "프로그램이 %s 블록 넘게 실행되어 멈췄습니다 (끝나지 않는 반복?).",
     "プログラムが %s ブロックを超えて実行されたため停止しました (終わらないループ?)。"},
    {TREVALON_TXT(MacroCallsTooDeep),
     "Subprogram calls nested more than %s deep (a program that calls itself?).",
     "서브프로그램 호출이 %s 단계를 넘었습니다 (자기 자신을 호출하는 프로그램?).",
     "サブプログラムの呼び出しが %s 段を超えました (自分自身を呼ぶプログラム?)。"},
    {TREVALON_TXT(MacroNoLabel), "Block N%s is not in the program.",
     "블록 N%s이(가) 프로그램에 없습니다.", "ブロック N%s がプログラムにありません。"},
    {TREVALON_TXT(MacroBadExpression), "Cannot read the expression in \"%s\".",
     "\"%s\"의 식을 읽을 수 없습니다.", "\"%s\" の式を読めません。"},
    {TREVALON_TXT(MacroDivisionByZero), "Division by zero.", "0으로 나누었습니다.",
     "ゼロで割りました。"},
    {TREVALON_TXT(MacroOutOfDomain), "A function's argument is outside its range.",
     "함수의 인수가 범위를 벗어났습니다.", "関数の引数が範囲外です。"},
    {TREVALON_TXT(MacroBadVariable), "No such variable (numbers #1 to #999999).",
     "없는 변수입니다 (번호 #1 ~ #999999).", "存在しない変数です (番号 #1 ~ #999999)。"},
    {TREVALON_TXT(MacroUnmatched), "\"%s\" has no matching start or end.",
     "\"%s\"에 짝이 되는 시작 또는 끝이 없습니다.",
     "\"%s\" に対応する開始または終了がありません。"},
    {TREVALON_TXT(MacroAtLine), " (line %s)", " (%s번째 줄)", " (%s行目)"},
    {TREVALON_TXT(ExtPassCallNotInFile), "calls of subprograms the file does not hold in %s blocks",
     "파일에 없는 서브프로그램 호출 %s블록", "ファイルにないサブプログラムの呼び出し %sブロック"},
    {TREVALON_TXT(ExtPassArcWithoutCentre), "arcs without centre or radius in %s blocks",
     "중심이나 반경이 없는 원호 %s블록", "中心も半径もない円弧 %sブロック"},
    {TREVALON_TXT(ExtPassBadArc), "arcs that cannot be made (read as straight moves) in %s blocks",
     "만들 수 없는 원호 (직선 이동으로 읽음) %s블록",
     "作れない円弧 (直線移動として読む) %sブロック"},
    {TREVALON_TXT(ExtPassCoordTransform),
     "coordinate transformations (mirror, rotation, scale) in %s blocks",
     "좌표 변환 (미러, 회전, 배율) %s블록", "座標変換 (ミラー、回転、倍率) %sブロック"},
    {TREVALON_TXT(ExtPassCycle), "machining cycles not expanded in %s blocks",
     "전개하지 않은 가공 사이클 %s블록", "展開しない加工サイクル %sブロック"},
    {TREVALON_TXT(ExtPassDatumTable), "datum tables in %s blocks", "원점 테이블 %s블록",
     "原点テーブル %sブロック"},
    {TREVALON_TXT(ExtPassFkContour), "FK free contours in %s blocks", "FK 자유 윤곽 %s블록",
     "FK 自由輪郭 %sブロック"},
    {TREVALON_TXT(ExtPassFormula), "formulas that cannot be worked out in %s blocks",
     "계산할 수 없는 수식 %s블록", "計算できない式 %sブロック"},
    {TREVALON_TXT(ExtPassMachineDatum), "moves in machine coordinates (M91, M92) in %s blocks",
     "기계 좌표 이동 (M91, M92) %s블록", "機械座標の移動 (M91、M92) %sブロック"},
    {TREVALON_TXT(ExtPassMissingLabel), "calls of labels the program does not hold in %s blocks",
     "프로그램에 없는 레이블 호출 %s블록", "プログラムにないラベルの呼び出し %sブロック"},
    {TREVALON_TXT(ExtPassProgramCall), "calls of other programs in %s blocks",
     "다른 프로그램 호출 %s블록", "他のプログラムの呼び出し %sブロック"},
    {TREVALON_TXT(ExtPassRotation), "coordinate rotation (G68) in %s blocks",
     "좌표 회전 (G68) %s블록", "座標回転 (G68) %sブロック"},
    {TREVALON_TXT(ExtPassFeedLimited),
     "feeds a record cannot hold, stored as 32767 (above) or 1 (below 1), in %s blocks",
     "레코드에 담을 수 없는 이송, 32767(초과) 또는 1(1 미만)로 저장, %s블록",
     "レコードに収まらない送り、32767(超過)または1(1未満)として記録、%sブロック"},
    {TREVALON_TXT(ExtPassCoordLimited),
     "coordinates a record cannot hold, stored as +/-32700, in %s blocks",
     "레코드에 담을 수 없는 좌표, +/-32700으로 저장, %s블록",
     "レコードに収まらない座標、+/-32700として記録、%sブロック"},
    {TREVALON_TXT(ExtPassInverseTime),
     "G93 inverse time feed (F values kept as written) in %s blocks",
     "G93 역시간 이송 (F 값은 쓰인 그대로) %s블록", "G93 逆時間送り (F値は記述どおり) %sブロック"},
    {TREVALON_TXT(ExtPassGNotRun), "G%s not run (no move) in %s blocks",
     "G%s 실행 안 함 (이동 없음) %s블록", "G%s 実行しない (移動なし) %sブロック"},
    {TREVALON_TXT(ClassicReadLimited), "Help: The classic read limited %s.",
     "도움말: 클래식 읽기에서 값을 제한했습니다: %s.",
     "ヘルプ: クラシック読み込みで値を制限しました: %s。"},
    {TREVALON_TXT(CutFeedNotWritable),
     " The cutting move with feed %s (record %s, at %s) cannot be written: a cut needs a feed "
     "above 0. Nothing was written !!.\n",
     " 이송 %s인 절삭 이동 (레코드 %s, 위치 %s)은 출력할 수 없습니다: 절삭에는 0보다 큰 이송이 "
     "필요합니다. 아무것도 출력하지 않았습니다 !!.\n",
     " 送り %s の切削移動 (レコード %s、位置 %s) は出力できません: 切削には0より大きい送りが"
     "必要です。何も出力していません !!.\n"},
    {TREVALON_TXT(ExtPassFnFunction),
     "FN functions not run (system data, PLC, tables; their parameters keep their values) in "
     "%s blocks",
     "실행하지 않은 FN 함수 (시스템 데이터, PLC, 테이블; 파라미터는 값 유지) %s블록",
     "実行しなかった FN 関数 (システムデータ、PLC、テーブル; パラメータは値を保持) %sブロック"},
    {TREVALON_TXT(StoreFull),
     " The result does not fit in the point store; the toolpath is unchanged !!.\n",
     " 결과가 포인트 저장소에 들어가지 않습니다. 공구경로는 바뀌지 않았습니다 !!.\n",
     " 結果がポイントストアに収まりません。工具経路は変更されていません !!.\n"},
    {TREVALON_TXT(OffsetOutOfRange),
     " The offset would move points beyond the coordinates a toolpath can hold; the toolpath "
     "is unchanged !!.\n",
     " Offset으로 포인트가 공구경로의 좌표 범위를 벗어납니다. 공구경로는 바뀌지 않았습니다 !!.\n",
     " オフセットで点が工具経路の座標範囲を超えます。工具経路は変更されていません !!.\n"},
    {TREVALON_TXT(TransformOutOfRange),
     " The transform would carry points beyond the coordinates a toolpath can hold (32700); "
     "the toolpath is unchanged !!.\n",
     " 이동/복사로 포인트가 공구경로의 좌표 범위(32700)를 벗어납니다. 공구경로는 바뀌지 "
     "않았습니다 !!.\n",
     " 移動/コピーで点が工具経路の座標範囲(32700)を超えます。工具経路は変更されていません "
     "!!.\n"},
    {TREVALON_TXT(PointFileBadVertex),
     " The point file holds a vertex that is not a number; nothing was changed !!.\n",
     " 포인트 파일에 숫자가 아닌 점이 있습니다. 아무것도 바뀌지 않았습니다 !!.\n",
     " ポイントファイルに数値でない点があります。何も変更されていません !!.\n"},
    {TREVALON_TXT(PointFileTooManyVertices),
     " A polygon of the point file has more than 2728 vertices, or the file more than "
     "1000000 in all; nothing was changed !!.\n",
     " 포인트 파일의 다각형 점이 2728개를 넘거나 파일 전체의 점이 1000000개를 넘습니다. "
     "아무것도 바뀌지 않았습니다 !!.\n",
     " ポイントファイルの多角形の点が2728を超えるか、ファイル全体の点が1000000を超えます。"
     "何も変更されていません !!.\n"},
    {TREVALON_TXT(PointFileTooManyPolygons),
     " The point file holds more than 100000 polygons; nothing was changed !!.\n",
     " 포인트 파일의 다각형이 100000개를 넘습니다. 아무것도 바뀌지 않았습니다 !!.\n",
     " ポイントファイルの多角形が100000を超えます。何も変更されていません !!.\n"},

    // ---- Machine time ----------------------------------------------------------------------
    {TREVALON_TXT(MachineSettingsRefused),
     " %s\n The machine time is estimated with the default machine limits.",
     " %s\n 기계 가공시간은 기본 기계 한계값으로 계산합니다.",
     " %s\n 機械加工時間は既定の機械限界値で見積もります。"},
    {TREVALON_TXT(TipMachineTime),
     "Time on the machine: rapids, accelerations, corners and block time from machine.par",
     "기계에서 걸리는 시간: machine.par의 급속, 가속도, 코너, 블록 처리시간으로 계산",
     "機械での時間: machine.par の早送り、加速度、コーナー、ブロック処理時間から計算"},

    // ---- The NC program beside the view ----------------------------------------------------
    {TREVALON_TXT(TipSourcePane), "Show or hide the NC program beside the toolpath",
     "공구경로 옆에 NC 프로그램을 보이거나 숨깁니다", "工具経路の横にNCプログラムを表示/非表示"},
    {TREVALON_TXT(SourceMadeByEdit), "No source line: made by an edit",
     "원본 줄 없음: 편집으로 만들어진 점입니다", "元の行なし: 編集で作られた点です"},
    {TREVALON_TXT(SourceFileChanged), "%s has changed since it was read: its lines no longer match",
     "%s 파일이 읽은 뒤에 바뀌었습니다: 줄이 더 이상 맞지 않습니다",
     "%s は読み込み後に変更されました: 行が一致しません"},
    {TREVALON_TXT(SourceUnreadable), "%s cannot be read", "%s 파일을 읽을 수 없습니다",
     "%s を読み込めません"},
    {TREVALON_TXT(SourceNoMove), "This block makes no move", "이 블록은 이동을 만들지 않습니다",
     "このブロックは移動を作りません"},
    // ---- Feed chart ---------------------------------------------------------------------
    {TREVALON_TXT(TipFeedPlot),
     "Chart the feed along the cutting distance, before and after the optimiser; hover to find "
     "the move",
     "절삭 거리에 따른 피드를 최적화 전후로 그래프에 보여 줍니다. 마우스로 이동을 찾습니다",
     "切削距離に沿った送りを最適化の前後でグラフに表示します。マウスで移動を探します"},
    // ---- Help ------------------------------------------------------------------------------
    {TREVALON_TXT(ManualNotFound), " The user manual was not found. It was looked for in:\n",
     " 사용자 설명서를 찾을 수 없습니다. 찾아본 폴더:\n",
     " ユーザーマニュアルが見つかりません。探したフォルダー:\n"},
    // ---- The setup around the toolpath, templates and stopped output --------------------
    {TREVALON_TXT(VerifySetupDiffers), "units and work offset: expected %s, read %s",
     "단위와 공작물 좌표계: 원래 %s, 읽은 것 %s", "単位とワーク座標系: 元 %s、読み戻し %s"},
    {TREVALON_TXT(TemplateMissing),
     " The post-processor template does not exist: nothing is written.\n",
     " 포스트 프로세서 템플릿 파일이 없어 출력하지 않습니다.\n",
     " ポストプロセッサのテンプレートファイルがないため出力しません。\n"},
    {TREVALON_TXT(KeepPartialOutput),
     "Keep the blocks written so far as a program that ends where it stopped?\n(No keeps the "
     "old file as it was.)",
     "지금까지 쓴 블록을 멈춘 곳에서 끝나는 프로그램으로 남길까요?\n(아니오: 예전 파일을 그대로 "
     "둡니다.)",
     "ここまで書いたブロックを、止めた所で終わるプログラムとして残しますか?\n(いいえ: 元の"
     "ファイルをそのまま残します。)"},
    {TREVALON_TXT(NothingToWrite), " The toolpath holds no moves: nothing is written.\n",
     " 공구 경로에 이동이 없어 출력하지 않습니다.\n", " 工具経路に移動がないため出力しません。\n"},
    {TREVALON_TXT(FileHoldsNoMoves), " The file is empty and holds no moves; the layer is kept.\n",
     " 파일이 비어 있어 이동이 없습니다. 레이어는 그대로 둡니다.\n",
     " ファイルが空で移動がありません。レイヤーはそのままです。\n"},
    {TREVALON_TXT(TipFitMargin), "Fit the toolpaths into the window with a free border",
     "공구경로를 여백을 두고 창에 맞춥니다", "ツールパスを余白付きでウィンドウに合わせます"},
    {TREVALON_TXT(ButtonSave), "Save", "저장", "保存"},
    {TREVALON_TXT(ButtonDiscard), "Discard", "저장 안 함", "保存しない"},
    {TREVALON_TXT(ButtonCancel), "Cancel", "취소", "キャンセル"},
    {TREVALON_TXT(LanguageSystem), "As the system", "시스템 설정에 따름", "システムの設定に従う"},
    {TREVALON_TXT(LanguageKorean), "Korean", "한국어", "韓国語"},
    {TREVALON_TXT(LanguageEnglish), "English", "영어", "英語"},
    {TREVALON_TXT(LanguageJapanese), "Japanese", "일본어", "日本語"},
    {TREVALON_TXT(TipLanguage),
     "The language of the menus, dialogs and messages; applied when the settings are saved",
     "메뉴, 대화상자, 메시지의 언어; 설정을 저장하면 바로 적용됩니다",
     "メニュー、ダイアログ、メッセージの言語。設定を保存するとすぐに反映されます"},
    // ---- Undo and redo: what they say, and the names of the commands they take back -----
    {TREVALON_TXT(UndoStep), "Undo: %s", "실행 취소: %s", "元に戻す: %s"},
    {TREVALON_TXT(RedoStep), "Redo: %s", "다시 실행: %s", "やり直し: %s"},
    {TREVALON_TXT(NothingToUndo), "Nothing to undo", "취소할 작업이 없습니다",
     "元に戻す操作はありません"},
    {TREVALON_TXT(NothingToRedo), "Nothing to redo", "다시 실행할 작업이 없습니다",
     "やり直す操作はありません"},
    {TREVALON_TXT(EditSummary), "%s: %u → %u points, %u arcs", "%s: %u → %u 포인트, 원호 %u",
     "%s: %u → %u 点、円弧 %u"},
    {TREVALON_TXT(CmdUnnamed), "change", "변경", "変更"},
    {TREVALON_TXT(CmdLoad), "load NC program", "NC 프로그램 불러오기", "NCプログラムの読み込み"},
    {TREVALON_TXT(CmdDeleteAll), "delete all paths", "모든 경로 삭제", "すべての経路の削除"},
    {TREVALON_TXT(CmdTrimInside), "trim inside", "안쪽 트림", "内側のトリム"},
    {TREVALON_TXT(CmdTrimOutside), "trim outside", "바깥쪽 트림", "外側のトリム"},
    {TREVALON_TXT(CmdDeletePoint), "delete point", "포인트 삭제", "点の削除"},
    {TREVALON_TXT(CmdDeletePath), "delete path", "경로 삭제", "経路の削除"},
    {TREVALON_TXT(CmdDeleteEverySecond), "delete every second path", "경로 하나 걸러 삭제",
     "一つおきの経路の削除"},
    {TREVALON_TXT(CmdDeleteInWindows), "delete inside windows", "윈도우 안 삭제",
     "ウィンドウ内の削除"},
    {TREVALON_TXT(CmdDeleteInPolygon), "delete inside polygon", "다각형 안 삭제", "多角形内の削除"},
    {TREVALON_TXT(CmdDeleteXyAngle), "delete by XY direction", "XY 방향으로 삭제",
     "XY方向による削除"},
    {TREVALON_TXT(CmdDeletePointsByLength), "long moves to rapids", "긴 이동을 급속이송으로",
     "長い移動を早送りに"},
    {TREVALON_TXT(CmdDeletePathsByLength), "delete short paths", "짧은 경로 삭제",
     "短い経路の削除"},
    {TREVALON_TXT(CmdDeleteZAngle), "delete by slope", "경사로 삭제", "傾斜による削除"},
    {TREVALON_TXT(CmdDeleteSelected), "delete selected moves", "선택된 이동 삭제",
     "選択された移動の削除"},
    {TREVALON_TXT(CmdReverse), "reverse paths", "경로 반전", "経路の反転"},
    {TREVALON_TXT(CmdReversePath), "reverse one path", "경로 하나 반전", "一つの経路の反転"},
    {TREVALON_TXT(CmdStartPoints), "start points", "시작점 변경", "開始点の変更"},
    {TREVALON_TXT(CmdSort), "sort paths", "경로 정렬", "経路の並べ替え"},
    {TREVALON_TXT(CmdZUpDown), "Z up to Z down", "Z 상승을 하강으로", "Z上昇を下降に"},
    {TREVALON_TXT(CmdTransform), "move/copy", "이동/복사", "移動/コピー"},
    {TREVALON_TXT(CmdLinearFilter), "linear filter", "직선 필터", "直線フィルター"},
    {TREVALON_TXT(CmdArcFilter), "arc filter", "원호 필터", "円弧フィルター"},
    {TREVALON_TXT(CmdSubdivide), "subdivide", "분할", "分割"},
    {TREVALON_TXT(CmdArcConvert), "arc conversion", "원호 변환", "円弧変換"},
    {TREVALON_TXT(CmdArcSimplify), "simplify to lines and arcs", "직선과 원호로 단순화",
     "直線と円弧への簡略化"},
    {TREVALON_TXT(CmdOffset), "offset points", "포인트 옵셋", "点のオフセット"},
    {TREVALON_TXT(CmdFace), "face milling", "페이스 가공", "フェイス加工"},
    {TREVALON_TXT(CmdRadial), "radial cuts", "방사 가공", "放射加工"},
    {TREVALON_TXT(CmdSpiral), "spiral", "나선 가공", "らせん加工"},
    {TREVALON_TXT(CmdRapidRebuild), "rapid rebuild", "급속이송 재생성", "早送りの再作成"},
    {TREVALON_TXT(CmdRegenerate), "regenerate", "이동 형식 정리", "移動タイプの整理"},
    {TREVALON_TXT(CmdFeedChange), "feed change", "피드 변경", "送り速度の変更"},
    {TREVALON_TXT(CmdFeedOptimizer), "feed optimiser", "피드 최적화", "送り速度の最適化"},
    {TREVALON_TXT(CmdMasterModel), "build master model", "마스터 모델 생성",
     "マスターモデルの作成"},
    {TREVALON_TXT(CmdMaterialFeeds), "feeds from the material", "소재 기반 피드",
     "材料に基づく送り速度"},
    {TREVALON_TXT(CmdEditText), "edit program text", "프로그램 텍스트 편집",
     "プログラムテキストの編集"},
    {TREVALON_TXT(CmdRenumber), "renumber blocks", "블록 번호 다시 매기기",
     "ブロック番号の振り直し"},
    {TREVALON_TXT(CmdTextFromToolpath), "program text from the toolpath",
     "경로에서 프로그램 텍스트 만들기", "経路からプログラムテキストを作成"},
    {TREVALON_TXT(TextNoLongerToolpath),
     "The program text no longer describes the toolpath (changed by %s): write the toolpath "
     "as the text, or keep the text",
     "프로그램 텍스트가 더 이상 경로와 맞지 않습니다 (%s 로 변경됨): 경로를 텍스트로 쓰거나 "
     "텍스트를 유지하십시오",
     "プログラムテキストは経路と一致しなくなりました (%s で変更): 経路をテキストとして書き出すか、"
     "テキストをそのまま残してください"},
    {TREVALON_TXT(TipSimulate),
     "Cut the work layer out of a stock: the material removed, rapids through material and air "
     "cuts",
     "작업 layer 로 소재를 깎아 봅니다: 제거량, 소재를 지나는 급속, 에어컷",
     "作業 layer で素材を削ってみます: 除去量、素材を通る早送り、エアカット"},
    {TREVALON_TXT(TipShowMachinedPart), "Show or hide the machined part of the last simulation",
     "마지막 시뮬레이션의 가공 형상을 보이거나 숨깁니다",
     "最後のシミュレーションの加工形状を表示または非表示にします"},
    {TREVALON_TXT(SimulationProgress), " Simulation %d %% (Esc stops)",
     " 시뮬레이션 %d %% (Esc 로 중지)", " シミュレーション %d %% (Esc で中止)"},
    {TREVALON_TXT(SimulationStopped), " Simulation stopped: the machined part is as it was",
     " 시뮬레이션 중지: 가공 형상은 그대로입니다", " シミュレーション中止: 加工形状はそのままです"},
    {TREVALON_TXT(SimulationRefused), "The simulation cannot run: %s",
     "시뮬레이션을 실행할 수 없습니다: %s", "シミュレーションを実行できません: %s"},
    {TREVALON_TXT(SimulationSummary),
     " Simulation: %.1f mm3 removed, %u rapids through material (first: %s), %u air cuts "
     "(%.1f mm)",
     " 시뮬레이션: 제거량 %.1f mm3, 소재를 지나는 급속 %u개 (처음: %s), 에어컷 %u개 (%.1f mm)",
     " シミュレーション: 除去量 %.1f mm3、素材を通る早送り %u 個 (最初: %s)、エアカット %u 個 "
     "(%.1f mm)"},
    {TREVALON_TXT(SimulationNoCollision), "none", "없음", "なし"},
    {TREVALON_TXT(SimulationMoveShown), " Move %u / %u: point %u, %.3f mm3 removed",
     " 이동 %u / %u: 점 %u, 제거량 %.3f mm3", " 移動 %u / %u: 点 %u、除去量 %.3f mm3"},
    {TREVALON_TXT(SimulationStale), "The toolpath changed since the simulation: run it again",
     "시뮬레이션 후 공구경로가 바뀌었습니다: 다시 실행하십시오",
     "シミュレーション後に工具経路が変わりました: もう一度実行してください"},
    // ---- The program pane as an editor -----------------------------------------------------
    {TREVALON_TXT(TipProgramEdit),
     "Edit the NC program in the pane beside the view; the toolpath follows the text",
     "보기 옆 창에서 NC 프로그램을 편집합니다; 공구경로가 텍스트를 따릅니다",
     "ビューの横のペインでNCプログラムを編集します。工具経路はテキストに従います"},
    {TREVALON_TXT(EditorEdit), "Edit", "편집", "編集"},
    {TREVALON_TXT(EditorApply), "Apply (Ctrl+Return)", "적용 (Ctrl+Return)", "適用 (Ctrl+Return)"},
    {TREVALON_TXT(EditorFind), "Find", "찾기", "検索"},
    {TREVALON_TXT(EditorReplace), "Replace", "바꾸기", "置換"},
    {TREVALON_TXT(EditorReplaceAll), "Replace all", "모두 바꾸기", "すべて置換"},
    {TREVALON_TXT(EditorRegex), "Regular expression", "정규식", "正規表現"},
    {TREVALON_TXT(EditorGoToLine), "Go to line", "줄로 이동", "行へ移動"},
    {TREVALON_TXT(EditorLinePrompt), "Line (1 to %s):", "줄 (1 ~ %s):", "行 (1～%s):"},
    {TREVALON_TXT(EditorRenumber), "Renumber blocks", "블록 번호 다시 매기기",
     "ブロック番号の振り直し"},
    {TREVALON_TXT(EditorRenumberStart), "Start", "시작", "開始"},
    {TREVALON_TXT(EditorRenumberStep), "Step", "간격", "増分"},
    {TREVALON_TXT(EditorRenumberEvery), "Every block (not only where an N word is)",
     "모든 블록 (N 워드가 있는 곳만이 아니라)", "すべてのブロック (N ワードのある所だけでなく)"},
    {TREVALON_TXT(EditorSaveText), "Save text", "텍스트 저장", "テキストを保存"},
    {TREVALON_TXT(EditorNotFound), "Not found: %s", "찾을 수 없음: %s", "見つかりません: %s"},
    {TREVALON_TXT(EditorReplaced), "%s replaced", "%s 개 바꿈", "%s 件置換"},
    {TREVALON_TXT(EditorBadPattern), "Not a valid regular expression: %s",
     "올바른 정규식이 아닙니다: %s", "正しい正規表現ではありません: %s"},
    {TREVALON_TXT(TextReplaceWithWritten), "Replace with the written program",
     "작성된 프로그램으로 바꾸기", "書き出したプログラムで置き換える"},
    {TREVALON_TXT(TextKeep), "Keep the text", "텍스트 유지", "テキストを残す"},
    {TREVALON_TXT(TextWriteCaption), "Write the toolpath as the program text",
     "공구경로를 프로그램 텍스트로 쓰기", "工具経路をプログラムテキストとして書き出す"},
};

#undef TREVALON_TXT

constexpr std::size_t kCount = static_cast<std::size_t>(Txt::Count);

static_assert(std::size(kTexts) == kCount, "every Txt needs exactly one entry in kTexts");

constexpr bool HasText(const char* s) {
  return s != nullptr && s[0] != '\0';
}

// Every entry sits at its own enumerator's place and has a name and three texts.
consteval bool TableIsComplete() {
  for (std::size_t i = 0; i < kCount; ++i) {
    const TxtEntry& e = kTexts[i];
    if (static_cast<std::size_t>(e.id) != i) return false;
    if (!HasText(e.name) || !HasText(e.en) || !HasText(e.ko) || !HasText(e.ja)) return false;
  }
  return true;
}
static_assert(TableIsComplete(), "kTexts must follow the order of Txt, with three texts each");

const TxtEntry* EntryOf(Txt id) {
  const auto i = static_cast<std::size_t>(static_cast<int>(id));
  return i < kCount ? &kTexts[i] : nullptr;  // a negative id wraps to a huge index
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// A decimal index of the table: digits only, no sign, below the entry count.
bool ParseIndex(std::string_view s, std::size_t& index) {
  if (s.empty()) return false;
  std::size_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::size_t>(c - '0');
    if (value >= kCount) return false;  // also stops long digit runs before they overflow
  }
  index = value;
  return true;
}

}  // namespace

const char* UserText(Txt id, Language lang) {
  const TxtEntry* e = EntryOf(id);
  if (e == nullptr) return "";
  switch (lang) {
    case Language::Korean:
      return e->ko;
    case Language::Japanese:
      return e->ja;
    case Language::English:
      break;
  }
  return e->en;
}

const char* TxtName(Txt id) {
  const TxtEntry* e = EntryOf(id);
  return e != nullptr ? e->name : "";
}

bool FindTxt(std::string_view nameOrIndex, Txt& out) {
  std::size_t index = 0;
  if (ParseIndex(nameOrIndex, index)) {
    out = static_cast<Txt>(index);
    return true;
  }
  for (const TxtEntry& e : kTexts) {
    if (EqualsIgnoringCase(nameOrIndex, e.name)) {
      out = e.id;
      return true;
    }
  }
  return false;
}

}  // namespace trevalon
