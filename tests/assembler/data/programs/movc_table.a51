; Squares from a table with MOVC into 30h-33h.
        MOV     DPTR,#table
        MOV     R0,#30H
        MOV     R3,#0
loop:   MOV     A,R3
        MOVC    A,@A+DPTR
        MOV     @R0,A
        INC     R0
        INC     R3
        CJNE    R3,#4,loop
done:   SJMP    done
        ORG     20H
table:  DB      0,1,4,9
