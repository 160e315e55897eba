// The interpreter's own interface, shared by the runtime's files, the
// decode table's generator and the runtime's tests: the decode entry, the
// flow kinds, the names of the 128 operation types, the exception-type
// operations and the single step. Nothing outside the SH-2 runtime uses it.
#pragma once

#include "sh2/sh2.h"

// One entry of the 65,536-entry decode table, indexed by the opcode.
struct Sh2DecodeEntry {
    u8 kind;     // flow kind 0-17
    u8 op_type;  // operation type (Sh2Op) for kinds 0-2, else SH2_OP_NONE
    u8 a;
    u8 b;
    u8 c;
    s16 disp;  // branch displacement in instructions (kinds 3-8)
};

// Flow kinds of decode entries.
enum : u8 {
    SH2_KIND_PLAIN = 0,
    SH2_KIND_PCREL = 1,
    SH2_KIND_SRLOAD = 2,
    SH2_KIND_BT = 3,
    SH2_KIND_BF = 4,
    SH2_KIND_BTS = 5,
    SH2_KIND_BFS = 6,
    SH2_KIND_BRA = 7,
    SH2_KIND_BSR = 8,
    SH2_KIND_BRAF = 9,
    SH2_KIND_BSRF = 10,
    SH2_KIND_JMP = 11,
    SH2_KIND_JSR = 12,
    SH2_KIND_RTS = 13,
    SH2_KIND_RTE = 14,
    SH2_KIND_TRAPA = 15,
    SH2_KIND_SLEEP = 16,
    SH2_KIND_ILLEGAL = 17,
};

