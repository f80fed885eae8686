/*
 * Sonovane filter plug-in interface (plain C; usable from C and C++).
 *
 * A plug-in is a shared library named "*.txf" placed in the program's folder. It
 * exports, with C linkage and the calling convention SONOVANE_CALL:
 *
 *   InitLib, FreeLib        required, both, or the library is skipped
 *   GetModulName            required: the library's entry in the Plugins menu
 *   GetPluginVersion        1 or 2; without it the library is listed as the wrong version
 *   GetFilterCount, GetFilterName, GetFilterProcName
 *                           the filters; without all three the library has none
 *   the filter procedures   each under the name GetFilterProcName gave
 *
 * The program loads a library only for the moment of a call. At start-up it reads the
 * names (and calls FreeLib without InitLib, which a library must cope with); for every
 * filter run it loads the library again, calls InitLib, the filter procedure once and
 * FreeLib, and unloads it.
 *
 * Layout: integers are 32-bit signed. On a 32-bit build addresses are 32 bits, every
 * record is a packed sequence of 32-bit fields and the calling convention is stdcall.
 * On a 64-bit build addresses are pointer-sized, the field order is the same, and the
 * records have the natural alignment of the platform (the static checks below state
 * every offset of both layouts).
 *
 * Ownership, in one rule: whoever allocates frees. Everything a filter receives belongs
 * to the program and is valid only during the call. A returned record and everything it
 * points to belong to the library and must stay valid until the procedure has returned;
 * the program copies them before it calls FreeLib. Texts are zero-terminated 8-bit
 * strings; a null text reads as an empty one.
 *
 * The working format of every wave the program holds: PCM, 1 channel, 22050 samples
 * per second, 8 bits per sample unsigned (128 is the zero line), so one byte is one
 * sample. A returned wave must be in that format, or the program refuses it.
 */
#ifndef SONOVANE_PLUGIN_H
#define SONOVANE_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#if defined(__i386__) || defined(_M_IX86)
#if defined(_MSC_VER)
#define SONOVANE_CALL __stdcall
#else
#define SONOVANE_CALL __attribute__((stdcall))
#endif
#else
#define SONOVANE_CALL
#endif

/* Put in front of every exported function of a plug-in. */
#if defined(_WIN32)
#define SONOVANE_EXPORT_ATTR __declspec(dllexport)
#else
#define SONOVANE_EXPORT_ATTR __attribute__((visibility("default")))
#endif
#ifdef __cplusplus
#define SONOVANE_EXPORT extern "C" SONOVANE_EXPORT_ATTR
#else
#define SONOVANE_EXPORT SONOVANE_EXPORT_ATTR
#endif

#if defined(__cplusplus)
#define SONOVANE_STATIC_ASSERT(condition, text) static_assert(condition, text)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define SONOVANE_STATIC_ASSERT(condition, text) _Static_assert(condition, text)
#else
#define SONOVANE_STATIC_ASSERT_JOIN2(a, b) a##b
#define SONOVANE_STATIC_ASSERT_JOIN(a, b) SONOVANE_STATIC_ASSERT_JOIN2(a, b)
#define SONOVANE_STATIC_ASSERT(condition, text) \
    typedef char SONOVANE_STATIC_ASSERT_JOIN(sonovane_check_, __LINE__)[(condition) ? 1 : -1]
#endif

/* The interface versions a filter procedure can have (the result of GetPluginVersion). */
#define SONOVANE_PLUGIN_VERSION_1 1 /* filter(working, final) */
#define SONOVANE_PLUGIN_VERSION_2 2 /* filter(working, final, lists) */

