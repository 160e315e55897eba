! base: 0x00001000
! A program that leaves a trace of every frame in each part of the board
! the adapter hands out: it busily loops (never idles), copies the DIP and
! input ports into work RAM, mirrors the input port into backup RAM, counts
! frames at level 5 and paints the picture with a colour that changes every
! frame, while voice 0 of the sound chip loops over the sample ROM.
!
! Work RAM results:
!   0x06000000  DIP port word as last read
!   0x06000004  input port word as last read
!   0x06000008  main loop passes
!   0x0600000C  level-5 interrupts taken (one per frame)
        .text
        .align  2
start:
        mov.l   vectors_k, r0
        ldc     r0, vbr

        ! Sound: program the chip from a table of (register, data) pairs.
        mov.l   ymz_k, r1
        mov.l   ymz_table_k, r5
        mov     #YMZ_PAIRS, r3
ymz_loop:
        mov.b   @r5+, r0
        mov.b   r0, @r1
        mov.b   @r5+, r0
        mov.b   r0, @(1,r1)
        dt      r3
        bf      ymz_loop

        ! Picture: sprite layer on, sprite-bank brightness off, so palette
        ! entry 0 shows wherever nothing is drawn.
        mov.l   palette_regs_k, r1
        mov.l   reg0_value_k, r0
        mov.l   r0, @r1

        mov.l   work_ram_k, r8
        mov.l   input_port_k, r9
        mov.l   nvram_k, r10
        mov     #0, r0
        ldc     r0, sr
main:
        mov.l   @(4,r9), r0
        mov.l   r0, @(0,r8)
        mov.l   @r9, r0
        mov.l   r0, @(4,r8)
        mov.l   r0, @r10
        mov.l   @(8,r8), r0
        add     #1, r0
        mov.l   r0, @(8,r8)
        bra     main
        nop

vblank:
        mov.l   r0, @-r15
        mov.l   r1, @-r15
        mov.l   work_ram_k, r1
        mov.l   @(12,r1), r0
        add     #1, r0
        mov.l   r0, @(12,r1)
        ! colour = frame count spread over red, green and blue
        mov     r0, r1
        shll2   r1
        shll2   r1
        shll    r1
        xor     r1, r0
        shll2   r1
        shll2   r1
        shll    r1
        xor     r1, r0
        mov.l   palette_ram_k, r1
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
ymz_k:          .long   0x00C00000
ymz_table_k:    .long   ymz_table
palette_regs_k: .long   0x02A00000
palette_ram_k:  .long   0x02A40000
reg0_value_k:   .long   0x00000100
work_ram_k:     .long   0x06000000
input_port_k:   .long   0x00400000
nvram_k:        .long   0x00800000

        .equ    YMZ_PAIRS, 18
ymz_table:
        .byte   0xFF, 0xC0      ! key-on and memory access enabled
        .byte   0x00, 0xFF      ! frequency low bits
        .byte   0x02, 0x80      ! level
        .byte   0x03, 0x08      ! pan: centre
        .byte   0x20, 0x00, 0x40, 0x00, 0x60, 0x00      ! start 0
        .byte   0x21, 0x00, 0x41, 0x00, 0x61, 0x00      ! loop start 0
        .byte   0x22, 0x01, 0x42, 0x00, 0x62, 0x00      ! loop end 0x10000
        .byte   0x23, 0x01, 0x43, 0x00, 0x63, 0x00      ! end 0x10000
        .byte   0x01, 0xD1      ! key on, 8-bit PCM, loop, frequency bit 8

        .align  2
vectors:
        .rept   66
        .long   ignore
        .endr
        .long   vblank          ! vector 66: level 5
        .rept   189
        .long   ignore
        .endr
