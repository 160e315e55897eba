! base: 0x00001000
! A busy program that never waits: a mix of ALU work, loads and stores
! over a 1 KiB table in work RAM, multiplies and taken branches, with
! the level-5 interrupt counting frames.
        .text
        .align  2
start:
        mov.l   vectors_k, r0
        ldc     r0, vbr
        mov.l   work_ram_k, r8
        mov     #0, r2
        mov.l   seed_k, r5
        mov     #0, r0
        ldc     r0, sr
loop:
        mov     r2, r0
        and     #255, r0
        shll2   r0
        mov.l   @(r0,r8), r1
        mulu.w  r5, r1
        sts     macl, r3
        add     r3, r1
        xor     r5, r1
        mov.l   r1, @(r0,r8)
        shlr    r5
        addc    r1, r5
        tst     #3, r0
        bt      skip
        add     #3, r2
skip:
        add     #1, r2
        bra     loop
        nop

vblank:
        mov.l   r0, @-r15
        mov.l   r1, @-r15
        mov.l   frames_k, r1
        mov.l   @r1, r0
        add     #1, r0
        mov.l   r0, @r1
        mov.l   @r15+, r1
        mov.l   @r15+, r0
        rte
        nop

ignore:
        rte
        nop

        .align  2
vectors_k:      .long   vectors
work_ram_k:     .long   0x06010000
frames_k:       .long   0x06000000
seed_k:         .long   0x2545F491

        .align  2
vectors:
        .rept   66
        .long   ignore
        .endr
        .long   vblank          ! vector 66: level 5
        .rept   189
        .long   ignore
        .endr
