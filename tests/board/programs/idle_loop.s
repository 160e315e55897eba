! base: 0x0402EBD0
! The wait-for-frame loop as the game has it: the load at 0x0402EBD2 polls
! the word that r1 points to (0x0604D3C8) until it is non-zero; then the
! done marker 0x600DF00D goes to 0x06000000.
    .text
    nop
poll:
    mov.l   @r1, r0
    tst     r0, r0
    bt      poll
    mov.l   done_at, r2
    mov.l   done_value, r3
    mov.l   r3, @r2
spin:
    bra     spin
    nop

    .align  2
done_at:    .long 0x06000000
done_value: .long 0x600DF00D
