! Branches, delay slots, exception-type instructions and SLEEP, one case
! per snippet (snippet i at 0x1000 + i * 0x80). Branch targets sit 0x40
! bytes into their snippet; PC-relative data in slots sits at 0x60.
! base: 0x1000

    .org 0*0x80
1:  bt      1b
    .org 1*0x80
1:  bf      1b
    .org 2*0x80
    bt      1f
    nop
    nop
1:  nop
    .org 3*0x80
    bra     1f
    add     #1,r1
    .org 3*0x80+0x40
1:  nop
    .org 4*0x80
    bra     1f
    mul.l   r1,r1
    .org 4*0x80+0x40
1:  nop
    .org 5*0x80
    bra     1f
    tas.b   @r2
    .org 5*0x80+0x40
1:  nop
    .org 6*0x80
    jmp     @r1
    mov     #0,r1
    .org 7*0x80
    rts
    lds     r2,pr
    .org 8*0x80
    braf    r1
    add     #2,r1
    .org 9*0x80
    jsr     @r1
    sts     pr,r2
    .org 10*0x80
    bsr     1f
    sts     pr,r2
    .org 10*0x80+0x40
1:  nop
    .org 11*0x80
    bsrf    r1
    sts     pr,r2
    .org 12*0x80
    bra     1f
    mova    2f,r0
    .org 12*0x80+0x40
1:  nop
    .org 12*0x80+0x60
2:  .long   0
    .org 13*0x80
    nop
    bra     1f
    mova    2f,r0
    .org 13*0x80+0x40
1:  nop
    .org 13*0x80+0x60
2:  .long   0
    .org 14*0x80
    bra     1f
    mov.l   2f,r2
    .org 14*0x80+0x40
1:  nop
    .org 14*0x80+0x60
2:  .long   0x13579BDF
    .org 15*0x80
    bf/s    1f
    add     #1,r1
    .org 15*0x80+0x40
1:  nop
    .org 16*0x80
    bt/s    1f
    add     #1,r1
    .org 16*0x80+0x40
1:  nop
    .org 17*0x80
    rte
    stc     sr,r2
    .org 18*0x80
    bsr     1f
    rts
    .org 18*0x80+0x40
1:  nop
    .org 19*0x80
    bra     1f
    bra     1f
    .org 19*0x80+0x40
1:  nop
    .org 20*0x80
    jmp     @r1
    trapa   #1
    .org 21*0x80
    rts
    sleep
    .org 22*0x80
    rte
    .word   0xFFFF
    .org 23*0x80
    jmp     @r1
    .word   0xFFFF
    .org 24*0x80
    trapa   #0x20
    .org 25*0x80
    trapa   #255
    .org 26*0x80
    .word   0xFFFF
    .org 27*0x80
    .word   0x0000
    .org 28*0x80
    jsr     @r3
    mov.l   @r1,r2
    .org 29*0x80
    mov.l   @r1,r2
    .org 30*0x80
    sleep
    .org 36*0x80
    bsrf    r1
    rts
    .org 37*0x80
    bt/s    1f
    bt/s    1f
    .org 37*0x80+0x40
1:  nop
    .org 40*0x80
    bra     .+4-4096
    nop
    .org 41*0x80
    bt/s    1f
    rts
    .org 41*0x80+0x40
1:  nop
    .org 42*0x80
    bf/s    1f
    trapa   #1
    .org 42*0x80+0x40
1:  nop
    .org 43*0x80
    braf    r1
    bsr     1f
    .org 43*0x80+0x40
1:  nop
    .org 44*0x80
    jsr     @r1
    .word   0xFFFF
