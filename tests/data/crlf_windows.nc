%
O8001
(WINDOWS CAM OUTPUT)
G90 G17 G21
G0 X0. Y0. Z10.
G1 Z-1. F400
N70 G1 X10. Y20. F800                                                     Z-2.
N80 G1 X30.                                                                Z-3.
G0 Z10.
M30
%
