/*
 * Sonovane filter plug-in interface.
 *
 * A plug-in is a shared library named "*.txf" placed beside the program. It exports,
 * with C linkage, InitLib, FreeLib, GetModulName, GetPluginVersion, GetFilterCount,
 * GetFilterName, GetFilterProcName and the filter procedures those name.
 *
 * Records are sequences of 32-bit integers and addresses in the order given. On a
 * 64-bit build addresses are pointer-sized and integers stay 32-bit, with natural
 * alignment; on a 32-bit build the layouts are exactly the packed 32-bit ones and
 * the calling convention is stdcall.
 *
 * Whoever allocates frees: everything a filter receives belongs to the program and is
 * valid only during the call; a returned record and what it points to belong to the
 * library and must stay valid until the procedure has returned.
 */
#ifndef SONOVANE_PLUGIN_H
#define SONOVANE_PLUGIN_H

#include <stdint.h>

#if defined(__i386__) || defined(_M_IX86)
#define SONOVANE_CALL __attribute__((stdcall))
#else
#define SONOVANE_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* WAVEFORMATEX: 18 bytes, little-endian, no gaps. */
#pragma pack(push, 1)
typedef struct TWaveFormatEx {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
} TWaveFormatEx;
#pragma pack(pop)

typedef struct TPluginWave {
    uint8_t* Data;                /* first sample byte */
    void* Stream;                 /* opaque to the plug-in */
    TWaveFormatEx* Format;        /* the wave's 18-byte format record */
    int32_t SelStart;             /* first selected sample */
    int32_t SelEnd;               /* last selected sample, inclusive */
    int32_t Size;                 /* bytes of sample data */
    const char* Name;             /* zero-terminated */
} TPluginWave;

typedef struct TPluginSelection {
    int32_t SelStart;
    int32_t SelEnd;
} TPluginSelection;

typedef struct TPluginLists {
    TPluginWave** Waves;          /* cell holding the address of the first record, or 0 */
    int32_t WaveCount;
    TPluginSelection** Selections;/* cell holding the address of the first record, or 0 */
    int32_t SelectionCount;
} TPluginLists;

typedef void(SONOVANE_CALL* TInitLib)(uintptr_t windowHandle);
typedef void(SONOVANE_CALL* TFreeLib)(void);
typedef const char*(SONOVANE_CALL* TGetModulName)(void);
typedef int32_t(SONOVANE_CALL* TGetPluginVersion)(void);
typedef int32_t(SONOVANE_CALL* TGetFilterCount)(void);
typedef const char*(SONOVANE_CALL* TGetFilterName)(int32_t index);
typedef const char*(SONOVANE_CALL* TGetFilterProcName)(int32_t index);
typedef TPluginWave*(SONOVANE_CALL* TFilterProcV1)(TPluginWave* working, TPluginWave* final_);
typedef TPluginWave*(SONOVANE_CALL* TFilterProcV2)(TPluginWave* working, TPluginWave* final_,
                                                   TPluginLists* lists);

#ifdef __cplusplus
}
#endif

#endif