#ifdef __cplusplus
extern "C" {
#endif

/* The published 18-byte wave format record: little-endian, no gaps. The program's own
   headers define the same record under the same guard, so a source may include both. */
#ifndef SONOVANE_TWAVEFORMATEX_DEFINED
#define SONOVANE_TWAVEFORMATEX_DEFINED
#pragma pack(push, 1)
typedef struct TWaveFormatEx {
    uint16_t wFormatTag;      /* 1 = PCM */
    uint16_t nChannels;       /* 1 in the working format */
    uint32_t nSamplesPerSec;  /* 22050 in the working format */
    uint32_t nAvgBytesPerSec; /* 22050 in the working format */
    uint16_t nBlockAlign;     /* 1 in the working format */
    uint16_t wBitsPerSample;  /* 8 in the working format */
    uint16_t cbSize;          /* bytes of extra format data after the record; not read */
} TWaveFormatEx;
#pragma pack(pop)
#endif

SONOVANE_STATIC_ASSERT(sizeof(TWaveFormatEx) == 18, "the format record is 18 bytes");
SONOVANE_STATIC_ASSERT(offsetof(TWaveFormatEx, nChannels) == 2 && offsetof(TWaveFormatEx, nSamplesPerSec) == 4 &&
                           offsetof(TWaveFormatEx, nAvgBytesPerSec) == 8 &&
                           offsetof(TWaveFormatEx, nBlockAlign) == 12 &&
                           offsetof(TWaveFormatEx, wBitsPerSample) == 14 && offsetof(TWaveFormatEx, cbSize) == 16,
                       "the format record has the published offsets");

/* One wave. The program fills one for each pane and one per waves-list entry; a filter
   returns one for a new wave. */
typedef struct TPluginWave {
    /* First sample byte. Given: the program's live samples; a filter may change them in
       place (never beyond Size bytes), valid during the call. Returned: the library's
       bytes, copied by the program. 0 for a list entry without a wave. */
    uint8_t* Data;
    /* The program's own reference to its wave; opaque to the plug-in, never to be used.
       Ignored in a returned record. */
    void* Stream;
    /* The wave's format record. Given: the program's, read-only, valid during the call.
       Returned: the library's; it must be the working format. */
    TWaveFormatEx* Format;
    /* Selection start, a sample offset. 0 in the records of the waves list. Returned:
       below 0 or at or beyond Size means 0. */
    int32_t SelStart;
    /* Selection end, a sample offset, inclusive. 0 in the records of the waves list.
       Returned: 0 or less, or at or beyond Size, means Size - 1. */
    int32_t SelEnd;
    /* Bytes (= samples) at Data. Returned: 0 means no new wave; never negative. */
    int32_t Size;
    /* Zero-terminated name. Given: the pane's or entry's name, the program's, valid
       during the call. Returned: the caption of the new entry (and the status text),
       the library's; null reads as empty. */
    const char* Name;
} TPluginWave;

/* One stored selection of the selections list (offsets only; no wave). */
typedef struct TPluginSelection {
    int32_t SelStart; /* start offset; 0 when the stored text is not a number */
    int32_t SelEnd;   /* end offset, inclusive; 0 when the stored text is not a number */
} TPluginSelection;

/* Both lists, handed to version-2 filters. Everything here is the program's, read-only
   and valid during the call only. */
typedef struct TPluginLists {
    /* A cell holding the address of the first of WaveCount records (the cell holds 0 when
       the waves list is empty). Read the cell, then the array. */
    TPluginWave** Waves;
    int32_t WaveCount; /* records in the waves array, in list order */
    /* A cell holding the address of the first of SelectionCount records (0 when the
       selections list is empty). */
    TPluginSelection** Selections;
    int32_t SelectionCount; /* records in the selections array, in list order */
} TPluginLists;

#if UINTPTR_MAX == 0xFFFFFFFFu
/* 32-bit builds: the packed 32-bit layouts. */
SONOVANE_STATIC_ASSERT(sizeof(TPluginWave) == 28 && offsetof(TPluginWave, Stream) == 4 &&
                           offsetof(TPluginWave, Format) == 8 && offsetof(TPluginWave, SelStart) == 12 &&
                           offsetof(TPluginWave, SelEnd) == 16 && offsetof(TPluginWave, Size) == 20 &&
                           offsetof(TPluginWave, Name) == 24,
                       "TPluginWave: 7 fields of 32 bits");
SONOVANE_STATIC_ASSERT(sizeof(TPluginLists) == 16 && offsetof(TPluginLists, WaveCount) == 4 &&
                           offsetof(TPluginLists, Selections) == 8 && offsetof(TPluginLists, SelectionCount) == 12,
                       "TPluginLists: 4 fields of 32 bits");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
/* 64-bit builds: addresses of 8 bytes, integers of 4, natural alignment. */
SONOVANE_STATIC_ASSERT(sizeof(TPluginWave) == 48 && offsetof(TPluginWave, Stream) == 8 &&
                           offsetof(TPluginWave, Format) == 16 && offsetof(TPluginWave, SelStart) == 24 &&
                           offsetof(TPluginWave, SelEnd) == 28 && offsetof(TPluginWave, Size) == 32 &&
                           offsetof(TPluginWave, Name) == 40,
                       "TPluginWave: the widened layout");
SONOVANE_STATIC_ASSERT(sizeof(TPluginLists) == 32 && offsetof(TPluginLists, WaveCount) == 8 &&
                           offsetof(TPluginLists, Selections) == 16 && offsetof(TPluginLists, SelectionCount) == 24,
                       "TPluginLists: the widened layout");
#endif
SONOVANE_STATIC_ASSERT(sizeof(TPluginSelection) == 8 && offsetof(TPluginSelection, SelEnd) == 4,
                       "TPluginSelection: two 32-bit fields");

/* The exports, as the program calls them. Texts returned by GetModulName, GetFilterName
   and GetFilterProcName belong to the library; the program copies them at once. */

/* Before each filter run. windowHandle: the native id of the program's main window. */
typedef void(SONOVANE_CALL* TInitLib)(uintptr_t windowHandle);
/* After each filter run, and once at start-up without a preceding InitLib. */
typedef void(SONOVANE_CALL* TFreeLib)(void);
/* The library's name in the Plugins menu. */
typedef const char*(SONOVANE_CALL* TGetModulName)(void);
/* SONOVANE_PLUGIN_VERSION_1 or _2; any other value: the program refuses to run filters. */
typedef int32_t(SONOVANE_CALL* TGetPluginVersion)(void);
/* The number of filters. */
typedef int32_t(SONOVANE_CALL* TGetFilterCount)(void);
/* index from 0: the filter's menu caption. A filter named exactly "About" in a library
   of several filters is shown as "About (<file name>)" with a separator after it. */
typedef const char*(SONOVANE_CALL* TGetFilterName)(int32_t index);
/* index from 0: the exported name of the filter procedure. */
typedef const char*(SONOVANE_CALL* TGetFilterProcName)(int32_t index);
/* The filter procedures: the working and the final pane (and for version 2 both lists).
   Result: a record describing a new wave, or 0 for none. */
typedef TPluginWave*(SONOVANE_CALL* TFilterProcV1)(TPluginWave* working, TPluginWave* final_);
typedef TPluginWave*(SONOVANE_CALL* TFilterProcV2)(TPluginWave* working, TPluginWave* final_,
                                                   TPluginLists* lists);

#ifdef __cplusplus
}
#endif

#endif
