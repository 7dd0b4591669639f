$MOD51
$TITLE(Serial echo: an upper-case copy of what the line sends)
; Serial echo with an interrupt routine. The serial interrupt takes each
; received byte into a ring buffer; the main loop sends it back in upper
; case. Timer 0 stands in for the terminal at the other end of the line:
; on every overflow it hands the next character of GREETING to the
; receiver, as the serial port would, and raises RI.

RXBYTE   DATA   30H             ; the byte the line delivered
HEAD     DATA   31H             ; ring buffer: next free slot
TAIL     DATA   32H             ;              next byte to echo
SENT     DATA   33H
RECEIVED DATA   34H
NEXTCHAR DATA   35H             ; the terminal's place in GREETING
RING     EQU    40H             ; 16 bytes
RINGMASK EQU    0x0F
TXBUSY   BIT    20H.0
LINEEND  BIT    20H.1           ; the terminal has sent everything

        ORG     0
        LJMP    MAIN
        ORG     0BH             ; timer 0: the terminal
        LJMP    TERMINAL
        ORG     23H             ; serial port
        LJMP    SERIAL

        ORG     30H
MAIN:   MOV     SP,#5FH
        CLR     A
        MOV     HEAD,A
        MOV     TAIL,A
        MOV     SENT,A
        MOV     RECEIVED,A
        MOV     NEXTCHAR,A
        CLR     TXBUSY
        CLR     LINEEND
        MOV     SCON,#0x50      ; mode 1, receiver on
        MOV     TMOD,#0x22      ; timer 1 gives the baud rate, timer 0 reloads
        MOV     TH1,#0FDH
        MOV     TH0,#0x00       ; 256 cycles between characters
        MOV     TL0,#0x00
        SETB    TR1
        SETB    PS              ; the serial port above the terminal
        MOV     IE,#10010010B   ; EA, ES, ET0
        SETB    TR0
LOOP:   MOV     A,TAIL
        CJNE    A,HEAD,ECHO     ; something received
        JNB     LINEEND,LOOP
        JB      TXBUSY,LOOP     ; let the last byte go out
        CLR     EA
DONE:   SJMP    DONE

ECHO:   ADD     A,#RING
        MOV     R0,A
        MOV     A,@R0
        CJNE    A,#"a",$+3      ; carry: below "a"
        JC      SEND
        CJNE    A,#'z'+1,$+3
        JNC     SEND
        ADD     A,#"A"-"a"
SEND:   JB      TXBUSY,$        ; one byte on the line at a time
        SETB    TXBUSY
        MOV     SBUF,A
        INC     SENT
        MOV     A,TAIL
        INC     A
        ANL     A,#RINGMASK
        MOV     TAIL,A
        SJMP    LOOP

; The serial interrupt works in bank 1, so the main loop's R0 is left alone.
        USING   1
SERIAL: PUSH    PSW
        PUSH    ACC
        MOV     PSW,#08H
        PUSH    AR0
        JNB     RI,SER_TX
        CLR     RI
        MOV     A,HEAD
        ADD     A,#RING
        MOV     R0,A
        MOV     @R0,RXBYTE
        MOV     A,HEAD
        INC     A
        ANL     A,#RINGMASK
        MOV     HEAD,A
        INC     RECEIVED
SER_TX: JNB     TI,SER_END
        CLR     TI
        CLR     TXBUSY
SER_END:POP     AR0
        POP     ACC
        POP     PSW
        RETI
        USING   0

; Timer 0: the terminal types GREETING, one character per overflow.
TERMINAL:
        PUSH    ACC
        PUSH    DPL
        PUSH    DPH
        JB      LINEEND,TERM_END
        MOV     DPTR,#GREETING
        MOV     A,NEXTCHAR
        MOVC    A,@A+DPTR
        JZ      TERM_LAST
        MOV     RXBYTE,A
        SETB    RI              ; as the receiver does with a whole frame
        INC     NEXTCHAR
        SJMP    TERM_END
TERM_LAST:
        SETB    LINEEND
        CLR     TR0
TERM_END:
        POP     DPH
        POP     DPL
        POP     ACC
        RETI

GREETING: DB    "Hello, 8051!",0x0D,0x0A,0
        END
