; Sends A, B, C; the serial interrupt counts each byte sent.
        LJMP    start
        ORG     23H
        CLR     TI
        INC     40H
        RETI
        ORG     30H
start:  MOV     IE,#90H
        MOV     R7,#'A'
next:   MOV     SBUF,R7
wait:   MOV     A,40H
        JZ      wait
        MOV     40H,#0
        INC     R7
        CJNE    R7,#'D',next
done:   SJMP    done
