; simbench.a51 - CPU-bound 8051 simulator benchmark (plain Intel syntax).
;
; Main program: three nested DJNZ loops around an arithmetic/move body with
; MOVX traffic; no data-dependent branches, so the number of main-line
; instructions follows from the loop counts alone.
; Timer 0 runs in mode 1 (16-bit) with its interrupt enabled; the ISR reloads
; the timer, counts interrupts in 30H (lo) / 31H (hi) and is branch-free
; (13 instructions incl. RETI every time).
; At the end the program disables interrupts and halts at HALT: SJMP HALT,
; which is at a fixed address (HALT_ADDR, 0100H).
;
; Known-result checks for a second simulator: final A, B, PSW, R0-R7, DPTR,
; IRAM 30H, 31H, 40H-43H and XRAM 0000H-00FFH (the program initialises all
; of these itself, so the result does not depend on power-on RAM contents).

OUTER   EQU     0               ; R7: outermost loop count (0 = 256)
MIDDLE  EQU     0               ; R6: 0 means 256
INNER   EQU     100             ; R5: inner loop count
RELH    EQU     0FCH            ; timer reload FC00H -> overflow every 1024 cycles
RELL    EQU     00H

        ORG     0000H
        LJMP    MAIN
        ORG     000BH
        LJMP    T0ISR

        ORG     0030H
MAIN:   MOV     SP,#5FH
        MOV     30H,#0
        MOV     31H,#0
        MOV     40H,#0
        MOV     41H,#0
        MOV     42H,#0
        MOV     43H,#0
        MOV     R0,#11H
        MOV     R1,#22H
        MOV     R2,#33H
        MOV     R3,#44H
        MOV     R4,#0
        CLR     A               ; clear XRAM 0000H-00FFH (ucsim starts with
        MOV     DPTR,#0000H     ; pseudo-random XRAM/IRAM contents)
        MOV     R7,#0
XCLR:   MOVX    @DPTR,A
        INC     DPTR
        DJNZ    R7,XCLR
        MOV     DPTR,#0000H
        MOV     TMOD,#01H
        MOV     TH0,#RELH
        MOV     TL0,#RELL
        SETB    ET0
        SETB    EA
        SETB    TR0
        MOV     R7,#OUTER
LOOP1:  MOV     R6,#MIDDLE
LOOP2:  MOV     R5,#INNER
LOOP3:  MOV     A,R0            ; inner body: 14 instructions incl. DJNZ
        ADD     A,#3
        MOV     R0,A
        ADDC    A,R1
        MOV     R1,A
        SUBB    A,#7
        XRL     A,R2
        MOV     R2,A
        ANL     A,#0F0H
        ORL     A,R4
        RL      A
        MOV     R3,A
        INC     R4
        DJNZ    R5,LOOP3
        MOV     A,R3            ; middle body: 21 instructions incl. DJNZ
        MOVX    @DPTR,A
        INC     DPTR
        ANL     DPH,#00H        ; keep DPTR inside 0000H-00FFH
        MOVX    A,@DPTR
        ADD     A,R2
        MOV     40H,A
        MOV     B,#7
        MUL     AB
        ADD     A,B
        MOV     B,#5
        DIV     AB
        XCH     A,40H
        PUSH    ACC
        POP     ACC
        CJNE    A,#55H,NEXT     ; target = next instruction: same count either way
NEXT:   ADDC    A,41H
        MOV     41H,A
        DA      A
        MOV     42H,A
        DJNZ    R6,LOOP2
        INC     43H             ; outer body: 2 instructions incl. DJNZ
        DJNZ    R7,LOOP1
        CLR     EA              ; tail: 3 instructions, then HALT
        CLR     TR0
        LJMP    HALT

        ORG     0100H
HALT:   SJMP    HALT

        ORG     0200H
T0ISR:  PUSH    PSW             ; ISR: 13 instructions incl. RETI
        PUSH    ACC
        MOV     TH0,#RELH
        MOV     TL0,#RELL
        MOV     A,30H
        ADD     A,#1
        MOV     30H,A
        CLR     A
        ADDC    A,31H
        MOV     31H,A
        POP     ACC
        POP     PSW
        RETI
        END
