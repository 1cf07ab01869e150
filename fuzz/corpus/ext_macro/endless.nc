N1 G01 X1 (loop)
GOTO 1
