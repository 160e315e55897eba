! base: 0x0
! Counts level-9 interrupts at 0x06000100 and, once 101 have been taken
! (the 101st is due at cycle 184,224, inside scanline 100), jumps to
! 0xFFFFFFFF from the JMP at 0x300, which the runtime cannot execute.
    .text
    .long   start
    .long   0x06100000

    .org    0x100           ! vectors 64-71 (external levels 1-15)
    .long   ignore
    .long   ignore
    .long   ignore
    .long   ignore
    .long   on_level9
    .long   ignore
    .long   ignore
    .long   ignore

    .org    0x200
start:
    mov.l   counters, r8
    mov     #101, r2
    mov     #-1, r1
    mov     #0, r0
    ldc     r0, sr
wait:
    mov.l   @r8, r0
    cmp/eq  r2, r0
    bf      wait
    bra     stop_here
    nop

on_level9:
    mov.l   r0, @-r15
    mov.l   @r8, r0
    add     #1, r0
    mov.l   r0, @r8
    mov.l   @r15+, r0
    rte
    nop

ignore:
    rte
    nop

    .align  2
counters:   .long 0x06000100

    .org    0x300
stop_here:
    jmp     @r1
    nop
