$NOMOD51
$TITLE('Parameter block check')
$PAGEWIDTH(120) PAGELENGTH(60) NOPAGING
$NOLIST
$INCLUDE(reg52.inc)
$LIST
$DEBUG NOSYMBOLS XREF
$MOD52
; Adds up a parameter block in code memory as 16-bit words, compares the sum
; with the block's stored check word and leaves the verdict where a monitor
; reads it: 01h in STATUS for a good block, 0EEh for a bad one.

BLOCKLEN EQU    8               ; words, the check word not counted
SUMLO   DATA    30H
SUMHI   DATA    31H
STATUS  DATA    32H
WORDS   EQU     R7

        ORG     0
        LJMP    START
$EJECT
        ORG     100H
START:  MOV     SP,#3FH
        CLR     EA
        MOV     T2CON,#00H      ; timer 2 stopped: nothing runs behind our back
        CLR     A
        MOV     SUMLO,A
        MOV     SUMHI,A
        MOV     DPTR,#BLOCK
        MOV     WORDS,#BLOCKLEN
NEXT:   CLR     A
        MOVC    A,@A+DPTR       ; low byte first, as DW stores it
        ADD     A,SUMLO
        MOV     SUMLO,A
        INC     DPTR
        CLR     A
        MOVC    A,@A+DPTR
        ADDC    A,SUMHI
        MOV     SUMHI,A
        INC     DPTR
        DJNZ    WORDS,NEXT
        CLR     A               ; the check word
        MOVC    A,@A+DPTR
        CJNE    A,SUMLO,BAD
        INC     DPTR
        CLR     A
        MOVC    A,@A+DPTR
        CJNE    A,SUMHI,BAD
        MOV     STATUS,#0x01
        SJMP    DONE
BAD:    MOV     STATUS,#0xEE
DONE:   SJMP    DONE

$SAVE NOLIST
BLOCK:  DB      0x34,0x12, 0x78,0x56, 0xBC,0x9A, 0xF0,0xDE
        DB      0x01,0x00, 0x02,0x00, 0x03,0x00, 0x04,0x00
CHECK:  DB      0x62, 0xE2      ; 1234H+5678H+9ABCH+0DEF0H+1+2+3+4 = 1E262H
$RESTORE
        END
