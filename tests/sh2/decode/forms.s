! Every SH-2 instruction form, one per line, with the decode entry each
! must produce in the comment after it: kind, op_type, a, b, c, disp. The decode
! test reads this file beside the assembled image and compares them in
! order, so every line that emits code carries its expectation.
!
! The PC-relative forms come first, at known addresses (the file is loaded
! at 0): the assembler takes @(x,pc) as the byte offset of the data from
! the instruction itself.
        mov.l   @(4,pc),r3              != 1 127 0 3 0 0
        mov.l   @(6,pc),r14             != 1 127 1 14 0 0
        mov.l   @(1024,pc),r0           != 1 127 255 0 0 0
        mova    @(10,pc),r0             != 1 118 2 0 0 0
        mova    @(4,pc),r0              != 1 118 0 0 0 0
        mova    @(1022,pc),r0           != 1 118 255 0 0 0
        mov.w   @(4,pc),r5              != 1 111 0 5 0 0
        mov.w   @(514,pc),r15           != 1 111 255 15 0 0
        mov.w   @(24,pc),r1             != 1 111 10 1 0 0
! group 0
        stc     sr,r1                   != 0 1 1 0 0 0
        mov.b   r2,@(r0,r3)             != 0 2 2 3 0 0
        mov.w   r4,@(r0,r5)             != 0 3 4 5 0 0
        mov.l   r15,@(r0,r14)           != 0 4 15 14 0 0
        mul.l   r6,r7                   != 0 5 6 7 0 0
        clrt                            != 0 6 0 0 0 0
        nop                             != 0 7 0 0 0 0
        sts     mach,r8                 != 0 8 8 0 0 0
        mov.b   @(r0,r9),r10            != 0 9 9 10 0 0
        mov.w   @(r0,r11),r12           != 0 10 11 12 0 0
        mov.l   @(r0,r13),r1            != 0 11 13 1 0 0
        mac.l   @r2+,@r3+               != 0 12 2 3 0 0
        mac.l   @r15+,@r15+             != 0 12 15 15 0 0
        stc     gbr,r4                  != 0 13 4 0 0 0
        sett                            != 0 14 0 0 0 0
        div0u                           != 0 15 0 0 0 0
        sts     macl,r5                 != 0 16 5 0 0 0
        stc     vbr,r6                  != 0 17 6 0 0 0
        clrmac                          != 0 18 0 0 0 0
        movt    r7                      != 0 19 7 0 0 0
        sts     pr,r8                   != 0 20 8 0 0 0
        bsrf    r9                      != 10 0 9 0 0 0
        rts                             != 13 0 0 0 0 0
        sleep                           != 16 0 0 0 0 0
        braf    r10                     != 9 0 10 0 0 0
        rte                             != 14 0 0 0 0 0
! group 1
        mov.l   r3,@(60,r4)             != 0 21 3 15 4 0
        mov.l   r0,@(0,r15)             != 0 21 0 0 15 0
! group 2
        mov.b   r1,@r2                  != 0 22 1 2 0 0
        mov.w   r3,@r4                  != 0 23 3 4 0 0
        mov.l   r5,@r6                  != 0 24 5 6 0 0
        mov.b   r7,@-r8                 != 0 25 7 8 0 0
        mov.w   r9,@-r10                != 0 26 9 10 0 0
        mov.l   r11,@-r15               != 0 27 11 15 0 0
        div0s   r12,r13                 != 0 28 12 13 0 0
        tst     r14,r0                  != 0 29 14 0 0 0
        and     r1,r2                   != 0 30 1 2 0 0
        xor     r3,r4                   != 0 31 3 4 0 0
        or      r5,r6                   != 0 32 5 6 0 0
        cmp/str r7,r8                   != 0 33 7 8 0 0
        xtrct   r9,r10                  != 0 34 9 10 0 0
        mulu.w  r11,r12                 != 0 35 11 12 0 0
        muls.w  r13,r14                 != 0 36 13 14 0 0
! group 3
        cmp/eq  r1,r2                   != 0 37 1 2 0 0
        cmp/hs  r3,r4                   != 0 38 3 4 0 0
        cmp/ge  r5,r6                   != 0 39 5 6 0 0
        div1    r7,r8                   != 0 40 7 8 0 0
        dmulu.l r9,r10                  != 0 41 9 10 0 0
        cmp/hi  r11,r12                 != 0 42 11 12 0 0
        cmp/gt  r13,r14                 != 0 43 13 14 0 0
        sub     r15,r0                  != 0 44 15 0 0 0
        subc    r1,r2                   != 0 45 1 2 0 0
        subv    r3,r4                   != 0 46 3 4 0 0
        add     r5,r6                   != 0 47 5 6 0 0
        dmuls.l r7,r8                   != 0 48 7 8 0 0
        addc    r9,r10                  != 0 49 9 10 0 0
        addv    r11,r12                 != 0 50 11 12 0 0
