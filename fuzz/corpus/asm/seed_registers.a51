COUNT   EQU R3
PTR     EQU R1
ACCU    EQU A
FLAG    EQU C
PAIR    EQU AB
DP      EQU DPTR
BAD     EQU R9
R       SET R2
        MOV A,#0x30
        MOV A,#0X3f
        MOV A,#0x
        MOV A,#12x
        MOV A,#5 garbage
        MOV A,#"Y"
        MOV A,#"Y
        DJNZ COUNT,$
        MOV @PTR,ACCU
        RL ACCU
        MOV FLAG,P1.0
        MUL PAIR
        INC DP
        MOV A,R
R       SET 30H
        MOV A,R
        USING 1
        PUSH AR3
        USING 9
        HEXFILE fuzz.a51
        END
