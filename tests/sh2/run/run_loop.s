! Snippets for the run-loop tests, at fixed offsets from the load address
! (the tests name them by the same offsets).
! base: 0x400000
        .text

! 0x000: a long straight run of one-cycle instructions, then a spin.
straight:
        .rept   600
        add     #1,r1
        .endr
spin:
        bra     spin
        add     #1,r2

! 0x800: sleep, then count once woken and spin.
        .org    0x800
sleeper:
        sleep
        add     #1,r3
sleeper_spin:
        bra     sleeper_spin
        nop

! 0x880: interrupt handler: counts its runs and returns.
        .org    0x880
handler:
        add     #1,r4
        rte
        nop

! 0x900: a jump to the stop address.
        .org    0x900
stop_jump:
        mov     #-1,r1
        jmp     @r1
        nop

! 0x980: the same, with a PC-relative instruction in the delay slot.
        .org    0x980
stop_jump_mova:
        mov     #-1,r1
        jmp     @r1
        mova    @(8,pc),r0

! 0xA00: a two-cycle instruction, then a spin.
        .org    0xA00
two_cycles:
        mul.l   r1,r2
        bra     two_cycles
        nop

! 0xA80: a trap whose vector the test fills.
        .org    0xA80
trap:
        trapa   #32
        nop
