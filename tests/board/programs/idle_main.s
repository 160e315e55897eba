! base: 0x0
! Enters the game's wait-for-frame loop at 0x0402EBD2 (program idle_loop in
! the program ROM), polling the work RAM word 0x0604D3C8. The level-5
! (vertical blank) handler sets that word, which releases the loop. Level-9
! interrupts are counted at 0x06000100, level-5 ones at 0x06000104.
    .text
    .long   start
    .long   0x06100000

    .org    0x100           ! vectors 64-71 (external levels 1-15)
    .long   ignore
    .long   ignore
    .long   on_level5
    .long   ignore
    .long   on_level9
    .long   ignore
    .long   ignore
    .long   ignore

    .org    0x200
start:
    mov.l   counters, r8
    mov.l   poll_word, r1
    mov.l   loop_entry, r3
    mov     #0, r0
    ldc     r0, sr
    jmp     @r3
    nop

on_level9:
    mov.l   r0, @-r15
    mov.l   @r8, r0
    add     #1, r0
    mov.l   r0, @r8
    mov.l   @r15+, r0
    rte
    nop
on_level5:
    mov.l   r0, @-r15
    mov.l   @(4, r8), r0
    add     #1, r0
    mov.l   r0, @(4, r8)
    mov     #1, r0
    mov.l   r0, @r1
    mov.l   @r15+, r0
    rte
    nop
ignore:
    rte
    nop

    .align  2
counters:   .long 0x06000100
poll_word:  .long 0x0604D3C8
loop_entry: .long 0x0402EBD2
