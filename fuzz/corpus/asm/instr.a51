start: MOV A,#10H
	ADD A,R0
	CJNE A,#3,start
	MOV C,P1.3
	JMP @A+DPTR
