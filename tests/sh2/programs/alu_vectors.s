! Runs every register-to-register arithmetic, logic, compare, shift and
! multiply instruction on each input entry and records the results.
! Inputs: count at 0x800000, then 16-byte entries from 0x800010:
! Rn, Rm, SR. Results: pairs of words per instruction, in program order.
! base: 0x1000

    .macro OUT2 x, y
    mov.l   \x,@r13
    mov.l   \y,@(4,r13)
    add     #8,r13
    .endm

    .macro LOADIN
    mov.l   @r10,r1
    mov.l   @(4,r10),r2
    mov.l   @(8,r10),r0
    ldc     r0,sr
    .endm

    ! Rn and SR after "insn Rm,Rn"
    .macro BIN insn
    LOADIN
    \insn   r2,r1
    stc     sr,r3
    OUT2    r1,r3
    .endm

    ! Rn and SR after "insn Rn,Rn"
    .macro SAME insn
    LOADIN
    \insn   r1,r1
    stc     sr,r3
    OUT2    r1,r3
    .endm

    ! Rn and SR after "insn Rn"
    .macro UN insn
    LOADIN
    \insn   r1
    stc     sr,r3
    OUT2    r1,r3
    .endm

    ! MACH and MACL after "insn Rm,Rn", with MACH = Rm and MACL = Rn before
    .macro MULT insn
    LOADIN
    lds     r2,mach
    lds     r1,macl
    \insn   r2,r1
    sts     mach,r3
    sts     macl,r4
    OUT2    r3,r4
    .endm

start:
    mov.l   input,r10
    mov.l   @r10,r11
    add     #16,r10
    mov.l   results,r13
    mova    input,r0
    mov     r0,r12          ! finish reads the marker words through r12
    bra     loop
    nop
    .align 2
input:          .long 0x800000
results:        .long 0x100000
done_address:   .long 0xFFFF0
done_value:     .long 0x600DF00D

loop:
    BIN     add
    BIN     addc
    BIN     addv
    BIN     sub
    BIN     subc
    BIN     subv
    BIN     neg
    BIN     negc
    BIN     cmp/eq
    BIN     cmp/hs
    BIN     cmp/ge
    BIN     cmp/hi
    BIN     cmp/gt
    BIN     cmp/str
    BIN     tst
    BIN     and
    BIN     or
    BIN     xor
    BIN     xtrct
    BIN     swap.b
    BIN     swap.w
    BIN     not
    BIN     exts.b
    BIN     exts.w
    BIN     extu.b
    BIN     extu.w
    BIN     div0s
    BIN     div1
    MULT    mul.l
    MULT    mulu.w
    MULT    muls.w
    MULT    dmulu.l
    MULT    dmuls.l
    SAME    addc
    SAME    subc
    SAME    addv
    SAME    subv
    SAME    negc
    SAME    div1
    SAME    xtrct
    SAME    swap.w
    UN      shll
    UN      shlr
    UN      shal
    UN      shar
    UN      rotl
    UN      rotr
    UN      rotcl
    UN      rotcr
    UN      dt
    UN      cmp/pz
    UN      cmp/pl
    UN      shll2
    UN      shlr2
    UN      shll8
    UN      shlr8
    UN      shll16
    UN      shlr16
    UN      movt
    add     #16,r10
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
