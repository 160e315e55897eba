! base: 0x0
! Drives the free-running timer's interrupts. The test puts the set-up in
! work RAM before the first frame: 0x06000000 TIER, 0x06000004 FTCSR value
! written by the handler to acknowledge, 0x06000008 FRC start value,
! 0x0600000C OCRA. The timer interrupt has priority 12, compare vector 80
! and overflow vector 81. The handler counts at 0x06000100 and keeps the
! counter value it read on entry at 0x06000104.
    .text
    .long   start
    .long   0x06100000

    .org    0x100           ! vectors 64-71: the external levels are ignored
    .long   ignore
    .long   ignore
    .long   ignore
    .long   ignore
    .long   ignore
    .long   ignore
    .long   ignore
    .long   ignore

    .org    0x140           ! vectors 80 and 81
    .long   on_timer
    .long   on_timer

    .org    0x200
start:
    mov.l   setup, r9
    mov.l   counters, r8
    mov.l   frt, r1
    ! priority 12 in IPRB bits 11-8; vectors in VCRC and VCRD
    mov.l   iprb, r2
    mov     #12, r0
    mov.b   r0, @r2
    mov.l   vcrc_low, r2
    mov     #80, r0
    mov.b   r0, @r2
    mov.l   vcrd, r2
    mov     #81, r0
    mov.b   r0, @r2
    ! TCR: one count per 8 cycles; OCRA selected
    mov     #0, r0
    mov.b   r0, @(6, r1)
    mov.b   r0, @(7, r1)
    mov.l   @(12, r9), r0
    mov.w   r0, @(4, r1)
    ! CCLRA from the acknowledge value, then the counter, then the enables
    mov.l   @(4, r9), r0
    mov.b   r0, @(1, r1)
    mov.l   @(8, r9), r0
    mov.w   r0, @(2, r1)
    mov.l   @r9, r0
    mov.b   r0, @r1
    mov     #0, r0
    ldc     r0, sr
spin:
    bra     spin
    nop

on_timer:
    mov.l   r0, @-r15
    mov.l   r1, @-r15
    mov.l   frt, r1
    mov.w   @(2, r1), r0
    mov.l   r0, @(4, r8)
    mov.l   @r8, r0
    add     #1, r0
    mov.l   r0, @r8
    ! acknowledge: the flags clear where 0 is written
    mov.l   @(4, r9), r0
    mov.b   r0, @(1, r1)
    mov.l   @r15+, r1
    mov.l   @r15+, r0
    rte
    nop

ignore:
    rte
    nop

    .align  2
setup:      .long 0x06000000
counters:   .long 0x06000100
frt:        .long 0xFFFFFE10
iprb:       .long 0xFFFFFE60
vcrc_low:   .long 0xFFFFFE67
vcrd:       .long 0xFFFFFE68
