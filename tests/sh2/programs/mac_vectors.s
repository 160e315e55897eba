! MAC.W and MAC.L on each input entry.
! Inputs: count at 0x800000, then 32-byte entries from 0x800020:
!   +0 MACH, +4 MACL, +8 SR, +12 MAC.W x (high half), +16 MAC.W y (high
!   half), +20 MAC.L x, +24 MAC.L y.
! Results per entry: MACH, MACL, Rn advance, Rm advance after MAC.W,
! then the same after MAC.L.
! base: 0x1000

    .macro OUT reg
    mov.l   \reg,@r13
    add     #4,r13
    .endm

    .macro SETUP xoff, yoff
    mov.l   @r10,r0
    lds     r0,mach
    mov.l   @(4,r10),r0
    lds     r0,macl
    mov.l   @(8,r10),r0
    ldc     r0,sr
    mov     r10,r1
    add     #\xoff,r1
    mov     r10,r2
    add     #\yoff,r2
    .endm

    .macro REPORT xoff, yoff
    sts     mach,r0
    OUT     r0
    sts     macl,r0
    OUT     r0
    sub     r10,r1
    add     #-\xoff,r1
    OUT     r1
    sub     r10,r2
    add     #-\yoff,r2
    OUT     r2
    .endm

start:
    mov.l   input,r10
    mov.l   @r10,r11
    add     #32,r10
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
    SETUP   12,16
    mac.w   @r2+,@r1+
    REPORT  12,16
    SETUP   20,24
    mac.l   @r2+,@r1+
    REPORT  20,24
    add     #32,r10
    dt      r11
    bf      loop

    mov.l   @(8,r12),r1
    mov.l   @(12,r12),r0
    mov.l   r0,@r1
1:  bra     1b
    nop
