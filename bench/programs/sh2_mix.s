! A CPU-bound mix of ALU, memory and branch code for the interpreter
! benchmark. It never ends: the benchmark stops it by its cycle target.
! base: 0x0
        .text
        .long   start           ! reset PC
        .long   0x00100000      ! reset stack pointer

        .align  2
start:
        mov.l   buffer_addr,r8
        mov     #0,r9           ! running checksum
outer:
        ! fill 64 words with a pseudo-random sequence
        mov     r8,r1
        mov     #64,r2
        mov.l   seed,r3
        mov.l   mult,r4
fill:
        mul.l   r4,r3
        sts     macl,r3
        add     #13,r3
        mov.l   r3,@r1
        dt      r2
        bf/s    fill
        add     #4,r1

        ! sum, xor and count bits of the words, with a data-dependent branch
        mov     r8,r1
        mov     #64,r2
        mov     #0,r5
sum:
        mov.l   @r1+,r6
        mov     r6,r7
        shlr8   r7
        extu.b  r7,r7
        add     r7,r5
        tst     #1,r0
        bt      even
        xor     r6,r5
        bra     next
        shll    r5
even:
        sub     r6,r5
        rotl    r5
next:
        mov     r6,r0
        cmp/hi  r5,r6
        addc    r6,r9
        dt      r2
        bf      sum

        ! copy the words with word and byte accesses through a subroutine
        mov     r8,r1
        mov.l   copy_dest,r2
        mov     #64,r0
        bsr     copy
        mov     #32,r3
        add     r5,r9
        mov.l   r9,@(4,r8)
        bra     outer
        nop

copy:
        mov.w   @r1+,r4
        mov.w   r4,@r2
        swap.b  r4,r4
        mov.b   r4,@(r0,r2)
        dt      r3
        bf/s    copy
        add     #2,r2
        rts
        nop

        .align  2
buffer_addr: .long  0x00010000
copy_dest:   .long  0x00020000
seed:        .long  0x12345678
mult:        .long  1103515245
