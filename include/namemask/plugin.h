/*
 * The plug-in's C interface: what a host application compiles against. Put the folder
 * that holds namemask/ on the include path and #include "namemask/plugin.h".
 *
 * The plug-in computes each file's new name from a user's mask and renames the
 * file. A host loads the DLL NAMEMASK_DLL_NAME names, finds the eight exports below by
 * name (or by ordinal) and calls them in this order:
 *
 *   1. getInfo      at any time: fills the host's PluginInfo.
 *   2. initialize   once, with the host's main window (owner of the options window).
 *   3. newOpt, or showOptions with newRecord != 0: obtain a RenameOptions record.
 *   4. showOptions  to let the user edit the record, and process once per file of a
 *                   batch, any number of times.
 *   5. freeOpt      once for every record obtained in step 3, before unloading.
 *
 * Every export uses the __stdcall convention (the callee pops its arguments) and an
 * undecorated name. Records and texts handed out live in the plug-in's private heap,
 * which is released in full when the DLL is unloaded.
 *
 * Errors: process raises one structured exception, NAMEMASK_EXCEPTION_CODE, when the
 * time-source file has no usable last-write time. ExceptionInformation[0] of the
 * exception record then points to a NUL-terminated message. Catch it with __except
 * (or a vectored handler) around the call; the plug-in has released everything the
 * call allocated before it raises, and the host's path variable and the file are
 * unchanged.
 *
 * Compiles as C (C11) and as C++. namemask/version.h, beside it, holds the DLL names.
 */
#ifndef NAMEMASK_PLUGIN_H
#define NAMEMASK_PLUGIN_H

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#include "namemask/version.h"

