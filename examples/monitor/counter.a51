; Counter: counts on P1, reports each count on the serial line and stops at
; a BREAK after every sixteen counts, so that the IDE shows the board's
; registers and memory. Built for the board monitor in monitor.inc.

COUNT           DATA    30H             ; the count, also on P1
HITS            DATA    31H             ; how often the BREAK was reached

        ORG     0
        LJMP    main

        ORG     40H
main:   MOV     SP,#60H
        LCALL   mon_init
        MOV     DPTR,#banner
        LCALL   print
        MOV     COUNT,#0
        MOV     HITS,#0
next:   INC     COUNT
        MOV     P1,COUNT
        MOV     DPTR,#count_text
        LCALL   print
        MOV     A,COUNT
        LCALL   print_hex
        MOV     A,#0DH
        LCALL   putc
        MOV     A,#0AH
        LCALL   putc
        LCALL   delay
        MOV     A,COUNT
        ANL     A,#0FH
        JNZ     next
        INC     HITS
        MOV     A,COUNT                 ; what the IDE shows at the BREAK:
        MOV     B,HITS                  ; A the count, B the hits,
        MOV     DPTR,#1234H             ; DPTR a marker
at_break:
        BREAK
        SJMP    next

; Sends the text at DPTR up to its 0.
print:  CLR     A
        MOVC    A,@A+DPTR
        JZ      print_done
        LCALL   putc
        INC     DPTR
        SJMP    print
print_done:
        RET

; A as two hex digits.
print_hex:
        PUSH    ACC
        SWAP    A
        LCALL   print_digit
        POP     ACC
print_digit:
        ANL     A,#0FH
        ADD     A,#2
        MOVC    A,@A+PC
        SJMP    putc
        DB      '0123456789ABCDEF'

putc:   CLR     TI
        MOV     SBUF,A
putc_wait:
        JNB     TI,putc_wait
        RET

; About 70 ms at 11.0592 MHz.
delay:  MOV     R6,#128
delay_outer:
        MOV     R5,#0
delay_inner:
        DJNZ    R5,delay_inner
        DJNZ    R6,delay_outer
        RET

banner:         DB      'Counter ready',0DH,0AH,0
count_text:     DB      'Count ',0

        $monitor.inc

        END