! group 4
        shll    r1                      != 0 51 1 0 0 0
        shlr    r2                      != 0 52 2 0 0 0
        sts.l   mach,@-r3               != 0 53 3 0 0 0
        stc.l   sr,@-r4                 != 0 54 4 0 0 0
        rotl    r5                      != 0 55 5 0 0 0
        rotr    r6                      != 0 56 6 0 0 0
        lds.l   @r7+,mach               != 0 57 7 0 0 0
        ldc.l   @r8+,sr                 != 2 58 8 0 0 0
        shll2   r9                      != 0 59 9 0 0 0
        shlr2   r10                     != 0 60 10 0 0 0
        lds     r11,mach                != 0 61 11 0 0 0
        jsr     @r12                    != 12 0 12 0 0 0
        ldc     r13,sr                  != 2 62 13 0 0 0
        mac.w   @r14+,@r15+             != 0 63 14 15 0 0
        dt      r1                      != 0 64 1 0 0 0
        cmp/pz  r2                      != 0 65 2 0 0 0
        sts.l   macl,@-r3               != 0 66 3 0 0 0
        stc.l   gbr,@-r4                != 0 67 4 0 0 0
        cmp/pl  r5                      != 0 68 5 0 0 0
        lds.l   @r6+,macl               != 0 69 6 0 0 0
        ldc.l   @r7+,gbr                != 0 70 7 0 0 0
        shll8   r8                      != 0 71 8 0 0 0
        shlr8   r9                      != 0 72 9 0 0 0
        lds     r10,macl                != 0 73 10 0 0 0
        tas.b   @r11                    != 0 74 11 0 0 0
        ldc     r12,gbr                 != 0 75 12 0 0 0
        shal    r13                     != 0 76 13 0 0 0
        shar    r14                     != 0 77 14 0 0 0
        sts.l   pr,@-r15                != 0 78 15 0 0 0
        stc.l   vbr,@-r0                != 0 79 0 0 0 0
        rotcl   r1                      != 0 80 1 0 0 0
        rotcr   r2                      != 0 81 2 0 0 0
        lds.l   @r3+,pr                 != 0 82 3 0 0 0
        ldc.l   @r4+,vbr                != 0 83 4 0 0 0
        shll16  r5                      != 0 84 5 0 0 0
        shlr16  r6                      != 0 85 6 0 0 0
        lds     r7,pr                   != 0 86 7 0 0 0
        jmp     @r8                     != 11 0 8 0 0 0
        ldc     r9,vbr                  != 0 87 9 0 0 0
! group 5
        mov.l   @(4,r10),r11            != 0 88 10 1 11 0
        mov.l   @(60,r0),r15            != 0 88 0 15 15 0
! group 6
        mov.b   @r1,r2                  != 0 89 1 2 0 0
        mov.w   @r3,r4                  != 0 90 3 4 0 0
        mov.l   @r5,r6                  != 0 91 5 6 0 0
        mov     r7,r8                   != 0 92 7 8 0 0
        mov.b   @r9+,r10                != 0 93 9 10 0 0
        mov.w   @r11+,r12               != 0 94 11 12 0 0
        mov.l   @r13+,r14               != 0 95 13 14 0 0
        not     r15,r0                  != 0 96 15 0 0 0
        swap.b  r1,r2                   != 0 97 1 2 0 0
        swap.w  r3,r4                   != 0 98 3 4 0 0
        negc    r5,r6                   != 0 99 5 6 0 0
        neg     r7,r8                   != 0 100 7 8 0 0
        extu.b  r9,r10                  != 0 101 9 10 0 0
        extu.w  r11,r12                 != 0 102 11 12 0 0
        exts.b  r13,r14                 != 0 103 13 14 0 0
        exts.w  r15,r1                  != 0 104 15 1 0 0
! group 7
        add     #-1,r2                  != 0 105 255 2 0 0
        add     #127,r3                 != 0 105 127 3 0 0
! group 8
        mov.b   r0,@(15,r4)             != 0 106 15 4 0 0
        mov.w   r0,@(30,r5)             != 0 107 15 5 0 0
        mov.b   @(7,r6),r0              != 0 108 6 7 0 0
        mov.w   @(2,r7),r0              != 0 109 7 1 0 0
        cmp/eq  #-128,r0                != 0 110 128 0 0 0
        bt      .+4+2*(-2)              != 3 0 0 0 0 -2
        bf      .+4+2*127               != 4 0 0 0 0 127
        bt/s    .+4+2*(-128)            != 5 0 0 0 0 -128
        bf/s    .+4+2*5                 != 6 0 0 0 0 5
! groups A and B
        bra     .+4+2*2047              != 7 0 0 0 0 2047
        bra     .+4-2*2048              != 7 0 0 0 0 -2048
        bsr     .+4+2*(-1)              != 8 0 0 0 0 -1
        bsr     .+4                     != 8 0 0 0 0 0
! group C
        mov.b   r0,@(255,gbr)           != 0 112 255 0 0 0
        mov.w   r0,@(2,gbr)             != 0 113 1 0 0 0
        mov.l   r0,@(1020,gbr)          != 0 114 255 0 0 0
        trapa   #200                    != 15 0 200 0 0 0
        mov.b   @(1,gbr),r0             != 0 115 1 0 0 0
        mov.w   @(510,gbr),r0           != 0 116 255 0 0 0
        mov.l   @(4,gbr),r0             != 0 117 1 0 0 0
        tst     #0x81,r0                != 0 119 129 0 0 0
        and     #255,r0                 != 0 120 255 0 0 0
        xor     #1,r0                   != 0 121 1 0 0 0
        or      #0x40,r0                != 0 122 64 0 0 0
        tst.b   #0x80,@(r0,gbr)         != 0 123 128 0 0 0
        and.b   #0x0F,@(r0,gbr)         != 0 124 15 0 0 0
        xor.b   #0xF0,@(r0,gbr)         != 0 125 240 0 0 0
        or.b    #1,@(r0,gbr)            != 0 126 1 0 0 0
! group E
        mov     #-128,r1                != 0 128 128 1 0 0
        mov     #127,r15                != 0 128 127 15 0 0
