; Timer 0 in mode 2 counts its overflows in 40h.
        LJMP    start
        ORG     0BH
        INC     40H
        RETI
        ORG     30H
start:  MOV     TMOD,#02H
        MOV     TH0,#0F6H
        MOV     TL0,#0F6H
        MOV     IE,#82H
        SETB    TR0
wait:   MOV     A,40H
        CJNE    A,#3,wait
done:   SJMP    done
