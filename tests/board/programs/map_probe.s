! base: 0x0
! Probes the address map from the CPU side: every probe stores one 32-bit
! result at 0x06000200 + 4 * index, then the done marker 0x600DF00D goes
! to 0x06000000 and the program spins.
    .text
    .long   start
    .long   0x06100000

    .macro  PUT reg
    mov.l   \reg, @r10
    add     #4, r10
    .endm

    .org    0x200
start:
    mov.l   results, r10
    ! 0-4: input port, DIP port, constant word, halves and bytes
    mov.l   a_input, r1
    mov.l   @r1, r0
    PUT     r0
    mov.l   a_dip, r1
    mov.l   @r1, r0
    PUT     r0
    mov.l   a_const, r1
    mov.l   @r1, r0
    PUT     r0
    mov.l   a_input, r1
    mov.w   @r1, r0
    PUT     r0
    mov.b   @(3, r1), r0
    PUT     r0
    ! 5-7: program ROM, its bit-27 mirror, and a bit-28 address (unmapped)
    mov.l   a_prog, r1
    mov.l   @r1, r0
    PUT     r0
    mov.l   a_prog_mirror, r1
    mov.l   @r1, r0
    PUT     r0
    mov.l   a_prog_bit28, r1
    mov.l   @r1, r0
    PUT     r0
    ! 8-9: work RAM written through its bit-29 mirror; bit 28 reaches nothing
    mov.l   a_work_mirror, r1
    mov.l   v_12345678, r2
    mov.l   r2, @r1
    mov.l   a_work, r1
    mov.l   @r1, r0
    PUT     r0
    mov.l   a_work_bit28, r1
    mov.l   @r1, r0
    PUT     r0
    ! 10: NVRAM keeps bytes in big-endian order
    mov.l   a_nvram, r1
    mov.l   v_11223344, r2
    mov.l   r2, @r1
    mov.b   @(1, r1), r0
    PUT     r0
    ! 11-12: the byte-wide devices read 0 to 32-bit reads
    mov.l   a_ymz, r1
    mov.l   @r1, r0
    PUT     r0
    mov.l   a_rtc, r1
    mov.l   @r1, r0
    PUT     r0
    ! 13-15: clock digits: year units, year tens, seconds as a 16-bit read
    mov.b   @(10, r1), r0
    PUT     r0
    mov.b   @(11, r1), r0
    PUT     r0
    mov.w   @r1, r0
    PUT     r0
    ! 16: clock register 13 keeps the low nibble of what was written
    mov     #0x5A, r0
    mov.b   r0, @(13, r1)
    mov.b   @(13, r1), r0
    PUT     r0
    ! 17: character RAM through its bit-29 mirror, word then one byte
    mov.l   a_char_mirror, r1
    mov.l   v_01020304, r2
    mov.l   r2, @r1
    mov     #0xAB, r0
    mov.b   r0, @(1, r1)
    mov.l   a_char, r1
    mov.l   @r1, r0
    PUT     r0
    ! 18-19: HIT takes the low half of the bus word only
    mov.l   a_hit, r1
    mov.l   a_hit_pos1, r3
    mov.w   v_1234, r0
    mov.w   r0, @r1
    mov.w   @(2, r3), r0
    PUT     r0
    mov.w   v_1234, r0
    mov.w   r0, @(2, r1)
    mov.w   @(2, r3), r0
    PUT     r0
    ! 20: the first random number after reset
    mov.l   @(0x28, r1), r0
    PUT     r0
    ! 21-22: cache RAM and sprite RAM store words
    mov.l   a_cache, r1
    mov.l   v_deadbeef, r2
    mov.l   r2, @r1
    mov.l   @r1, r0
    PUT     r0
    mov.l   a_sprite, r1
    mov.l   v_12345678, r2
    mov.l   r2, @r1
    mov.l   @r1, r0
    PUT     r0
    ! 23-24: division unit: 7 into -20
    mov.l   a_dvsr, r1
    mov     #7, r2
    mov.l   r2, @r1
    mov     #-20, r2
    mov.l   r2, @(4, r1)
    mov.l   @(4, r1), r0
    PUT     r0
    mov.l   @(16, r1), r0
    PUT     r0
    ! 25-26: plain on-chip storage; timer output control reads with 0xE0
    mov.l   a_onchip, r1
    mov     #0x5C, r0
    mov.b   r0, @(2, r1)
    mov.b   @(2, r1), r0
    PUT     r0
    mov.l   a_frt, r1
    mov.b   @(7, r1), r0
    PUT     r0
    ! 27: palette RAM entry 4
    mov.l   a_palette, r1
    mov.l   v_7fff, r2
    mov.l   r2, @r1
    mov.l   @r1, r0
    PUT     r0
    ! sound chip: a 16-bit write selects with its high byte and writes its
    ! low byte; a 32-bit write does so with its upper half only
    mov.l   a_ymz, r1
    mov.w   v_0055, r2
    mov.w   r2, @r1
    mov.l   v_00770099, r2
    mov.l   r2, @r1
    ! done
    mov.l   v_done, r2
    mov.l   a_done, r1
    mov.l   r2, @r1
spin:
    bra     spin
    nop

    .align  2
results:        .long 0x06000200
a_input:        .long 0x00400000
a_dip:          .long 0x00400004
a_const:        .long 0x0040000C
a_prog:         .long 0x04000000
a_prog_mirror:  .long 0x0C000000
a_prog_bit28:   .long 0x14000000
a_work_mirror:  .long 0x26000010
a_work:         .long 0x06000010
a_work_bit28:   .long 0x16000010
a_nvram:        .long 0x00800010
a_ymz:          .long 0x00C00000
a_rtc:          .long 0x01000000
a_char_mirror:  .long 0x24800004
a_char:         .long 0x04800004
a_hit:          .long 0x02F00000
a_hit_pos1:     .long 0x02F00040
a_cache:        .long 0xC0000100
a_sprite:       .long 0x02000010
a_dvsr:         .long 0xFFFFFF00
a_onchip:       .long 0xFFFFFE90
a_frt:          .long 0xFFFFFE10
a_palette:      .long 0x02A40010
a_done:         .long 0x06000000
v_12345678:     .long 0x12345678
v_11223344:     .long 0x11223344
v_01020304:     .long 0x01020304
v_deadbeef:     .long 0xDEADBEEF
v_7fff:         .long 0x00007FFF
v_00770099:     .long 0x00770099
v_done:         .long 0x600DF00D
v_1234:         .word 0x1234
v_0055:         .word 0x0055
