; HD44780-style character display on an 8-bit bus: data on P2, RS on P3.4,
; E on P3.5. The driver keeps a shadow of the 16-character line in internal
; RAM, so the line can be redrawn or read back. Registers are named by what
; they hold.

CHAR    EQU     R7              ; character or command being written
COUNT   EQU     R6
PTR     EQU     R0              ; into the shadow
WAITS   EQU     R5
UNITS   EQU     R4
RS      BIT     P3.4
EN      BIT     P3.5
LCDBUS  DATA    P2
SHADOW  EQU     50H             ; 16 bytes
CURSOR  DATA    4FH
TEMP    DATA    4EH

        ORG     0
        LJMP    START

        ORG     40H
START:  MOV     SP,#2FH
        ACALL   LCD_INIT
        MOV     TEMP,#23
        MOV     DPTR,#CAPTION
        ACALL   LCD_STRING
        MOV     A,TEMP
        ACALL   LCD_NUMBER
        MOV     CHAR,#0DFH      ; the degree sign of the controller's font
        ACALL   LCD_DATA
        MOV     CHAR,#'C'
        ACALL   LCD_DATA
DONE:   SJMP    DONE

; Function set, display on, clear; the shadow is cleared with it.
LCD_INIT:
        MOV     CHAR,#38H       ; 8-bit bus, two lines, 5x8 dots
        ACALL   LCD_COMMAND
        MOV     CHAR,#0CH       ; display on, cursor off
        ACALL   LCD_COMMAND
        MOV     CHAR,#01H       ; clear, cursor home
        ACALL   LCD_COMMAND
        MOV     PTR,#SHADOW
        MOV     COUNT,#16
CLEAR:  MOV     @PTR,#' '
        INC     PTR
        DJNZ    COUNT,CLEAR
        MOV     CURSOR,#0
        RET

LCD_COMMAND:
        CLR     RS
        SJMP    LCD_WRITE

; Writes CHAR at the cursor, on the display and in the shadow.
LCD_DATA:
        MOV     A,CURSOR
        ANL     A,#0FH
        ADD     A,#SHADOW
        MOV     PTR,A
        MOV     A,CHAR
        MOV     @PTR,A
        INC     CURSOR
        SETB    RS
LCD_WRITE:
        MOV     LCDBUS,CHAR
        SETB    EN              ; the controller takes the bus on the falling edge
        NOP
        CLR     EN
        MOV     WAITS,#20       ; 40 us for the controller
        DJNZ    WAITS,$
        RET

; Writes the zero-terminated string at DPTR.
LCD_STRING:
        CLR     A
        MOVC    A,@A+DPTR
        JZ      STRING_END
        MOV     CHAR,A
        ACALL   LCD_DATA
        INC     DPTR
        SJMP    LCD_STRING
STRING_END:
        RET

; Writes A (0 to 99) as two decimal digits.
LCD_NUMBER:
        MOV     B,#10
        DIV     AB
        MOV     UNITS,B
        ADD     A,#'0'
        MOV     CHAR,A
        ACALL   LCD_DATA
        MOV     A,UNITS
        ADD     A,#'0'
        MOV     CHAR,A
        ACALL   LCD_DATA
        RET

CAPTION: DB     "Temp: ",0
        END
