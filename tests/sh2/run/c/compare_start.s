! Entry of the compiled comparison program: calls cmp_run(in, 32, out)
! with a fresh stack, then writes the finish marker and spins.
        .text
        .global _start
_start:
        mov.l   stack_top,r15
        mov.l   in_words,r4
        mov     #32,r5
        mov.l   out_words,r6
        mov.l   entry,r0
        jsr     @r0
        nop
        mov.l   done_address,r1
        mov.l   done_value,r0
        mov.l   r0,@r1
finished:
        bra     finished
        nop

        .align  2
stack_top:    .long   0x0007F000
in_words:     .long   0x00600000
out_words:    .long   0x00600100
done_address: .long   0x00600400
done_value:   .long   0x600DF00D
entry:        .long   cmp_run
        .section .note.GNU-stack,"",%progbits
