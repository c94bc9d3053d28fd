#include "format/Level2Keywords.h"

namespace tonvale {

// D1h is the up arrow of the TRS-80 character set, which sits where ASCII has "[".
// clang-format off
const std::array<std::string_view, 128> kLevel2Keywords = {
    "END",     "FOR",     "RESET",   "SET",     "CLS",     "CMD",     "RANDOM",  "NEXT",     // 80h
    "DATA",    "INPUT",   "DIM",     "READ",    "LET",     "GOTO",    "RUN",     "IF",       // 88h
    "RESTORE", "GOSUB",   "RETURN",  "REM",     "STOP",    "ELSE",    "TRON",    "TROFF",    // 90h
    "DEFSTR",  "DEFINT",  "DEFSNG",  "DEFDBL",  "LINE",    "EDIT",    "ERROR",   "RESUME",   // 98h
    "OUT",     "ON",      "OPEN",    "FIELD",   "GET",     "PUT",     "CLOSE",   "LOAD",     // A0h
    "MERGE",   "NAME",    "KILL",    "LSET",    "RSET",    "SAVE",    "SYSTEM",  "LPRINT",   // A8h
    "DEF",     "POKE",    "PRINT",   "CONT",    "LIST",    "LLIST",   "DELETE",  "AUTO",     // B0h
    "CLEAR",   "CLOAD",   "CSAVE",   "NEW",     "TAB(",    "TO",      "FN",      "USING",    // B8h
    "VARPTR",  "USR",     "ERL",     "ERR",     "STRING$", "INSTR",   "POINT",   "TIME$",    // C0h
    "MEM",     "INKEY$",  "THEN",    "NOT",     "STEP",    "+",       "-",       "*",        // C8h
    "/",       "[",       "AND",     "OR",      ">",       "=",       "<",       "SGN",      // D0h
    "INT",     "ABS",     "FRE",     "INP",     "POS",     "SQR",     "RND",     "LOG",      // D8h
    "EXP",     "COS",     "SIN",     "TAN",     "ATN",     "PEEK",    "CVI",     "CVS",      // E0h
    "CVD",     "EOF",     "LOC",     "LOF",     "MKI$",    "MKS$",    "MKD$",    "CINT",     // E8h
    "CSNG",    "CDBL",    "FIX",     "LEN",     "STR$",    "VAL",     "ASC",     "CHR$",     // F0h
    "LEFT$",   "RIGHT$",  "MID$",    "'",       "<FCh>",   "<FDh>",   "<FEh>",   "<FFh>",    // F8h
};
// clang-format on

} // namespace tonvale
