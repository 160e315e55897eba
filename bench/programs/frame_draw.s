! base: 0x00001000
! Fills the palette, both tilemap layers and the whole sprite list once,
! then waits for frames in the game's own idle loop, so that the frame
! runner skips the waiting and the cost left is the drawing.
        .text
        .align  2
start:
        ! Palette: both banks with brightness off, sprite and tile layers on.
        mov.l   palette_regs_k, r1
        mov.l   layer_on_k, r0
        mov.l   r0, @r1
        mov.l   r0, @(16,r1)
        mov.l   palette_ram_k, r1
        mov.l   palette_count_k, r3
        mov     #0, r2
palette:
        mov.l   r2, @r1
        add     #4, r1
        add     #97, r2
        dt      r3
        bf      palette

        ! Layer A: 8 bits a pixel, unit steps; layer B: 4 bits a pixel.
        mov.l   tilemap_regs_k, r1
        mov     #1, r0
        shll8   r0
        mov.l   r0, @(12,r1)    ! layer B mode (byte 0x0E): 4 bits a pixel
        mov     #1, r0
        mov.l   r0, @(16,r1)    ! layer A flags (byte 0x13): enabled
        mov.l   r0, @(52,r1)    ! layer B flags (byte 0x37): enabled
        shll8   r0
        mov.l   r0, @(36,r1)    ! layer A X step per pixel
        mov.l   r0, @(48,r1)    ! layer A Y step per line
        mov.l   r0, @(8,r1)     ! (byte 0x0B: no effect)
        add     #72, r1
        mov.l   r0, @r1         ! layer B X step per pixel (0x48)
        mov.l   r0, @(12,r1)    ! layer B Y step per line (0x54)

        mov.l   tilemap_a_k, r1
        mov.l   tile_count_k, r3
        mov     #0, r2
        mov.l   tile_step_k, r4
map_a:
        mov.l   r2, @r1
        add     #4, r1
        add     r4, r2
        dt      r3
        bf      map_a
        mov.l   tile_count_k, r3
        mov.l   tile_b_first_k, r2
map_b:
        mov.l   r2, @r1         ! map B follows map A
        add     #4, r1
        add     r4, r2
        dt      r3
        bf      map_b

        ! Sprites: all 1024 entries, 32 x 32, spread over the screen.
        mov.l   sprite_ram_k, r1
        mov.l   sprite_count_k, r3
        mov.l   sprite_head_k, r5
        mov     #0, r4
sprites:
        mov     r4, r0
        and     #63, r0
        or      r5, r0
        mov.l   r0, @r1
        mov     r4, r0
        shll8   r0
        shll2   r0
        shll2   r0
        mov.l   r0, @(4,r1)
        mov     r4, r0
        and     #15, r0
        shll8   r0
        shll2   r0
        mov.l   r0, @(8,r1)
        mov     r4, r0
        shlr2   r0
        shlr2   r0
        and     #15, r0
        shll8   r0
        shll2   r0
        mov.l   r0, @(12,r1)
        add     #16, r1
        add     #1, r4
        dt      r3
        bf      sprites

        mov.l   poll_k, r1
        mov.l   idle_loop_k, r0
        jmp     @r0
        nop

        .align  2
palette_regs_k:   .long   0x02A00000
palette_ram_k:    .long   0x02A40000
palette_count_k:  .long   0x8000
layer_on_k:       .long   0x00000100
tilemap_regs_k:   .long   0x02400000
tilemap_a_k:      .long   0x02500000
tile_count_k:     .long   4096
tile_step_k:      .long   0x01200001
tile_b_first_k:   .long   0x00008000
sprite_ram_k:     .long   0x02000000
sprite_count_k:   .long   1024
sprite_head_k:    .long   0x11000080
poll_k:           .long   0x0604D3C8
idle_loop_k:      .long   0x0402EBD0
