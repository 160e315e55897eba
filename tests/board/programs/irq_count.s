! base: 0x0
! Counts the interrupts that the frame runner raises. Counters at
! 0x06000100: +0 level 1, +4 level 5, +8 level 9, +12 level 11, +16 level 15,
! +20 on-chip timer; +24 the level-9 count seen when level 5 was taken,
! +28 the level-9 count seen when level 1 was taken. The main program only
! lowers the interrupt mask and spins.
    .text
    .long   start
    .long   0x06100000

    .org    0x100           ! vectors 64-71 (external levels 1-15)
    .long   on_level1
    .long   unexpected
    .long   on_level5
    .long   unexpected
    .long   on_level9
    .long   on_level11
    .long   unexpected
    .long   on_level15

    .org    0x200
start:
    mov.l   counters, r8
    mov     #0, r0
    ldc     r0, sr
spin:
    bra     spin
    nop

    .macro  COUNT disp
    mov.l   r0, @-r15
    mov.l   @(\disp, r8), r0
    add     #1, r0
    mov.l   r0, @(\disp, r8)
    mov.l   @r15+, r0
    .endm

on_level1:
    COUNT   0
    mov.l   r0, @-r15
    mov.l   @(8, r8), r0
    mov.l   r0, @(28, r8)
    mov.l   @r15+, r0
    rte
    nop
on_level5:
    COUNT   4
    mov.l   r0, @-r15
    mov.l   @(8, r8), r0
    mov.l   r0, @(24, r8)
    mov.l   @r15+, r0
    rte
    nop
on_level9:
    COUNT   8
    rte
    nop
on_level11:
    COUNT   12
    rte
    nop
on_level15:
    COUNT   16
    rte
    nop
unexpected:
    bra     unexpected
    nop

    .align  2
counters:   .long 0x06000100
