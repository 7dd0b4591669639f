; Golden example
$defs.inc
        ORG     0
start:  MOV     A,#COUNT
        LCALL   delay
        SJMP    start
level   SET     1
level   SET     2
        ORG     20H
delay:  MOV     R7,#level
wait:   DJNZ    R7,wait
        CPL     LED
        RET
        IF      COUNT > 2
        DB      'Y'
        ELSE
        DB      'N'
        ENDIF
table:  DW      start,delay
:03000000010203F7
        DB      300
        LJMP    missing
        END
