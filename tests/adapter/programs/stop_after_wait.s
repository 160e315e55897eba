! base: 0x00001000
! Waits a few frames' worth of cycles, records the address of the jump it
! is about to make, then jumps to 0xFFFFFFFF, where the runtime cannot go
! on.
!
! Work RAM results:
!   0x06000010  address of the stopping jump
        .text
        .align  2
start:
        mov.l   wait_k, r3
wait:
        dt      r3
        bf      wait
        mov.l   stop_here_k, r1
        mov.l   work_ram_k, r2
        mov.l   r1, @(16,r2)
        mov     #-1, r0
stop_here:
        jmp     @r0
        nop

        .align  2
wait_k:         .long   1000000
stop_here_k:    .long   stop_here
work_ram_k:     .long   0x06000000
