; Blink: toggles the LED on P1.0 about twice a second.
;
; Timer 0 runs in mode 1 (16-bit) and overflows every 50 ms at 12 MHz; the
; interrupt counts ten overflows and then toggles the LED. P1.7 is a push
; button (active low): while it is held the LED blinks twice as fast.

        $board.inc

        %TITLE "Blink - timer-driven LED on P1"

        ORG     RESET_VECTOR
        LJMP    main

        ORG     TIMER0_VECTOR
        LJMP    timer0_isr

        ORG     100H
main:   MOV     SP,#STACK_TOP
        MOV     TMOD,#01H               ; timer 0: mode 1, 16-bit
        MOV     TH0,#HIGH(RELOAD)
        MOV     TL0,#LOW(RELOAD)
        MOV     ticks,#TICKS_SLOW
        SETB    ET0                     ; enable timer 0 interrupt
        SETB    EA
        SETB    TR0                     ; start timer 0
idle:   SJMP    idle                    ; everything happens in the interrupt

; Timer 0 overflow: reload, count down, toggle the LED when the count ends.
timer0_isr:
        PUSH    PSW
        PUSH    ACC
        CLR     TR0
        MOV     TH0,#HIGH(RELOAD)
        MOV     TL0,#LOW(RELOAD)
        SETB    TR0
        DJNZ    ticks,isr_done
        CPL     LED
        MOV     A,#TICKS_SLOW
        JB      BUTTON,set_ticks        ; button released: slow blink
        MOV     A,#TICKS_FAST
set_ticks:
        MOV     ticks,A
        INC     toggles
isr_done:
        POP     ACC
        POP     PSW
        RETI

version:
        DB      'Blink 1.0',0
        DW      main, timer0_isr

        END