// The operation types of the plain instructions, numbered 1-128 in the
// order of the lowest opcode each form matches. The numbers are stored in
// the decode table; branches, TRAPA, SLEEP and illegal opcodes have none.
enum Sh2Op : u8 {
    SH2_OP_NONE = 0,
    SH2_OP_STC_SR = 1,          //   1 STC SR,Rn
    SH2_OP_MOVB_STORE_R0N,      //   2 MOV.B Rm,@(R0,Rn)
    SH2_OP_MOVW_STORE_R0N,      //   3 MOV.W Rm,@(R0,Rn)
    SH2_OP_MOVL_STORE_R0N,      //   4 MOV.L Rm,@(R0,Rn)
    SH2_OP_MUL_L,               //   5 MUL.L Rm,Rn
    SH2_OP_CLRT,                //   6 CLRT
    SH2_OP_NOP,                 //   7 NOP
    SH2_OP_STS_MACH,            //   8 STS MACH,Rn
    SH2_OP_MOVB_LOAD_R0M,       //   9 MOV.B @(R0,Rm),Rn
    SH2_OP_MOVW_LOAD_R0M,       //  10 MOV.W @(R0,Rm),Rn
    SH2_OP_MOVL_LOAD_R0M,       //  11 MOV.L @(R0,Rm),Rn
    SH2_OP_MAC_L,               //  12 MAC.L @Rm+,@Rn+
    SH2_OP_STC_GBR,             //  13 STC GBR,Rn
    SH2_OP_SETT,                //  14 SETT
    SH2_OP_DIV0U,               //  15 DIV0U
    SH2_OP_STS_MACL,            //  16 STS MACL,Rn
    SH2_OP_STC_VBR,             //  17 STC VBR,Rn
    SH2_OP_CLRMAC,              //  18 CLRMAC
    SH2_OP_MOVT,                //  19 MOVT Rn
    SH2_OP_STS_PR,              //  20 STS PR,Rn
    SH2_OP_MOVL_STORE_DISP,     //  21 MOV.L Rm,@(disp,Rn)
    SH2_OP_MOVB_STORE,          //  22 MOV.B Rm,@Rn
    SH2_OP_MOVW_STORE,          //  23 MOV.W Rm,@Rn
    SH2_OP_MOVL_STORE,          //  24 MOV.L Rm,@Rn
    SH2_OP_MOVB_STORE_DEC,      //  25 MOV.B Rm,@-Rn
    SH2_OP_MOVW_STORE_DEC,      //  26 MOV.W Rm,@-Rn
    SH2_OP_MOVL_STORE_DEC,      //  27 MOV.L Rm,@-Rn
    SH2_OP_DIV0S,               //  28 DIV0S Rm,Rn
    SH2_OP_TST,                 //  29 TST Rm,Rn
    SH2_OP_AND,                 //  30 AND Rm,Rn
    SH2_OP_XOR,                 //  31 XOR Rm,Rn
    SH2_OP_OR,                  //  32 OR Rm,Rn
    SH2_OP_CMP_STR,             //  33 CMP/STR Rm,Rn
    SH2_OP_XTRCT,               //  34 XTRCT Rm,Rn
    SH2_OP_MULU_W,              //  35 MULU.W Rm,Rn
    SH2_OP_MULS_W,              //  36 MULS.W Rm,Rn
    SH2_OP_CMP_EQ,              //  37 CMP/EQ Rm,Rn
    SH2_OP_CMP_HS,              //  38 CMP/HS Rm,Rn
    SH2_OP_CMP_GE,              //  39 CMP/GE Rm,Rn
    SH2_OP_DIV1,                //  40 DIV1 Rm,Rn
    SH2_OP_DMULU_L,             //  41 DMULU.L Rm,Rn
    SH2_OP_CMP_HI,              //  42 CMP/HI Rm,Rn
    SH2_OP_CMP_GT,              //  43 CMP/GT Rm,Rn
    SH2_OP_SUB,                 //  44 SUB Rm,Rn
    SH2_OP_SUBC,                //  45 SUBC Rm,Rn
    SH2_OP_SUBV,                //  46 SUBV Rm,Rn
    SH2_OP_ADD,                 //  47 ADD Rm,Rn
    SH2_OP_DMULS_L,             //  48 DMULS.L Rm,Rn
    SH2_OP_ADDC,                //  49 ADDC Rm,Rn
    SH2_OP_ADDV,                //  50 ADDV Rm,Rn
    SH2_OP_SHLL,                //  51 SHLL Rn
    SH2_OP_SHLR,                //  52 SHLR Rn
    SH2_OP_STS_L_MACH,          //  53 STS.L MACH,@-Rn
    SH2_OP_STC_L_SR,            //  54 STC.L SR,@-Rn
    SH2_OP_ROTL,                //  55 ROTL Rn
    SH2_OP_ROTR,                //  56 ROTR Rn
    SH2_OP_LDS_L_MACH,          //  57 LDS.L @Rm+,MACH
    SH2_OP_LDC_L_SR,            //  58 LDC.L @Rm+,SR
    SH2_OP_SHLL2,               //  59 SHLL2 Rn
    SH2_OP_SHLR2,               //  60 SHLR2 Rn
    SH2_OP_LDS_MACH,            //  61 LDS Rm,MACH
    SH2_OP_LDC_SR,              //  62 LDC Rm,SR
    SH2_OP_MAC_W,               //  63 MAC.W @Rm+,@Rn+
    SH2_OP_DT,                  //  64 DT Rn
    SH2_OP_CMP_PZ,              //  65 CMP/PZ Rn
    SH2_OP_STS_L_MACL,          //  66 STS.L MACL,@-Rn
    SH2_OP_STC_L_GBR,           //  67 STC.L GBR,@-Rn
    SH2_OP_CMP_PL,              //  68 CMP/PL Rn
    SH2_OP_LDS_L_MACL,          //  69 LDS.L @Rm+,MACL
    SH2_OP_LDC_L_GBR,           //  70 LDC.L @Rm+,GBR
    SH2_OP_SHLL8,               //  71 SHLL8 Rn
    SH2_OP_SHLR8,               //  72 SHLR8 Rn
    SH2_OP_LDS_MACL,            //  73 LDS Rm,MACL
    SH2_OP_TAS_B,               //  74 TAS.B @Rn
    SH2_OP_LDC_GBR,             //  75 LDC Rm,GBR
    SH2_OP_SHAL,                //  76 SHAL Rn
    SH2_OP_SHAR,                //  77 SHAR Rn
    SH2_OP_STS_L_PR,            //  78 STS.L PR,@-Rn
    SH2_OP_STC_L_VBR,           //  79 STC.L VBR,@-Rn
    SH2_OP_ROTCL,               //  80 ROTCL Rn
    SH2_OP_ROTCR,               //  81 ROTCR Rn
    SH2_OP_LDS_L_PR,            //  82 LDS.L @Rm+,PR
    SH2_OP_LDC_L_VBR,           //  83 LDC.L @Rm+,VBR
    SH2_OP_SHLL16,              //  84 SHLL16 Rn
    SH2_OP_SHLR16,              //  85 SHLR16 Rn
    SH2_OP_LDS_PR,              //  86 LDS Rm,PR
    SH2_OP_LDC_VBR,             //  87 LDC Rm,VBR
    SH2_OP_MOVL_LOAD_DISP,      //  88 MOV.L @(disp,Rm),Rn
    SH2_OP_MOVB_LOAD,           //  89 MOV.B @Rm,Rn
    SH2_OP_MOVW_LOAD,           //  90 MOV.W @Rm,Rn
    SH2_OP_MOVL_LOAD,           //  91 MOV.L @Rm,Rn
    SH2_OP_MOV,                 //  92 MOV Rm,Rn
    SH2_OP_MOVB_LOAD_INC,       //  93 MOV.B @Rm+,Rn
    SH2_OP_MOVW_LOAD_INC,       //  94 MOV.W @Rm+,Rn
    SH2_OP_MOVL_LOAD_INC,       //  95 MOV.L @Rm+,Rn
    SH2_OP_NOT,                 //  96 NOT Rm,Rn
    SH2_OP_SWAP_B,              //  97 SWAP.B Rm,Rn
    SH2_OP_SWAP_W,              //  98 SWAP.W Rm,Rn
    SH2_OP_NEGC,                //  99 NEGC Rm,Rn
    SH2_OP_NEG,                 // 100 NEG Rm,Rn
    SH2_OP_EXTU_B,              // 101 EXTU.B Rm,Rn
    SH2_OP_EXTU_W,              // 102 EXTU.W Rm,Rn
    SH2_OP_EXTS_B,              // 103 EXTS.B Rm,Rn
    SH2_OP_EXTS_W,              // 104 EXTS.W Rm,Rn
    SH2_OP_ADD_IMM,             // 105 ADD #imm,Rn
    SH2_OP_MOVB_STORE_DISP_R0,  // 106 MOV.B R0,@(disp,Rn)
    SH2_OP_MOVW_STORE_DISP_R0,  // 107 MOV.W R0,@(disp,Rn)
    SH2_OP_MOVB_LOAD_DISP_R0,   // 108 MOV.B @(disp,Rm),R0
    SH2_OP_MOVW_LOAD_DISP_R0,   // 109 MOV.W @(disp,Rm),R0
    SH2_OP_CMP_EQ_IMM,          // 110 CMP/EQ #imm,R0
    SH2_OP_MOVW_LOAD_PC,        // 111 MOV.W @(disp,PC),Rn
    SH2_OP_MOVB_STORE_GBR,      // 112 MOV.B R0,@(disp,GBR)
    SH2_OP_MOVW_STORE_GBR,      // 113 MOV.W R0,@(disp,GBR)
    SH2_OP_MOVL_STORE_GBR,      // 114 MOV.L R0,@(disp,GBR)
    SH2_OP_MOVB_LOAD_GBR,       // 115 MOV.B @(disp,GBR),R0
    SH2_OP_MOVW_LOAD_GBR,       // 116 MOV.W @(disp,GBR),R0
    SH2_OP_MOVL_LOAD_GBR,       // 117 MOV.L @(disp,GBR),R0
    SH2_OP_MOVA,                // 118 MOVA @(disp,PC),R0
    SH2_OP_TST_IMM,             // 119 TST #imm,R0
    SH2_OP_AND_IMM,             // 120 AND #imm,R0
    SH2_OP_XOR_IMM,             // 121 XOR #imm,R0
    SH2_OP_OR_IMM,              // 122 OR #imm,R0
    SH2_OP_TST_B,               // 123 TST.B #imm,@(R0,GBR)
    SH2_OP_AND_B,               // 124 AND.B #imm,@(R0,GBR)
    SH2_OP_XOR_B,               // 125 XOR.B #imm,@(R0,GBR)
    SH2_OP_OR_B,                // 126 OR.B #imm,@(R0,GBR)
    SH2_OP_MOVL_LOAD_PC,        // 127 MOV.L @(disp,PC),Rn
    SH2_OP_MOV_IMM,             // 128 MOV #imm,Rn
};
static_assert(SH2_OP_MOV_IMM == 128, "128 operation types");
static_assert(SH2_OP_DIV1 == 40 && SH2_OP_MOVB_LOAD == 89 && SH2_OP_MOVL_LOAD_PC == 127, "numbering");

