#include "app/user_texts.h"

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
    {TREVALON_TXT(LayerToolMismatch),
     " Source layer와 target layer의 공구가 같지않습니다. \n 작업을 진행하겠습니까!!!",
     " Source layer와 target layer의 공구가 같지않습니다. \n 작업을 진행하겠습니까!!!",
     " ソースレイヤーとターゲットレイヤーの工具が一致しません。 \n 作業を続行しますか!!!"},

    // ---- NC program writer --------------------------------------------------------------
    {TREVALON_TXT(CannotOutputIncrementalAsHeidenhain),
     " Incremental ncdata를 하이덴하인으로 출력할 수 없습니다.!!!",
     " Incremental ncdata를 하이덴하인으로 출력할 수 없습니다.!!!",
     " インクリメンタルのNCデータはハイデンハイン形式で出力できません!!!"},
    {TREVALON_TXT(DiagonalRapidFound), " 사선으로 이동 되는 급속이송이 발견 되었습니다!!!.",
     " 사선으로 이동 되는 급속이송이 발견 되었습니다!!!.",
     " 斜めに移動する早送りが見つかりました!!!"},
    {TREVALON_TXT(ConfirmStop), " 중지 하겠습니까?", " 중지 하겠습니까?", " 中止しますか?"},

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
