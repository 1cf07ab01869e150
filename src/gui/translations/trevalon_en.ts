<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="ko_KR">
    <context>
        <name>Trevalon</name>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>자동 피드 조정</source>
            <translation>Automatic feed adjustment</translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>공구 접근피드</source>
            <translation>Tool approach feed</translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>조건저장</source>
            <translation>Save conditions</translation>
        </message>
        <message>
            <location filename="../commands/copy_layer_dialog.cpp"/>
            <source>Layer  복사</source>
            <translation>Copy Layer</translation>
        </message>
        <message>
            <location filename="../commands/copy_layer_dialog.cpp"/>
            <source>복사할 Layer</source>
            <translation>Layer to copy from</translation>
        </message>
        <message>
            <location filename="../commands/copy_layer_dialog.cpp"/>
            <source>복사될 Layer</source>
            <translation>Layer to copy to</translation>
        </message>
        <message>
            <location filename="../commands/delete_commands.cpp"/>
            <source>변수를 입력하시요!!</source>
            <translation>Enter the values!!</translation>
        </message>
        <message>
            <location filename="../commands/delete_commands.cpp"/>
            <source> Tolerance </source>
            <translation> Tolerance </translation>
        </message>
        <message>
            <location filename="../commands/delete_commands.cpp"/>
            <source> Max surface angle </source>
            <translation> Max surface angle </translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>Echo Layer</source>
            <translation>Echo Layer</translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>All ON</source>
            <translation>All ON</translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>All OFF</source>
            <translation>All OFF</translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>Layer ON</source>
            <translation>Layer ON</translation>
        </message>
        <message>
            <location filename="../commands/echo_layer_dialog.cpp"/>
            <source>Layer OFF</source>
            <translation>Layer OFF</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>G02, G03의 feed를 변경합니다.</source>
            <translation>Changes the feed of G02, G03 arcs.</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 반경</source>
            <translation>Minimum radius</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 반경 feed</source>
            <translation>Feed at minimum radius</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 반경</source>
            <translation>Maximum radius</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 반경 feed</source>
            <translation>Feed at maximum radius</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>안전거리</source>
            <translation>Safety distance</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>Feed 변경후 감속</source>
            <translation>Slow down after the feed change</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>이송량에 의한 feed 변경</source>
            <translation>Feed by move length</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 거리</source>
            <translation>Minimum length</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 거리 feed</source>
            <translation>Feed at minimum length</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 거리</source>
            <translation>Maximum length</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 거리 feed</source>
            <translation>Feed at maximum length</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>기계와 DNC 조건을 입력하시요.</source>
            <translation>Enter the machine and DNC conditions.</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>공작기계</source>
            <translation>Machine tool</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>전송속도</source>
            <translation>Transfer rate</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 feed</source>
            <translation>Maximum feed</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최소 feed</source>
            <translation>Minimum feed</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>급속 feed</source>
            <translation>Rapid feed</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>Feed 단위</source>
            <translation>Feed unit</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>부르러운 feed</source>
            <translation>Smooth feed</translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>최대 feed로 변경후 감소</source>
            <translation>Maximum feed first, then reduce</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>전송 dialog</source>
            <translation>Transfer</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>최대 피드</source>
            <translation>Maximum feed</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>최저 피드</source>
            <translation>Minimum feed</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>Set</source>
            <translation>Set</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>계산기</source>
            <translation>Calculator</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>조건화일 :</source>
            <translation>Condition file :</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>정삭</source>
            <translation>Finishing</translation>
        </message>
        <message>
            <location filename="../commands/feed_optimizer_dialog.cpp"/>
            <source>Z 상하향 검색</source>
            <translation>Z up/down search</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>포인트 세분화</source>
            <translation>Subdivide points</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>All</source>
            <translation>All</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>선택</source>
            <translation>Selection</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>1 Point</source>
            <translation>1 Point</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>다각형</source>
            <translation>Polygon</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>세분화 간격</source>
            <translation>Subdivision step</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>Arc Convert</source>
            <translation>Arc Convert</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>Arc 변환 공차</source>
            <translation>Arc conversion tolerance</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>Arc 변환 포인트</source>
            <translation>Arc conversion points</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>필터링후  변환</source>
            <translation>Convert after filtering</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>필터링 공차</source>
            <translation>Filtering tolerance</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>XY 평면 ARC 변환</source>
            <translation>Convert arcs in the XY plane</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>ZX 평면 ARC 변환</source>
            <translation>Convert arcs in the ZX plane</translation>
        </message>
        <message>
            <location filename="../commands/filter_commands.cpp"/>
            <source>YZ 평면 ARC 변환</source>
            <translation>Convert arcs in the YZ plane</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>FaceMill</source>
            <translation>Face Mill</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>&lt;&lt; 방향 &gt;&gt;</source>
            <translation>&lt;&lt; Direction &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>&lt;&lt; 변수 Type &gt;&gt;</source>
            <translation>&lt;&lt; Parameter type &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>중심, 크기</source>
            <translation>Centre, size</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>최소, 크기</source>
            <translation>Minimum, size</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>최소, 최대</source>
            <translation>Minimum, maximum</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 최대</source>
            <translation>X maximum</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 최소</source>
            <translation>X minimum</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 크기</source>
            <translation>X size</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 최대</source>
            <translation>Y maximum</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 최소</source>
            <translation>Y minimum</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 크기</source>
            <translation>Y size</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>시작 높이</source>
            <translation>Start height</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Stepoever</source>
            <translation>Stepover</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 중심</source>
            <translation>X centre</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 중심</source>
            <translation>Y centre</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>X 좌표</source>
            <translation>X coordinate</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Y 좌표</source>
            <translation>Y coordinate</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Z 좌표</source>
            <translation>Z coordinate</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>Stepover</source>
            <translation>Stepover</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>외 경</source>
            <translation>Outer diameter</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>내 경</source>
            <translation>Inner diameter</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>방사선</source>
            <translation>Radial</translation>
        </message>
        <message>
            <location filename="../commands/generator_dialogs.cpp"/>
            <source>나선형</source>
            <translation>Spiral</translation>
        </message>
        <message>
            <location filename="../commands/layer_colour_dialog.cpp"/>
            <source>Layer color setting</source>
            <translation>Layer color setting</translation>
        </message>
        <message>
            <location filename="../commands/layer_colour_dialog.cpp"/>
            <source>layer %1</source>
            <translation>layer %1</translation>
        </message>
        <message>
            <location filename="../commands/layer_colour_dialog.cpp"/>
            <source>저장</source>
            <translation>Save</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer 정보</source>
            <translation>Layer Information</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer명</source>
            <translation>Layer name</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>파일명</source>
            <translation>File name</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer ProgNum</source>
            <translation>Layer ProgNum</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer ToolNum</source>
            <translation>Layer ToolNum</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer ToolOffset</source>
            <translation>Layer ToolOffset</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer spindle</source>
            <translation>Layer spindle</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>&lt;&lt; Layer 주석문 &gt;&gt;</source>
            <translation>&lt;&lt; Layer comment &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>Layer update</source>
            <translation>Layer update</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>출력화일</source>
            <translation>Output file</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>출력 layer</source>
            <translation>Output layers</translation>
        </message>
        <message>
            <location filename="../commands/layer_info_dialog.cpp"/>
            <source>쓰기 후 검증</source>
            <translation>Verify after writing</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>LMX 설정</source>
            <translation>LMX Settings</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>Master에 의한 LMX </source>
            <translation>LMX from the master model </translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>LMX 전송시 XY변화 축소(0.3)</source>
            <translation>Reduce XY changes in the LMX transfer (0.3)</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>부드러운 피드 변화</source>
            <translation>Smooth feed changes</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>피드 변화 단위</source>
            <translation>Feed change step</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>Z 상향 / Z 하향</source>
            <translation>Z up / Z down</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>경사/코너 감속비</source>
            <translation>Slope/corner reduction ratio</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>코너 가중치</source>
            <translation>Corner weights</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>경사 가중치</source>
            <translation>Slope weights</translation>
        </message>
        <message>
            <location filename="../commands/master_model_commands.cpp"/>
            <source>Master Model</source>
            <translation>Master Model</translation>
        </message>
        <message>
            <location filename="../commands/master_model_commands.cpp"/>
            <source>공구 직경</source>
            <translation>Tool diameter</translation>
        </message>
        <message>
            <location filename="../commands/master_model_commands.cpp"/>
            <source>가공 여유</source>
            <translation>Machining allowance</translation>
        </message>
        <message>
            <location filename="../commands/master_model_commands.cpp"/>
            <source>마스터 모델 공차</source>
            <translation>Master model tolerance</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>설정</source>
            <translation>Settings</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>Heidenhain 입력</source>
            <translation>Heidenhain input</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>Heidenhain 출력</source>
            <translation>Heidenhain output</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>정수 NCDATA 입력</source>
            <translation>Integer NC data input</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>ARC(G2, G3) -&gt; LINEAR(G01)</source>
            <translation>ARC(G2, G3) -&gt; LINEAR(G01)</translation>
        </message>
        <message>
            <location filename="../commands/nc_settings_dialog.cpp"/>
            <source>확장 읽기</source>
            <translation>Extended reading</translation>
        </message>
        <message>
            <location filename="../commands/offset_commands.cpp"/>
            <source>방향을 지정하시요 !!!</source>
            <translation>Give the direction !!!</translation>
        </message>
        <message>
            <location filename="../commands/offset_commands.cpp"/>
            <source>X 방향</source>
            <translation>X direction</translation>
        </message>
        <message>
            <location filename="../commands/offset_commands.cpp"/>
            <source>Y 방향</source>
            <translation>Y direction</translation>
        </message>
        <message>
            <location filename="../commands/offset_commands.cpp"/>
            <source>Z 방향</source>
            <translation>Z direction</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>선택된 공구경로</source>
            <translation>Selected toolpaths</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>다각형 선택</source>
            <translation>Polygon</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>공구경로 방향 바꾸기</source>
            <translation>Reverse toolpath direction</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>방향 바꾸기</source>
            <translation>Reverse the direction</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>순서 바꾸기</source>
            <translation>Reverse the order</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>두방향 경로</source>
            <translation>Two-way paths</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>공구경로 정렬</source>
            <translation>Sort toolpaths</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>방향유지, 시작점-시작점</source>
            <translation>Keep direction, start to start</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>방향유지, 시작점-끝점</source>
            <translation>Keep direction, start to end</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>방향무시</source>
            <translation>Ignore direction</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>정렬거리내 복귀높이 </source>
            <translation>Retract height within the sort distance </translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>정렬 거리</source>
            <translation>Sort distance</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>복귀 높이</source>
            <translation>Retract height</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>Z높이와 Z 각도로  방향을 변경합니다.</source>
            <translation>Changes the direction by Z height and Z angle.</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>Z 상향 부분만</source>
            <translation>Rising parts only</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>검색 높이 (Z height)</source>
            <translation>Search height (Z height)</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>검색 각도(Z angle)</source>
            <translation>Search angle (Z angle)</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>안전거리(Safe Dist)</source>
            <translation>Safety distance (Safe Dist)</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>공구경로 선택만</source>
            <translation>Selected toolpaths only</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>공구경로 이동, 회전, 미러, 복사</source>
            <translation>Move, rotate, mirror and copy toolpaths</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>거리</source>
            <translation>Distance</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>회전</source>
            <translation>Rotation</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>미러, 스케일</source>
            <translation>Mirror, scale</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>X축</source>
            <translation>X axis</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>Y축</source>
            <translation>Y axis</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>Z축</source>
            <translation>Z axis</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>중심</source>
            <translation>Centre</translation>
        </message>
        <message>
            <location filename="../commands/path_order_commands.cpp"/>
            <source>복사 횟수</source>
            <translation>Number of copies</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>Post Processor - 출력 파일</source>
            <translation>Post Processor - Output file</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>NC DATA 출력</source>
            <translation>NC Data Output</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>PP 파일</source>
            <translation>PP file</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>출력 파일</source>
            <translation>Output file</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>Spindle</source>
            <translation>Spindle</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>공구번호</source>
            <translation>Tool number</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>프로그램 번호</source>
            <translation>Program number</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>가공 정보</source>
            <translation>Machining information</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>Define</source>
            <translation>Define</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>시작</source>
            <translation>Start</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>새 절삭이송</source>
            <translation>New cut</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>절삭이송</source>
            <translation>Cut</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>새 급속이송</source>
            <translation>New rapid</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>급속이송</source>
            <translation>Rapid</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>공구 변경</source>
            <translation>Tool change</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>SPINDLE</source>
            <translation>SPINDLE</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>종료</source>
            <translation>End</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>PP 편집</source>
            <translation>Edit PP</translation>
        </message>
        <message>
            <location filename="../commands/post_processor_dialog.cpp"/>
            <source>PP저장</source>
            <translation>Save PP</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>원본 파일에 시작부가 없음: 고정 시작부를 씀</source>
            <translation>The source file has no start part: the fixed start is written</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>고정 시작부를 씀</source>
            <translation>The fixed start is written</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>Ncdata로 저장</source>
            <translation>Save as NC data</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>원본 파일</source>
            <translation>Source file</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>공구 장보정</source>
            <translation>Tool length offset</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>N번호 출력</source>
            <translation>Write N numbers</translation>
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
            <translation>Incremental (G91)</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>사선 급속이송</source>
            <translation>Diagonal rapid traverse</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>화일 시작, 종료부</source>
            <translation>File start and end</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>파일 생성후 편집기</source>
            <translation>Open in the editor after writing</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>기본형</source>
            <translation>Classic</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>TNC 형식</source>
            <translation>TNC style</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>하이덴하인 형식</source>
            <translation>Heidenhain style</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>시작점(X, Y, Z)</source>
            <translation>Start point (X, Y, Z)</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>시작부 미리보기</source>
            <translation>Start part preview</translation>
        </message>
        <message>
            <location filename="../commands/save_nc_dialog.cpp"/>
            <source>&lt;&lt; 주석문 &gt;&gt;</source>
            <translation>&lt;&lt; Comment &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>가공 시뮬레이션</source>
            <translation>Cutting simulation</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>소재를 공구경로에서</source>
            <translation>Stock from the toolpath</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>평 엔드밀</source>
            <translation>Flat end mill</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>볼 엔드밀</source>
            <translation>Ball end mill</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>불노즈 엔드밀</source>
            <translation>Bull nose end mill</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>공구</source>
            <translation>Tool</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>공구 직경 D</source>
            <translation>Tool diameter D</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>코너 반경 r</source>
            <translation>Corner radius r</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>셀 크기</source>
            <translation>Cell size</translation>
        </message>
        <message>
            <location filename="../commands/simulation_commands.cpp"/>
            <source>급속을 축별로도 검사</source>
            <translation>Also check rapids axis by axis</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>Ncdata 정보</source>
            <translation>NC Data Information</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최대 절삭속도</source>
            <translation>Maximum cutting feed</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>절삭 이송거리</source>
            <translation>Cutting length</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>급속 이송거리</source>
            <translation>Rapid traverse length</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>가공 예상시간(min)</source>
            <translation>Estimated machining time (min)</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>원호 이송거리</source>
            <translation>Arc length</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>기계 예상시간(min)</source>
            <translation>Estimated machine time (min)</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>급속 예상시간(min)</source>
            <translation>Estimated rapid time (min)</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>원호 포함 절삭시간(min)</source>
            <translation>Cutting time with arcs (min)</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최소 X:</source>
            <translation>Minimum X:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최소 Y:</source>
            <translation>Minimum Y:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최소 Z:</source>
            <translation>Minimum Z:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최대 X:</source>
            <translation>Maximum X:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최대 Y:</source>
            <translation>Maximum Y:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>최대 Z:</source>
            <translation>Maximum Z:</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>&lt;&lt; 절삭이송 &gt;&gt;</source>
            <translation>&lt;&lt; Cutting feed &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/toolpath_info_dialog.cpp"/>
            <source>&lt;&lt; 급속이송 &gt;&gt;</source>
            <translation>&lt;&lt; Rapid traverse &gt;&gt;</translation>
        </message>
        <message>
            <location filename="../commands/window_commands.cpp"/>
            <source>TREVALON 0.1