// The decode table, generated at build time.
extern const Sh2DecodeEntry sh2_decode_entries[65536];
const Sh2DecodeEntry* sh2_decode_table();

// Looks for an acceptable interrupt (NMI, then the highest level above
// IMASK) and enters its handler; returns 1 when one was accepted. The run
// loop calls it whenever irq_recheck is set, after clearing the flag.
int sh2_accept_interrupt(Sh2State* cpu);

// Exception-type operations used by the step and the semantic table.
void sh2_ldc_sr(Sh2State* cpu, u8 reg);
void sh2_ldc_l_sr(Sh2State* cpu, u8 reg);
u32 sh2_rte(Sh2State* cpu);
u32 sh2_trapa(Sh2State* cpu, u8 imm, u32 return_address);
u32 sh2_illegal_instruction(Sh2State* cpu, u32 address);
u32 sh2_sleep(Sh2State* cpu, u32 address);

// Writes the stop diagnostic for a decode kind the step does not know and
// returns SH2_STOP.
u32 sh2_unmodelled_instruction(Sh2State* cpu, u32 pc);

// One instruction, or a delayed branch with its slot: returns the next PC,
// or SH2_STOP.
u32 sh2_step(Sh2State* cpu, u32 pc);
// Runs one plain instruction; 0 (doing nothing) for an entry without an
// operation type.
int sh2_execute(Sh2State* cpu, const Sh2DecodeEntry* e, u32 next_pc);