#ifdef __cplusplus
extern "C" {
#define NAMEMASK_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define NAMEMASK_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#define NAMEMASK_CALL __stdcall

/* The file to load: a 64-bit host cannot load the 32-bit plug-in, and the two may share
 * one plug-in folder. */
#ifdef _WIN64
#define NAMEMASK_DLL_NAME NAMEMASK_DLL_NAME_64
#else
#define NAMEMASK_DLL_NAME NAMEMASK_DLL_NAME_32
#endif

/* Code of the structured exception raised by process (a user code: bit 29 set). */
#define NAMEMASK_EXCEPTION_CODE 0xE04E4D45u

/* Ordinals of the exports in the plug-in's export directory (the same in both files). */
#define NAMEMASK_ORDINAL_FREEOPT 1
#define NAMEMASK_ORDINAL_NEWOPT 2
#define NAMEMASK_ORDINAL_CLICKBTN 3
#define NAMEMASK_ORDINAL_EXPORTBTNS 4
#define NAMEMASK_ORDINAL_SHOWOPTIONS 5
#define NAMEMASK_ORDINAL_INITIALIZE 6
#define NAMEMASK_ORDINAL_PROCESS 7
#define NAMEMASK_ORDINAL_GETINFO 8

/*
 * The descriptor, 216 bytes, filled by getInfo into storage of the host.
 * Text fields are Windows-1251, NUL-padded over their whole width.
 */
typedef struct PluginInfo {
    char Version[10];    /* NAMEMASK_VERSION_TEXT */
    char Title[50];      /* the plug-in's display name */
    char Author[50];     /* the maker */
    char Caption[50];    /* the same 50 bytes as Title */
    char FileFilter[50]; /* "*.*": every file */
    uint8_t HostFlag;    /* 0 */
    uint8_t Unused;      /* alignment; getInfo never writes it */
    int32_t OptionsSize; /* sizeof(RenameOptions): 212 */
} PluginInfo;

/*
 * One set of rename settings, 212 bytes. Records come from newOpt or showOptions and
 * go back through freeOpt. A mask with no NUL in its 100 bytes is read as 100 characters;
 * the masks the plug-in writes are at most 99 bytes and end with a NUL.
 */
typedef struct RenameOptions {
    char NameMask[100];    /* mask of the new base name, e.g. "[N]" */
    char ExtMask[100];     /* mask of the new extension; empty: no extension, no dot */
    int32_t CounterStart;  /* counter value of index 0 */
    int32_t CounterStep;   /* added per unit of the index */
    int32_t CounterDigits; /* minimum width; zeros are put in front */
} RenameOptions;

NAMEMASK_STATIC_ASSERT(sizeof(PluginInfo) == 216, "PluginInfo is 216 bytes");
NAMEMASK_STATIC_ASSERT(offsetof(PluginInfo, Version) == 0, "Version at 0");
NAMEMASK_STATIC_ASSERT(offsetof(PluginInfo, Title) == 10, "Title at 10");
NAMEMASK_STATIC_ASSERT(offsetof(PluginInfo, Author) == 60, "Author at 60");
NAMEMASK_STATIC_ASSERT(offsetof(PluginInfo, Caption) == 110, "Caption at 110");
NAMEMASK_STATIC_ASSERT(offsetof(PluginInfo, FileFilter) == 160, "FileFilter at 160");
NAMEMASK_STATIC_ASSERT(offsetof(PluginInfo, HostFlag) == 210, "HostFlag at 210");
NAMEMASK_STATIC_ASSERT(offsetof(PluginInfo, Unused) == 211, "alignment byte at 211");
NAMEMASK_STATIC_ASSERT(offsetof(PluginInfo, OptionsSize) == 212, "OptionsSize at 212");

NAMEMASK_STATIC_ASSERT(sizeof(RenameOptions) == 212, "RenameOptions is 212 bytes");
NAMEMASK_STATIC_ASSERT(offsetof(RenameOptions, NameMask) == 0, "NameMask at 0");
NAMEMASK_STATIC_ASSERT(offsetof(RenameOptions, ExtMask) == 100, "ExtMask at 100");
NAMEMASK_STATIC_ASSERT(offsetof(RenameOptions, CounterStart) == 200, "CounterStart at 200");
NAMEMASK_STATIC_ASSERT(offsetof(RenameOptions, CounterStep) == 204, "CounterStep at 204");
NAMEMASK_STATIC_ASSERT(offsetof(RenameOptions, CounterDigits) == 208, "CounterDigits at 208");

/* Fills *info (216 bytes); byte 211 is left as it was. */
void NAMEMASK_CALL getInfo(PluginInfo* info);

/* Keeps hostWindow as the options window's owner and registers the window class.
   Returns 1 on success, 0 when the class could not be registered (as on a second call). */
uint8_t NAMEMASK_CALL initialize(HWND hostWindow);

/* Allocates a record filled with the defaults ("[N]", "[E]", 1, 1, 1), stores it
   through *record and returns it; NULL when memory is exhausted. */
RenameOptions* NAMEMASK_CALL newOpt(RenameOptions** record);

/* Returns a record to the plug-in; NULL does nothing. */
void NAMEMASK_CALL freeOpt(RenameOptions* record);

/* The modal options window. newRecord != 0: *record receives a new record with the
   defaults; otherwise *record is edited. Returns 1 when the user confirmed; then
   *description points to a one-line text owned by the plug-in, valid until the next
   showOptions. The description is in the process's ANSI code page (GetACP()), like
   the masks it quotes; characters of its Russian title that the code page lacks
   read '?'. */
int32_t NAMEMASK_CALL showOptions(uint8_t newRecord, RenameOptions** record,
                                  const char** description);

/* Computes the new path of *filePath from **options and, unless previewOnly, moves
   the file. On success *filePath points to the new path (owned by the plug-in, valid
   until the next process call); otherwise it is left as it was. fileIndex drives the
   counter; the date and time tokens come from timeSourcePath's last write, and the
   date-taken tokens ([XY] and its kin) from the same file's photo or video metadata,
   read within fixed bounds (the last write when it has none). */
void NAMEMASK_CALL process(const char** filePath, const char* timeSourcePath, int32_t fileIndex,
                           uint32_t reserved, RenameOptions** options, uint8_t previewOnly);

/* The plug-in adds no buttons to the host: stores 0 in *count and returns 0. */
int32_t NAMEMASK_CALL exportBtns(void* reserved, int32_t* count);

/* Does nothing (there are no buttons to click). */
void NAMEMASK_CALL clickBtn(void);

/* Pointer types for hosts that bind the exports with GetProcAddress. */
typedef void(NAMEMASK_CALL* NamemaskGetInfo)(PluginInfo*);
typedef uint8_t(NAMEMASK_CALL* NamemaskInitialize)(HWND);
typedef RenameOptions*(NAMEMASK_CALL* NamemaskNewOpt)(RenameOptions**);
typedef void(NAMEMASK_CALL* NamemaskFreeOpt)(RenameOptions*);
typedef int32_t(NAMEMASK_CALL* NamemaskShowOptions)(uint8_t, RenameOptions**, const char**);
typedef void(NAMEMASK_CALL* NamemaskProcess)(const char**, const char*, int32_t, uint32_t,
                                             RenameOptions**, uint8_t);
typedef int32_t(NAMEMASK_CALL* NamemaskExportBtns)(void*, int32_t*);
typedef void(NAMEMASK_CALL* NamemaskClickBtn)(void);

#ifdef __cplusplus
}
#endif

#endif /* NAMEMASK_PLUGIN_H */
