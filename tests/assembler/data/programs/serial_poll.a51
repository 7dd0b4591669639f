; Polled transmit with interrupts off: each byte waits for TI.
        MOV     DPTR,#text
next:   CLR     A
        MOVC    A,@A+DPTR
        JZ      done
        MOV     SBUF,A
        JNB     TI,$
        CLR     TI
        INC     DPTR
        SJMP    next
done:   SJMP    done
text:   DB      'OK',13,10,0
