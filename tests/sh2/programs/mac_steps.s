! Single MAC instructions for stepping tests, one per snippet.
! base: 0x1000
    .org 0x000
    mac.w   @r2+,@r1+
    .org 0x080
    mac.l   @r2+,@r1+
    .org 0x100
    mac.w   @r1+,@r1+
    .org 0x180
    mac.l   @r1+,@r1+
