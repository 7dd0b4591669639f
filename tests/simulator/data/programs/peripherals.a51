; Every peripheral at once, for the run loop's equivalence tests. Timer 0
; goes through all sixteen TMOD settings (modes 0-3, counter, gate) while
; the main loop reads it, toggles its pins and writes its registers; timer 1
; is the baud generator; timer 2 reloads, captures and counts in turn; INT0
; and INT1 levels come from the program's own port writes; the serial
; routine sends a text byte by byte while the INT0 routine sends with a
; polled wait; timer 0 runs at high priority over the rest.
        LJMP    start
        ORG     03H
        LJMP    int0isr
        ORG     0BH
        LJMP    t0isr
        ORG     13H
        LJMP    int1isr
        ORG     1BH
        RETI
        ORG     23H
        LJMP    serisr
        ORG     2BH
        LJMP    t2isr

        ORG     40H
start:  MOV     SP,#60H
        MOV     SCON,#50H
        MOV     TMOD,#21H
        MOV     TH1,#0FDH
        MOV     TL1,#0FDH
        SETB    TR1
        MOV     TH0,#0FFH
        MOV     TL0,#00H
        MOV     RCAP2H,#0FEH
        MOV     RCAP2L,#80H
        MOV     T2CON,#04H
        MOV     IP,#02H
        MOV     IE,#0B7H
        SETB    TR0
        MOV     R7,#0
        MOV     R6,#0
        MOV     DPTR,#0100H
loop:   MOV     A,TL0
        ADD     A,TH0
        MOV     R2,A
        MOVX    @DPTR,A
        INC     DPTR
        ANL     DPH,#01H
        MOV     A,TL1
        XRL     A,R2
        MOV     B,#3
        MUL     AB
        DA      A
        XCH     A,R2
        CPL     P3.4
        CPL     P1.0
        INC     R7
        MOV     A,R7
        ANL     A,#07H
        JNZ     skip1
        CPL     P3.2
        CLR     P3.3
        SETB    P3.3
        CPL     P1.1
skip1:  MOV     A,R7
        JNZ     loop
        ; every 256 passes: the next TMOD for timer 0, a register write or
        ; two, and a text to send when the last one is done
        MOV     A,TMOD
        INC     A
        ANL     A,#2FH
        ORL     A,#20H
        MOV     TMOD,A
        PUSH    TL0
        POP     TH0
        INC     TL0
        ORL     TCON,#00H
        JB      00H,busy
        SETB    00H
        MOV     40H,#0
        MOV     SBUF,#'>'
busy:   INC     R6
        MOV     A,R6
        ANL     A,#03H
        JNZ     loop
        MOV     A,R6
        RR      A
        RR      A
        ANL     A,#03H
        MOV     DPTR,#t2modes
        MOVC    A,@A+DPTR
        MOV     T2CON,A
        MOV     DPTR,#0100H
        CJNE    R6,#40H,loop
        CLR     EA
done:   SJMP    done

t2modes: DB     04H,0DH,06H,0CH

int0isr: PUSH   ACC
        SETB    P3.2
        INC     31H
        MOV     A,31H
        ANL     A,#0FH
        JNZ     int0x
        MOV     SBUF,#'*'
        JNB     TI,$
        CLR     TI
int0x:  POP     ACC
        RETI

int1isr: INC    32H
        SETB    P3.3             ; a level request ends with its pin
        RETI

t0isr:  INC     33H
        MOV     A,33H
        JNB     ACC.0,t0x
        MOV     TL0,#80H
t0x:    RETI

t2isr:  CLR     T2CON.7
        CLR     T2CON.6
        INC     34H
        RETI

serisr: PUSH    PSW
        PUSH    ACC
        PUSH    DPL
        PUSH    DPH
        JNB     TI,serx
        CLR     TI
        MOV     A,40H
        MOV     DPTR,#text
        MOVC    A,@A+DPTR
        JZ      sent
        MOV     SBUF,A
        INC     40H
        SJMP    serx
sent:   CLR     00H
serx:   POP     DPH
        POP     DPL
        POP     ACC
        POP     PSW
        RETI

text:   DB      'Timers and serial',13,10,0
        END