CNC toolpath workbench: view, edit, optimise and write NC programs.</source>
            <translation>TREVALON 0.1
CNC toolpath workbench: view, edit, optimise and write NC programs.</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>작업 환경</source>
            <translation>Work environment</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>Cross cursor</source>
            <translation>Cross cursor</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>언어</source>
            <translation>Language</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>메뉴와 대화상자를 한글로</source>
            <translation>Menus and dialogs in Korean</translation>
        </message>
        <message>
            <location filename="../commands/work_environment_dialog.cpp"/>
            <source>Save</source>
            <translation>Save</translation>
        </message>
        <message>
            <location filename="../commands/work_layer_dialog.cpp"/>
            <source>Select work layer</source>
            <translation>Select work layer</translation>
        </message>
        <message>
            <location filename="../dialog_kit.cpp"/>
            <source>확인</source>
            <translation>OK</translation>
        </message>
        <message>
            <location filename="../dialog_kit.cpp"/>
            <source>취소</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <location filename="../feed_plot_dock.cpp"/>
            <source>Feed 그래프</source>
            <translation>Feed chart</translation>
        </message>
        <message>
            <location filename="../feed_plot_dock.cpp"/>
            <source>PNG 저장</source>
            <translation>Save PNG</translation>
        </message>
        <message>
            <location filename="../feed_plot_dock.cpp"/>
            <source>SVG 저장</source>
            <translation>Save SVG</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>TREVALON 도움말</source>
            <translation>TREVALON Help</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>이전</source>
            <translation>Back</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>다음</source>
            <translation>Forward</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>목차 (F1)</source>
            <translation>Contents (F1)</translation>
        </message>
        <message>
            <location filename="../help_window.cpp"/>
            <source>찾기 (Ctrl+F)</source>
            <translation>Find (Ctrl+F)</translation>
        </message>
        <message>
            <location filename="../main_window.cpp"/>
            <source>NC 프로그램</source>
            <translation>NC program</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>파일(&amp;F)</source>
            <translation>&amp;File</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata 불러오기(&amp;N)...	Ctrl+N</source>
            <translation>Load &amp;NC data...	Ctrl+N</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata 추가하기(&amp;D)...	Ctrl+D</source>
            <translation>Appen&amp;d NC data...	Ctrl+D</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata로 저장(&amp;C)	Ctrl+C</source>
            <translation>&amp;Save as NC data	Ctrl+C</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer ncdata 저장(&amp;L)</source>
            <translation>Save &amp;layers as NC data</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Post Processor</source>
            <translation>Post Processor</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>새 창(&amp;W)</source>
            <translation>New &amp;window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>닫기(&amp;O)</source>
            <translation>Cl&amp;ose</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>최근 파일</source>
            <translation>Recent files</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>종료(&amp;X)</source>
            <translation>E&amp;xit</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>최적화(&amp;O)</source>
            <translation>&amp;Optimise</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Feed Optimizer</source>
            <translation>Feed Optimizer</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Lmx 마스터 모델</source>
            <translation>LMX master model</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>생성</source>
            <translation>Create</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>삭제</source>
            <translation>Delete</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>불러오기</source>
            <translation>Load</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>피드변경</source>
            <translation>Change feed</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Window로 최대 feed 변경</source>
            <translation>Maximum feed by window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Poly Window로 최대 feed 변경</source>
            <translation>Maximum feed by polygon window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Window로 최소 feed 변경</source>
            <translation>Minimum feed by window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Poly Window로 최소 feed 변경</source>
            <translation>Minimum feed by polygon window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Arc(G02,G03)에 의한 feed 변경</source>
            <translation>Feed by arc (G02, G03)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>기계조건에 의한 feed 변경</source>
            <translation>Feed by machine conditions</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>편집(&amp;E)</source>
            <translation>&amp;Edit</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Undo	Ctrl+Z</source>
            <translation>Undo	Ctrl+Z</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Redo	Ctrl+Y</source>
            <translation>Redo	Ctrl+Y</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>실행 취소 목록</source>
            <translation>Undo list</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>트림</source>
            <translation>Trim</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>윈도우 안쪽 트림(Ctrl+W)</source>
            <translation>Trim inside window (Ctrl+W)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>윈도우 바같쪽 트림</source>
            <translation>Trim outside window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>좌표 안쪽 트림</source>
            <translation>Trim inside coordinates</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>좌표 바같쪽 트림</source>
            <translation>Trim outside coordinates</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Z 좌표 바같쪽 트림</source>
            <translation>Trim outside Z coordinates</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>원 안쪽 트림</source>
            <translation>Trim inside circle</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>원 바같쪽 트림</source>
            <translation>Trim outside circle</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>다각형 안쪽 트림</source>
            <translation>Trim inside polygon</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>다각형 바같쪽 트림</source>
            <translation>Trim outside polygon</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>화일에 의한 안쪽 트림</source>
            <translation>Trim inside by file</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>화일에 의한 바같쪽 트림</source>
            <translation>Trim outside by file</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>포인트 (TAB)</source>
            <translation>Point (TAB)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>경로 1개 (SHIFT+D)</source>
            <translation>One path (SHIFT+D)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>중간 경로</source>
            <translation>Every second path</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>윈도우 안쪽</source>
            <translation>Inside window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>다각형 안쪽</source>
            <translation>Inside polygon</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>XY 각도</source>
            <translation>XY angle</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>길이에 의한 포인트</source>
            <translation>Points by length</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>길이에 의한 경로</source>
            <translation>Paths by length</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>모든경로</source>
            <translation>All paths</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Z 각도</source>
            <translation>Z angle</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>급속이송 경로 걸르기</source>
            <translation>Filter rapid traverse paths</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>선택 취소 (SPACE)</source>
            <translation>Clear selection (SPACE)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>선택된 공구경로 삭제(Shift+Del)</source>
            <translation>Delete selected toolpath (Shift+Del)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>선택 반전 (BACK SPACE)</source>
            <translation>Invert selection (BACK SPACE)</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구경로 순서</source>
            <translation>Toolpath order</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구 경로 1개 방향 바꾸기</source>
            <translation>Reverse one path</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>시작점 변경</source>
            <translation>Change start point</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>열려진 경로</source>
            <translation>Open paths</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>닫혀진 경로</source>
            <translation>Closed paths</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>닫혀진 경로 &amp; 열려진 경로</source>
            <translation>Closed &amp; open paths</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Z 상향 -&gt; Z 하향</source>
            <translation>Z up -&gt; Z down</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구경로 이동및 복사</source>
            <translation>Move and copy toolpath</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>필터링</source>
            <translation>Filtering</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata(G01) 필터링</source>
            <translation>NC data (G01) filtering</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata(G02, G03) 필터링</source>
            <translation>NC data (G02, G03) filtering</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Ncdata 재생성</source>
            <translation>Regenerate NC data</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Linear &lt;--&gt; ARC</source>
            <translation>Linear &lt;--&gt; Arc</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>포인트 Offset</source>
            <translation>Point offset</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>윈도우 안쪽 Offset</source>
            <translation>Offset inside window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>좌표 안쪽 Offset</source>
            <translation>Offset inside coordinates</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>원 안쪽 Offset</source>
            <translation>Offset inside circle</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>다각형 안쪽 Offset</source>
            <translation>Offset inside polygon</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>화일에 의한 안쪽 Offset</source>
            <translation>Offset inside by file</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>2D 공구경로 생성</source>
            <translation>2D toolpath generation</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Face</source>
            <translation>Face</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>보기(&amp;V)</source>
            <translation>&amp;View</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Top	F1</source>
            <translation>Top	F1</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Front	F2</source>
            <translation>Front	F2</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Side	F3</source>
            <translation>Side	F3</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Iso 1	F4</source>
            <translation>Iso 1	F4</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Iso 2	F5</source>
            <translation>Iso 2	F5</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Iso 3	F6</source>
            <translation>Iso 3	F6</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Iso 4	F7</source>
            <translation>Iso 4	F7</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Fit	F8</source>
            <translation>Fit	F8</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>여백 두고 Fit</source>
            <translation>Fit with margin</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Zoom in	F9</source>
            <translation>Zoom in	F9</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Zoom out	F10</source>
            <translation>Zoom out	F10</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Redraw</source>
            <translation>Redraw</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Rotate</source>
            <translation>Rotate</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Pan</source>
            <translation>Pan</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Select</source>
            <translation>Select</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Rapid</source>
            <translation>Rapid</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Feed color 보기</source>
            <translation>Show feed colours</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Grid</source>
            <translation>Grid</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Axis</source>
            <translation>Axis</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>마스타 모델 보기</source>
            <translation>Show master model</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Rotation center input</source>
            <translation>Rotation center input</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Rotation center select</source>
            <translation>Rotation center select</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Text editor</source>
            <translation>Text editor</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>NC 프로그램 보기</source>
            <translation>Show NC program</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>NC 프로그램 편집</source>
            <translation>Edit NC program</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구경로 정보</source>
            <translation>Toolpath information</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>가공 형상 보기</source>
            <translation>Machined part</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>기타(&amp;M)</source>
            <translation>&amp;Miscellaneous</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>작업 Layer</source>
            <translation>Work layer</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>공구경로에 의한 layer 선택</source>
            <translation>Select layer by toolpath</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer echo</source>
            <translation>Layer echo</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer 공구경로 복사</source>
            <translation>Copy layer toolpath</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer Setting</source>
            <translation>Layer Setting</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>설정(&amp;S)</source>
            <translation>&amp;Settings</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>NCDATA 설정</source>
            <translation>NC data settings</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>창(&amp;W)</source>
            <translation>&amp;Window</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Cascade</source>
            <translation>Cascade</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Tile</source>
            <translation>Tile</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Next	Ctrl+F6</source>
            <translation>Next	Ctrl+F6</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>도움말(&amp;H)</source>
            <translation>&amp;Help</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Help</source>
            <translation>Help</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Tutorial</source>
            <translation>Tutorial</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>About TREVALON</source>
            <translation>About TREVALON</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>View</source>
            <translation>View</translation>
        </message>
        <message>
            <location filename="../menus.cpp"/>
            <source>Layer</source>
            <translation>Layer</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>XY 영역</source>
            <translation>XY area</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>X값 최소</source>
            <translation>X minimum</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>Y값 최소</source>
            <translation>Y minimum</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>X값 최대</source>
            <translation>X maximum</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>Y값 최대</source>
            <translation>Y maximum</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>중심좌표와 반경을 입력하시요.</source>
            <translation>Enter the centre and the radius.</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>반경</source>
            <translation>Radius</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>Z minimum</source>
            <translation>Z minimum</translation>
        </message>
        <message>
            <location filename="../region_input.cpp"/>
            <source>Z maximum</source>
            <translation>Z maximum</translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>공구직경 </source>
            <translation>Tool diameter </translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>안전거리 </source>
            <translation>Safety distance </translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>코너최소각도 </source>
            <translation>Corner minimum angle </translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>코너최대감속비 </source>
            <translation>Corner maximum reduction </translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>경사최소각도 </source>
            <translation>Slope minimum angle </translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>경사최대감속비 </source>
            <translation>Slope maximum reduction </translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>최대피드 </source>
            <translation>Maximum feed </translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>가공소재 </source>
            <translation>Material </translation>
        </message>
        <message>
            <location filename="../commands/auto_feed_dialog.cpp"/>
            <source>가공조건 화일 :</source>
            <translation>Condition file :</translation>
        </message>
        <message>
            <location filename="../commands/delete_commands.cpp"/>
            <source> 삭제 길이 </source>
            <translation> Delete length </translation>
        </message>
        <message>
            <location filename="../commands/feed_change_commands.cpp"/>
            <source>CNC 가중치</source>
            <translation>CNC weight</translation>
        </message>
        <message>
            <location filename="../commands/lmx_settings_dialog.cpp"/>
            <source>도 가중치</source>
            <translation>° weight</translation>
        </message>
    </context>
</TS>
