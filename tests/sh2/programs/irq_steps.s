! Code for interrupt and exception tests (snippet i at 0x1000 + i * 0x80).
! Snippet 0 is a main loop of NOPs; snippets 8 and 9 are handlers: NOP
! first, so a test that runs one instruction after acceptance finds
! pc = handler + 2; then they count their runs in R9 and return.
! base: 0x1000

    .org 0*0x80
main:
    .rept 56
    nop
    .endr
    bra     main
    nop

    .irp n, 8, 9
    .org \n*0x80
    nop
    add     #1,r9
    rte
    nop
    .endr
