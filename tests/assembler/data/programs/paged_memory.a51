; One byte per 64 KB page of external memory; 30h selects the page.
        MOV     DPTR,#1234H
        MOV     30H,#0
loop:   MOV     A,30H
        ADD     A,#0A0H
        MOVX    @DPTR,A
        INC     30H
        MOV     A,30H
        CJNE    A,#4,loop
        MOV     30H,#2
        MOVX    A,@DPTR
done:   SJMP    done
