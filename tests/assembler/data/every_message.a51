; Every message of the assembler, each raised once. Lines with no message set things up.
BIGBIT  EQU     300
FOO     12
DUP     EQU     1
DUP     EQU     2
1SYM    EQU     3
1lab:   NOP
twice:  NOP
twice:  NOP
L234567890123456789012345678901234567890: NOP
        INCLUDE nothere.inc
        DB      (1+2
        DB      17Q
        DB      1A3
        DB      1QH
        DB      102B
        DW      123456789012345678901
        DB      20H.
        DB      20H.9
        DB      nowhere
        CLR     BIGBIT
        JNB     0-300,$
        CLR     300
        SJMP    $+200
        ACALL   1000H
        AJMP    1000H
        ADD     A,#300
        MOV     A,#300
        ADD     R0,A
        SUBB    R0,A
        ANL     30H
        ORL     30H,R1
        CJNE    A,#300,$
        CJNE    B,#1,$
        CJNE    R3,30H,$
        CLR     NOBIT
        SETB    NOBIT
        DA      B
        DIV     A
        MUL     A
        MOVC    B,@A+PC
        MOVC    A,@R0
        MOVX    A,@R2
        MOVX    @R0,B
        MOVX    @R2,A
        MOVX    B,A
        RL      B
        SWAP    B
        XCHD    A,R0
        XCHD    B,@R0
        ADD     A,300H
        MOV     A,ACC
        MOV     DPTR,1234H
        MOV     NOBIT,C
        MOV     30H,
        MOV     C,NOBIT
        DB      300
        RADIX   OCT
        PAGE    9
        %TITLE  no quotes
        %TOPMAR 3
        %TOPMAR 60
        %BOTMAR -70000
        %BOTMAR 60
        BREAK
:~~000000
:04FFFF000102030400
:04000002010203040F
:0400000001020304F3
        ORG     0
        NOP
        ORG     0FFFFH
        DB      1,2
        IF      0
        NOP
