! The three classic division loops built from DIV0U/DIV0S, DIV1 and ROTCL.
! Inputs: count at 0x800000, then (dividend, divisor) pairs from 0x800010.
! Results per pair: unsigned 32/16 quotient, unsigned 32/32 quotient,
! signed 32/32 quotient.
! base: 0x1000

start:
    mov.l   input,r10
    mov.l   @r10,r11
    add     #16,r10
    mov.l   results,r13
    mova    input,r0
    mov     r0,r12
    bra     loop
    nop
    .align 2
input:          .long 0x800000
results:        .long 0x100000
done_address:   .long 0xFFFF0
done_value:     .long 0x600DF00D

loop:
    ! unsigned 32/16: the quotient must fit in 16 bits
    mov.l   @r10,r1
    mov.l   @(4,r10),r0
    shll16  r0
    div0u
    .rept 16
    div1    r0,r1
    .endr
    rotcl   r1
    extu.w  r1,r1
    mov.l   r1,@r13
    add     #4,r13

    ! unsigned 32/32 as 64/32 with a zero high word in r1
    mov.l   @r10,r2
    mov.l   @(4,r10),r0
    mov     #0,r1
    div0u
    .rept 32
    rotcl   r2
    div1    r0,r1
    .endr
    rotcl   r2
    mov.l   r2,@r13
    add     #4,r13

    ! signed 32/32: sign-extend the dividend into r2, turn a negative
    ! dividend into its ones' complement, divide, then round towards zero
    mov.l   @r10,r1
    mov.l   @(4,r10),r0
    mov     r1,r3
    rotcl   r3
    subc    r2,r2
    xor     r3,r3
    subc    r3,r1
    div0s   r0,r2
    .rept 32
    rotcl   r1
    div1    r0,r2
    .endr
    rotcl   r1
    addc    r3,r1
    mov.l   r1,@r13
    add     #4,r13

    add     #8,r10
    dt      r11
    bt      finish
    bra     loop
    nop

finish:
    mov.l   @(8,r12),r1
    mov.l   @(12,r12),r0
    mov.l   r0,@r1
1:  bra     1b
    nop
