; A program that keeps every debug window busy: direct and internal RAM,
; registers, external RAM, the stack and a running timer change all the time.
	ORG	0
	LJMP	MAIN
	ORG	30H
MAIN:	MOV	SP,#5FH
	MOV	TMOD,#11H
	SETB	TR0
	MOV	DPTR,#0100H
LOOP:	INC	30H
	MOV	A,30H
	MOVX	@DPTR,A
	INC	DPTR
	ACALL	WORK
	DJNZ	R7,LOOP
	MOV	DPTR,#0100H
	SJMP	LOOP
WORK:	PUSH	ACC
	ADD	A,R2
	MOV	R2,A
	POP	ACC
	RET
	END
