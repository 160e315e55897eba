! base: 0x0402EBD0
! The game's wait-for-frame loop sits at this place of the program ROM:
! the board recognises the poll of the work RAM word at 0x0402EBD2 and
! skips the rest of the slice. R1 holds the polled address.
        .text
        .align  2
        nop
idle:
        mov.l   @r1, r0
        bra     idle
        nop
