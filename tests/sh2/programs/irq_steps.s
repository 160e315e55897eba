! Code for interrupt, exception and sleep tests (snippet i at
! 0x1000 + i * 0x80). Snippets 8-15 are handlers: NOP first, so a test
! that runs one instruction after acceptance finds pc = handler + 2; then
! they count their runs in R9 and return.
! base: 0x1000

    .org 0*0x80
main:
    .rept 56
    nop
    .endr
    bra     main
    nop

    .org 1*0x80
    ldc     r1,sr
    .rept 8
    nop
    .endr

    .org 2*0x80
    sleep
    mov     #1,r8
1:  bra     1b
    nop

    .org 3*0x80
    trapa   #0x21
    mov     #1,r8
    .word   0xFFFF
    mov     #2,r8
1:  bra     1b
    nop

    .irp n, 8, 9, 10, 11, 12, 13, 14, 15
    .org \n*0x80
    nop
    add     #1,r9
    rte
    nop
    .endr

    ! Illegal-instruction handler: steps over the faulting instruction.
    .org 16*0x80
    mov.l   @r15,r0
    add     #2,r0
    mov.l   r0,@r15
    add     #1,r10
    rte
    nop
