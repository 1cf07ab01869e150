<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="ko_KR">
    <context>
        <name>Trevalon</name>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>자동 피드 조정</source>
            <translation>自動送り調整</translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>공구 접근피드</source>
            <translation>工具アプローチ送り</translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>조건저장</source>
            <translation>条件保存</translation>
        </message>
        <message>
            <location filename="../commands/copy_layer_dialog.cpp"/>
            <source>Layer  복사</source>
            <translation>レイヤーのコピー</translation>
        </message>
        <message>
            <location filename="../commands/copy_layer_dialog.cpp"/>
            <source>복사할 Layer</source>
            <translation>コピー元レイヤー</translation>
        </message>
        <message>
            <location filename="../commands/copy_layer_dialog.cpp"/>
            <source>복사될 Layer</source>
            <translation>コピー先レイヤー</translation>
        </message>
        <message>
            <location filename="../commands/delete_commands.cpp"/>
            <source>변수를 입력하시요!!</source>
            <translation>値を入力してください!!</translation>
        </message>
        <message>
            <location filename="../commands/delete_commands.cpp"/>
            <source> Tolerance </source>
            <translation> 許容差 </translation>
        </message>
        <message>
            <location filename="../commands/delete_commands.cpp"/>
            <source> Max surface angle </source>
            <translation> 最大面角度 </translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>Echo Layer</source>
            <translation>レイヤーエコー</translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>All ON</source>
            <translation>すべて ON</translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>All OFF</source>
            <translation>すべて OFF</translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>Layer ON</source>
            <translation>レイヤー ON</translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>Layer OFF</source>
            <translation>レイヤー OFF</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>G02, G03의 feed를 변경합니다.</source>
            <translation>G02, G03 の送り速度を変更します。</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 반경</source>
            <translation>最小半径</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 반경 feed</source>
            <translation>最小半径の送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 반경</source>
            <translation>最大半径</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 반경 feed</source>
            <translation>最大半径の送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>안전거리</source>
            <translation>安全距離</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>Feed 변경후 감속</source>
            <translation>送り変更後に減速</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>이송량에 의한 feed 변경</source>
            <translation>移動量による送り速度変更</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 거리</source>
            <translation>最小距離</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 거리 feed</source>
            <translation>最小距離の送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 거리</source>
            <translation>最大距離</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 거리 feed</source>
            <translation>最大距離の送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>기계와 DNC 조건을 입력하시요.</source>
            <translation>機械と DNC の条件を入力してください。</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>공작기계</source>
            <translation>工作機械</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>전송속도</source>
            <translation>転送速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 feed</source>
            <translation>最大送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 feed</source>
            <translation>最小送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>급속 feed</source>
            <translation>早送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>Feed 단위</source>
            <translation>送り速度の単位</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>부르러운 feed</source>
            <translation>滑らかな送り</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 feed로 변경후 감소</source>
            <translation>最大送りに変更後に減速</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>전송 dialog</source>
            <translation>転送</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>최대 피드</source>
            <translation>最大送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>최저 피드</source>
            <translation>最低送り速度</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>Set</source>
            <translation>設定</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>계산기</source>
            <translation>計算機</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>조건화일 :</source>
            <translation>条件ファイル :</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>정삭</source>
            <translation>仕上げ</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>Z 상하향 검색</source>
            <translation>Z 上下方向の検索</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>포인트 세분화</source>
            <translation>ポイントの細分化</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>All</source>
            <translation>すべて</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>선택</source>
            <translation>選択</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>1 Point</source>
            <translation>1 ポイント</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>다각형</source>
            <translation>多角形</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>세분화 간격</source>
            <translation>細分化の間隔</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>Arc Convert</source>
            <translation>円弧変換</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>Arc 변환 공차</source>
            <translation>円弧変換の公差</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>Arc 변환 포인트</source>
            <translation>円弧変換のポイント数</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>필터링후  변환</source>
            <translation>フィルタリング後に変換</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>필터링 공차</source>
            <translation>フィルタリング公差</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>XY 평면 ARC 변환</source>
            <translation>XY 平面の円弧変換</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>ZX 평면 ARC 변환</source>
            <translation>ZX 平面の円弧変換</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>YZ 평면 ARC 변환</source>
            <translation>YZ 平面の円弧変換</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>FaceMill</source>
            <translation>正面フライス</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>&lt;&lt; 방향 &gt;&gt;</source>
            <translation>&lt;&lt; 方向 &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>&lt;&lt; 변수 Type &gt;&gt;</source>
            <translation>&lt;&lt; パラメータの種類 &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>중심, 크기</source>
            <translation>中心、サイズ</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>최소, 크기</source>
            <translation>最小、サイズ</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>최소, 최대</source>
            <translation>最小、最大</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 최대</source>
            <translation>X 最大</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 최소</source>
            <translation>X 最小</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 크기</source>
            <translation>X サイズ</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 최대</source>
            <translation>Y 最大</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 최소</source>
            <translation>Y 最小</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 크기</source>
            <translation>Y サイズ</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>시작 높이</source>
            <translation>開始高さ</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Stepoever</source>
            <translation>ステップオーバー</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 중심</source>
            <translation>X 中心</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 중심</source>
            <translation>Y 中心</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 좌표</source>
            <translation>X 座標</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 좌표</source>
            <translation>Y 座標</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Z 좌표</source>
            <translation>Z 座標</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Stepover</source>
            <translation>ステップオーバー</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>외 경</source>
            <translation>外径</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>내 경</source>
            <translation>内径</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>방사선</source>
            <translation>放射状</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>나선형</source>
            <translation>スパイラル</translation>
        </message>
        <message>
            <location filename="../commands/layer_colour_dialog.cpp"/>
            <source>Layer color setting</source>
            <translation>レイヤー色の設定</translation>
        </message>
        <message>
            <location filename="../commands/layer_colour_dialog.cpp"/>
            <source>layer %1</source>
            <translation>レイヤー %1</translation>
        </message>
        <message>
            <location filename="../commands/layer_colour_dialog.cpp"/>
            <source>저장</source>
            <translation>保存</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer 정보</source>
            <translation>レイヤー情報</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer명</source>
            <translation>レイヤー名</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>파일명</source>
            <translation>ファイル名</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer ProgNum</source>
            <translation>レイヤー プログラム番号</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer ToolNum</source>
            <translation>レイヤー 工具番号</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer ToolOffset</source>
            <translation>レイヤー 工具補正番号</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer spindle</source>
            <translation>レイヤー 主軸回転数</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>&lt;&lt; Layer 주석문 &gt;&gt;</source>
            <translation>&lt;&lt; レイヤーのコメント &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer update</source>
            <translation>レイヤー更新</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>출력화일</source>
            <translation>出力ファイル</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>출력 layer</source>
            <translation>出力レイヤー</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>쓰기 후 검증</source>
            <translation>書き込み後に検証</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>LMX 설정</source>
            <translation>LMX 設定</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>Master에 의한 LMX </source>
            <translation>マスターモデルによる LMX </translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>LMX 전송시 XY변화 축소(0.3)</source>
            <translation>LMX 転送時に XY 変化を縮小(0.3)</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>부드러운 피드 변화</source>
            <translation>滑らかな送り変化</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>피드 변화 단위</source>
            <translation>送り変化の単位</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>Z 상향 / Z 하향</source>
            <translation>Z 上向き / Z 下向き</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>경사/코너 감속비</source>
            <translation>傾斜/コーナー減速比</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>코너 가중치</source>
            <translation>コーナーの重み</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>경사 가중치</source>
            <translation>傾斜の重み</translation>
        </message>
        <message>
            <location filename="../commands/master_model_commands.cpp"/>
            <source>Master Model</source>
            <translation>マスターモデル</translation>
        </message>
        <message>
            <location filename="../commands/master_model_commands.cpp"/>
            <source>공구 직경</source>
            <translation>工具直径</translation>
        </message>
        <message>
            <location filename="../commands/master_model_commands.cpp"/>
            <source>가공 여유</source>
            <translation>加工取り代</translation>
        </message>
        <message>
            <location filename="../commands/master_model_commands.cpp"/>
            <source>마스터 모델 공차</source>
            <translation>マスターモデル公差</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>설정</source>
            <translation>設定</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>Heidenhain 입력</source>
            <translation>Heidenhain 入力</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>Heidenhain 출력</source>
            <translation>Heidenhain 出力</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>정수 NCDATA 입력</source>
            <translation>整数 NC データ入力</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>ARC(G2, G3) -&gt; LINEAR(G01)</source>
            <translation>円弧(G2, G3) -&gt; 直線(G01)</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>확장 읽기</source>
            <translation>拡張読み込み</translation>
        </message>
        <message>
            <location filename="../commands/offset_commands.cpp"/>
            <source>방향을 지정하시요 !!!</source>
            <translation>方向を指定してください !!!</translation>
        </message>
        <message>
            <location filename="../commands/offset_commands.cpp"/>
            <source>X 방향</source>
            <translation>X 方向</translation>
        </message>
        <message>
            <location filename="../commands/offset_commands.cpp"/>
            <source>Y 방향</source>
            <translation>Y 方向</translation>
        </message>
        <message>
            <location filename="../commands/offset_commands.cpp"/>
            <source>Z 방향</source>
            <translation>Z 方向</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>선택된 공구경로</source>
            <translation>選択した工具経路</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>다각형 선택</source>
            <translation>多角形で選択</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>공구경로 방향 바꾸기</source>
            <translation>工具経路の方向を反転</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>방향 바꾸기</source>
            <translation>方向を反転</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>순서 바꾸기</source>
            <translation>順序を反転</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>두방향 경로</source>
            <translation>双方向の経路</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>공구경로 정렬</source>
            <translation>工具経路の並べ替え</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>방향유지, 시작점-시작점</source>
            <translation>方向を維持、開始点-開始点</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>방향유지, 시작점-끝점</source>
            <translation>方向を維持、開始点-終点</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>방향무시</source>
            <translation>方向を無視</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>정렬거리내 복귀높이 </source>
            <translation>並べ替え距離内の退避高さ </translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>정렬 거리</source>
            <translation>並べ替え距離</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>복귀 높이</source>
            <translation>退避高さ</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>Z높이와 Z 각도로  방향을 변경합니다.</source>
            <translation>Z 高さと Z 角度で方向を変更します。</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>Z 상향 부분만</source>
            <translation>Z 上向きの部分のみ</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>검색 높이 (Z height)</source>
            <translation>検索高さ (Z height)</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>검색 각도(Z angle)</source>
            <translation>検索角度(Z angle)</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>안전거리(Safe Dist)</source>
            <translation>安全距離(Safe Dist)</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>공구경로 선택만</source>
            <translation>選択した工具経路のみ</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>공구경로 이동, 회전, 미러, 복사</source>
            <translation>工具経路の移動、回転、ミラー、コピー</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>거리</source>
            <translation>距離</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>회전</source>
            <translation>回転</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>미러, 스케일</source>
            <translation>ミラー、スケール</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>X축</source>
            <translation>X 軸</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>Y축</source>
            <translation>Y 軸</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>Z축</source>
            <translation>Z 軸</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>중심</source>
            <translation>中心</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>복사 횟수</source>
            <translation>コピー回数</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>Post Processor - 출력 파일</source>
            <translation>ポストプロセッサ - 出力ファイル</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>NC DATA 출력</source>
            <translation>NC データ出力</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>PP 파일</source>
            <translation>PP ファイル</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>출력 파일</source>
            <translation>出力ファイル</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>Spindle</source>
            <translation>主軸回転数</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>공구번호</source>
            <translation>工具番号</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>프로그램 번호</source>
            <translation>プログラム番号</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>가공 정보</source>
            <translation>加工情報</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>Define</source>
            <translation>定義</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>시작</source>
            <translation>開始</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>새 절삭이송</source>
            <translation>新しい切削送り</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>절삭이송</source>
            <translation>切削送り</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>새 급속이송</source>
            <translation>新しい早送り</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>급속이송</source>
            <translation>早送り</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>공구 변경</source>
            <translation>工具交換</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>SPINDLE</source>
            <translation>主軸</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>종료</source>
            <translation>終了</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>PP 편집</source>
            <translation>PP 編集</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>PP저장</source>
            <translation>PP 保存</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>원본 파일에 시작부가 없음: 고정 시작부를 씀</source>
            <translation>元ファイルに開始部がありません：固定の開始部を出力します</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>고정 시작부를 씀</source>
            <translation>固定の開始部を出力します</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>Ncdata로 저장</source>
            <translation>NC データとして保存</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>원본 파일</source>
            <translation>元のファイル</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>공구 장보정</source>
            <translation>工具長補正</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>N번호 출력</source>
            <translation>N 番号を出力</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>하이덴하인</source>
            <translation>Heidenhain</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>IJK -&gt; R</source>
            <translation>IJK -&gt; R</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>Incremental (G91)</source>
            <translation>インクリメンタル (G91)</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>사선 급속이송</source>
            <translation>斜めの早送り</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>화일 시작, 종료부</source>
            <translation>ファイルの開始部と終了部</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>파일 생성후 편집기</source>
            <translation>作成後にエディタで開く</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>기본형</source>
            <translation>標準形式</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>TNC 형식</source>
            <translation>TNC形式</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>하이덴하인 형식</source>
            <translation>Heidenhain形式</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>시작점(X, Y, Z)</source>
            <translation>開始点(X, Y, Z)</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>시작부 미리보기</source>
            <translation>開始部のプレビュー</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>&lt;&lt; 주석문 &gt;&gt;</source>
            <translation>&lt;&lt; コメント &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>가공 시뮬레이션</source>
            <translation>切削シミュレーション</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>소재를 공구경로에서</source>
            <translation>素材を工具経路から</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>평 엔드밀</source>
            <translation>フラットエンドミル</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>볼 엔드밀</source>
            <translation>ボールエンドミル</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>불노즈 엔드밀</source>
            <translation>ラジアスエンドミル</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>공구</source>
            <translation>工具</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>공구 직경 D</source>
            <translation>工具径 D</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>코너 반경 r</source>
            <translation>コーナー半径 r</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>셀 크기</source>
            <translation>セルサイズ</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>급속을 축별로도 검사</source>
            <translation>早送りを軸ごとにも検査</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>Ncdata 정보</source>
            <translation>NC データ情報</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최대 절삭속도</source>
            <translation>最大切削送り速度</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>절삭 이송거리</source>
            <translation>切削送り距離</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>급속 이송거리</source>
            <translation>早送り距離</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>가공 예상시간(min)</source>
            <translation>予想加工時間(min)</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>원호 이송거리</source>
            <translation>円弧の移動距離</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>기계 예상시간(min)</source>
            <translation>予想機械時間(min)</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>급속 예상시간(min)</source>
            <translation>予想早送り時間(min)</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>원호 포함 절삭시간(min)</source>
            <translation>円弧を含む切削時間(min)</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최소 X:</source>
            <translation>最小 X:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최소 Y:</source>
            <translation>最小 Y:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최소 Z:</source>
            <translation>最小 Z:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최대 X:</source>
            <translation>最大 X:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최대 Y:</source>
            <translation>最大 Y:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최대 Z:</source>
            <translation>最大 Z:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>&lt;&lt; 절삭이송 &gt;&gt;</source>
            <translation>&lt;&lt; 切削送り &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>&lt;&lt; 급속이송 &gt;&gt;</source>
            <translation>&lt;&lt; 早送り &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/window_commands.cpp"/>
            <source>TREVALON 0.1
CNC toolpath workbench: view, edit, optimise and write NC programs.</source>
            <translation>TREVALON 0.1
CNC 工具経路ワークベンチ: NC プログラムの表示、編集、最適化、出力。</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>작업 환경</source>
            <translation>作業環境</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>Cross cursor</source>
            <translation>十字カーソル</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>언어</source>
            <translation>言語</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>메뉴와 대화상자를 한글로</source>
            <translation>メニューとダイアログを韓国語で</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>Save</source>
            <translation>保存</translation>
        </message>
        <message>
            <location filename="../commands/work_layer_dialog.cpp"/>
            <source>Select work layer</source>
            <translation>作業レイヤーの選択</translation>
        </message>
        <message>
            <location filename="../dialog_kit.cpp"/>
            <source>확인</source>
            <translation>OK</translation>
        </message>
        <message>
            <location filename="../dialog_kit.cpp"/>
            <source>취소</source>
            <translation>キャンセル</translation>
        </message>
        <message>
            <location filename="../feed_plot_dock.cpp"/>
            <source>Feed 그래프</source>
            <translation>送りグラフ</translation>
        </message>
        <message>
            <location filename="../feed_plot_dock.cpp"/>
            <source>PNG 저장</source>
            <translation>PNG 保存</translation>
        </message>
        <message>
            <location filename="../feed_plot_dock.cpp"/>
            <source>SVG 저장</source>
            <translation>SVG 保存</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>TREVALON 도움말</source>
            <translation>TREVALON ヘルプ</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>이전</source>
            <translation>戻る</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>다음</source>
            <translation>進む</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>목차 (F1)</source>
            <translation>目次 (F1)</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>찾기 (Ctrl+F)</source>
            <translation>検索 (Ctrl+F)</translation>
        </message>
        <message>
            <location filename="../main_window.cpp"/>
            <source>NC 프로그램</source>
            <translation>NCプログラム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>파일(&amp;F)</source>
            <translation>ファイル(&amp;F)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata 불러오기(&amp;N)...	Ctrl+N</source>
            <translation>NC データを開く(&amp;N)...	Ctrl+N</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata 추가하기(&amp;D)...	Ctrl+D</source>
            <translation>NC データを追加(&amp;D)...	Ctrl+D</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata로 저장(&amp;C)	Ctrl+C</source>
            <translation>NC データとして保存(&amp;C)	Ctrl+C</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer ncdata 저장(&amp;L)</source>
            <translation>レイヤーを NC データで保存(&amp;L)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Post Processor</source>
            <translation>ポストプロセッサ</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>새 창(&amp;W)</source>
            <translation>新しいウィンドウ(&amp;W)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>닫기(&amp;O)</source>
            <translation>閉じる(&amp;O)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>최근 파일</source>
            <translation>最近使ったファイル</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>종료(&amp;X)</source>
            <translation>終了(&amp;X)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>최적화(&amp;O)</source>
            <translation>最適化(&amp;O)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Feed Optimizer</source>
            <translation>フィードオプティマイザ</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Lmx 마스터 모델</source>
            <translation>LMX マスターモデル</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>생성</source>
            <translation>作成</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>삭제</source>
            <translation>削除</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>불러오기</source>
            <translation>読み込み</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>피드변경</source>
            <translation>送り速度の変更</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Window로 최대 feed 변경</source>
            <translation>ウィンドウで最大送り速度を変更</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Poly Window로 최대 feed 변경</source>
            <translation>多角形ウィンドウで最大送り速度を変更</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Window로 최소 feed 변경</source>
            <translation>ウィンドウで最小送り速度を変更</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Poly Window로 최소 feed 변경</source>
            <translation>多角形ウィンドウで最小送り速度を変更</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Arc(G02,G03)에 의한 feed 변경</source>
            <translation>円弧(G02,G03)による送り速度変更</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>기계조건에 의한 feed 변경</source>
            <translation>機械条件による送り速度変更</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>편집(&amp;E)</source>
            <translation>編集(&amp;E)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Undo	Ctrl+Z</source>
            <translation>元に戻す	Ctrl+Z</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Redo	Ctrl+Y</source>
            <translation>やり直し	Ctrl+Y</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>실행 취소 목록</source>
            <translation>元に戻す履歴</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>트림</source>
            <translation>トリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>윈도우 안쪽 트림(Ctrl+W)</source>
            <translation>ウィンドウの内側をトリム(Ctrl+W)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>윈도우 바같쪽 트림</source>
            <translation>ウィンドウの外側をトリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>좌표 안쪽 트림</source>
            <translation>座標の内側をトリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>좌표 바같쪽 트림</source>
            <translation>座標の外側をトリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Z 좌표 바같쪽 트림</source>
            <translation>Z 座標の外側をトリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>원 안쪽 트림</source>
            <translation>円の内側をトリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>원 바같쪽 트림</source>
            <translation>円の外側をトリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>다각형 안쪽 트림</source>
            <translation>多角形の内側をトリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>다각형 바같쪽 트림</source>
            <translation>多角形の外側をトリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>화일에 의한 안쪽 트림</source>
            <translation>ファイルによる内側トリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>화일에 의한 바같쪽 트림</source>
            <translation>ファイルによる外側トリム</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>포인트 (TAB)</source>
            <translation>ポイント (TAB)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>경로 1개 (SHIFT+D)</source>
            <translation>経路 1 本 (SHIFT+D)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>중간 경로</source>
            <translation>一つおきの経路</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>윈도우 안쪽</source>
            <translation>ウィンドウの内側</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>다각형 안쪽</source>
            <translation>多角形の内側</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>XY 각도</source>
            <translation>XY 角度</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>길이에 의한 포인트</source>
            <translation>長さによるポイント</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>길이에 의한 경로</source>
            <translation>長さによる経路</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>모든경로</source>
            <translation>すべての経路</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Z 각도</source>
            <translation>Z 角度</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>급속이송 경로 걸르기</source>
            <translation>早送り経路のフィルタリング</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>선택 취소 (SPACE)</source>
            <translation>選択解除 (SPACE)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>선택된 공구경로 삭제(Shift+Del)</source>
            <translation>選択した工具経路を削除(Shift+Del)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>선택 반전 (BACK SPACE)</source>
            <translation>選択の反転 (BACK SPACE)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구경로 순서</source>
            <translation>工具経路の順序</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구 경로 1개 방향 바꾸기</source>
            <translation>経路 1 本の方向を反転</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>시작점 변경</source>
            <translation>開始点の変更</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>열려진 경로</source>
            <translation>開いた経路</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>닫혀진 경로</source>
            <translation>閉じた経路</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>닫혀진 경로 &amp; 열려진 경로</source>
            <translation>閉じた経路 &amp; 開いた経路</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Z 상향 -&gt; Z 하향</source>
            <translation>Z 上向き -&gt; Z 下向き</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구경로 이동및 복사</source>
            <translation>工具経路の移動とコピー</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>필터링</source>
            <translation>フィルタリング</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata(G01) 필터링</source>
            <translation>NC データ(G01)のフィルタリング</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata(G02, G03) 필터링</source>
            <translation>NC データ(G02, G03)のフィルタリング</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata 재생성</source>
            <translation>NC データの再生成</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Linear &lt;--&gt; ARC</source>
            <translation>直線 &lt;--&gt; 円弧</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>포인트 Offset</source>
            <translation>ポイントオフセット</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>윈도우 안쪽 Offset</source>
            <translation>ウィンドウの内側をオフセット</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>좌표 안쪽 Offset</source>
            <translation>座標の内側をオフセット</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>원 안쪽 Offset</source>
            <translation>円の内側をオフセット</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>다각형 안쪽 Offset</source>
            <translation>多角形の内側をオフセット</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>화일에 의한 안쪽 Offset</source>
            <translation>ファイルによる内側オフセット</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>2D 공구경로 생성</source>
            <translation>2D 工具経路の生成</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Face</source>
            <translation>フェース</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>보기(&amp;V)</source>
            <translation>表示(&amp;V)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Top	F1</source>
            <translation>上面	F1</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Front	F2</source>
            <translation>正面	F2</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Side	F3</source>
            <translation>側面	F3</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Iso 1	F4</source>
            <translation>等角 1	F4</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Iso 2	F5</source>
            <translation>等角 2	F5</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Iso 3	F6</source>
            <translation>等角 3	F6</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Iso 4	F7</source>
            <translation>等角 4	F7</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Fit	F8</source>
            <translation>全体表示	F8</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>여백 두고 Fit</source>
            <translation>余白付き全体表示</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Zoom in	F9</source>
            <translation>拡大	F9</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Zoom out	F10</source>
            <translation>縮小	F10</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Redraw</source>
            <translation>再描画</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Rotate</source>
            <translation>回転</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Pan</source>
            <translation>パン</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Select</source>
            <translation>選択</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Rapid</source>
            <translation>早送り</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Feed color 보기</source>
            <translation>送り速度の色表示</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Grid</source>
            <translation>グリッド</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Axis</source>
            <translation>座標軸</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>마스타 모델 보기</source>
            <translation>マスターモデルの表示</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Rotation center input</source>
            <translation>回転中心の入力</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Rotation center select</source>
            <translation>回転中心の選択</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Text editor</source>
            <translation>テキストエディタ</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>NC 프로그램 보기</source>
            <translation>NCプログラム表示</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>NC 프로그램 편집</source>
            <translation>NCプログラム編集</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구경로 정보</source>
            <translation>工具経路情報</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>가공 형상 보기</source>
            <translation>加工形状を表示</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>기타(&amp;M)</source>
            <translation>その他(&amp;M)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>작업 Layer</source>
            <translation>作業レイヤー</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구경로에 의한 layer 선택</source>
            <translation>工具経路によるレイヤー選択</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer echo</source>
            <translation>レイヤーエコー</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer 공구경로 복사</source>
            <translation>レイヤーの工具経路をコピー</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer Setting</source>
            <translation>レイヤー設定</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>설정(&amp;S)</source>
            <translation>設定(&amp;S)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>NCDATA 설정</source>
            <translation>NC データ設定</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>창(&amp;W)</source>
            <translation>ウィンドウ(&amp;W)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Cascade</source>
            <translation>重ねて表示</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Tile</source>
            <translation>並べて表示</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Next	Ctrl+F6</source>
            <translation>次のウィンドウ	Ctrl+F6</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>도움말(&amp;H)</source>
            <translation>ヘルプ(&amp;H)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Help</source>
            <translation>ヘルプ</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Tutorial</source>
            <translation>チュートリアル</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>About TREVALON</source>
            <translation>TREVALON について</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>View</source>
            <translation>表示</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer</source>
            <translation>レイヤー</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>XY 영역</source>
            <translation>XY 領域</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>X값 최소</source>
            <translation>X 最小値</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>Y값 최소</source>
            <translation>Y 最小値</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>X값 최대</source>
            <translation>X 最大値</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>Y값 최대</source>
            <translation>Y 最大値</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>중심좌표와 반경을 입력하시요.</source>
            <translation>中心座標と半径を入力してください。</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>반경</source>
            <translation>半径</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>Z minimum</source>
            <translation>Z 最小</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>Z maximum</source>
            <translation>Z 最大</translation>
        </message>
    </context>
</TS>
