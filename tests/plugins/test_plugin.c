/*
 * One plug-in source, built into several test libraries that differ by what they
 * export (compile definitions), written against the public header only, as an
 * outside author would. Every call is appended to the file named by
 * SONOVANE_TP_LOG, including the library being loaded and unloaded, and the records a
 * filter receives are written there too. What a filter returns is read from
 * SONOVANE_TP_RETURN, e.g. "size=1000 selstart=500 selend=0 name=Result"; the words
 * data=null, format=null, format=stereo, name=null and "none" (return 0) shape it.
 *
 *   TP_MODULE "name"   GetModulName's text      TP_FILTERS "Echo|About"  the filters
 *   TP_VERSION n       GetPluginVersion's value TP_NO_VERSION            not exported
 *   TP_NO_INITLIB, TP_NO_FREELIB, TP_NO_MODULNAME, TP_NO_FILTERNAME      not exported
 *   TP_MISSING_PROC    GetFilterProcName names a procedure that is not exported
 *
 * Hostile libraries, which the program must survive: TP_FAULT n makes every filter
 * first overwrite the samples it was given (both panes and every listed wave) and then
 * 1 write through a null pointer, 2 abort(), 3 exit(3), 4 loop for ever.
 * TP_COUNT_FAULT makes GetFilterCount write through a null pointer (TP_COUNT_FAULT=2:
 * never return).
 */
#include "sonovane_plugin.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#ifndef TP_MODULE
#define TP_MODULE "Test plugin"
#endif
#ifndef TP_FILTERS
#define TP_FILTERS "Dump"
#endif
#ifndef TP_VERSION
#define TP_VERSION 2
#endif

static void Log(const char* format, ...)
{
    const char* path = getenv("SONOVANE_TP_LOG");
    if (!path || !*path)
        return;
    FILE* f = fopen(path, "a");
    if (!f)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}

__attribute__((constructor)) static void Loaded(void) { Log("load"); }
__attribute__((destructor)) static void Unloaded(void) { Log("unload"); }

/* The filter names, split at '|' into a static table. */
static char g_names[8][32];
static int FilterCount(void)
{
    const char* all = TP_FILTERS;
    int count = 0;
    if (!*all)
        return 0;
    while (count < 8) {
        const char* bar = strchr(all, '|');
        size_t length = bar ? (size_t)(bar - all) : strlen(all);
        if (length > 31)
            length = 31;
        memcpy(g_names[count], all, length);
        g_names[count][length] = 0;
        ++count;
        if (!bar)
            break;
        all = bar + 1;
    }
    return count;
}

#ifndef TP_NO_INITLIB
SONOVANE_EXPORT void SONOVANE_CALL InitLib(uintptr_t windowHandle)
{
    Log("InitLib %s", windowHandle ? "window" : "0");
}
#endif

static uint8_t* g_result;
static TPluginWave g_record;
static TWaveFormatEx g_format;

#ifndef TP_NO_FREELIB
SONOVANE_EXPORT void SONOVANE_CALL FreeLib(void)
{
    Log("FreeLib");
    free(g_result);
    g_result = NULL;
}
#endif

#ifndef TP_NO_MODULNAME
SONOVANE_EXPORT const char* SONOVANE_CALL GetModulName(void) { return TP_MODULE; }
#endif

#ifndef TP_NO_VERSION
SONOVANE_EXPORT int32_t SONOVANE_CALL GetPluginVersion(void) { return TP_VERSION; }
#endif

/* Through a pointer the compiler cannot prove null, so the store really happens. */
static volatile int* volatile g_nowhere;

SONOVANE_EXPORT int32_t SONOVANE_CALL GetFilterCount(void)
{
#if defined(TP_COUNT_FAULT) && TP_COUNT_FAULT == 2
    for (;;)
        pause();
#elif defined(TP_COUNT_FAULT)
    *g_nowhere = 1;
#endif
    return FilterCount();
}

#ifndef TP_NO_FILTERNAME
SONOVANE_EXPORT const char* SONOVANE_CALL GetFilterName(int32_t index)
{
    return index >= 0 && index < FilterCount() ? g_names[index] : NULL;
}
#endif

SONOVANE_EXPORT const char* SONOVANE_CALL GetFilterProcName(int32_t index)
{
    static const char* const procs[] = {"Filter0", "Filter1", "Filter2", "Filter3"};
#ifdef TP_MISSING_PROC
    (void)procs;
    (void)index;
    return "NoSuchProc";
#else
    return index >= 0 && index < 4 ? procs[index] : NULL;
#endif
}

static void DumpWave(const char* label, const TPluginWave* w)
{
    char bytes[16] = "-";
    if (w->Data && w->Size >= 3)
        snprintf(bytes, sizeof bytes, "%u,%u,%u", w->Data[0], w->Data[1], w->Data[2]);
    Log("%s name=%s size=%d sel=%d..%d data=%s stream=%s format=%s bytes=%s", label,
        w->Name ? w->Name : "(null)", w->Size, w->SelStart, w->SelEnd, w->Data ? "set" : "0",
        w->Stream ? "set" : "0", w->Format ? "set" : "0", bytes);
    if (w->Format)
        Log("%s format=%u/%u/%u/%u/%u/%u", label, w->Format->wFormatTag, w->Format->nChannels,
            w->Format->nSamplesPerSec, w->Format->nAvgBytesPerSec, w->Format->nBlockAlign,
            w->Format->wBitsPerSample);
}

static long Field(const char* request, const char* key, long fallback)
{
    const char* at = strstr(request, key);
    return at ? strtol(at + strlen(key), NULL, 10) : fallback;
}

static TPluginWave* Result(void)
{
    const char* request = getenv("SONOVANE_TP_RETURN");
    if (!request || strstr(request, "none"))
        return NULL;
    static char name[64];
    const char* n = strstr(request, "name=");
    size_t length = 0;
    if (n) {
        n += 5;
        length = strcspn(n, " ");
        if (length > 63)
            length = 63;
    }
    memcpy(name, n ? n : "", length);
    name[length] = 0;

    g_format.wFormatTag = 1;
    g_format.nChannels = strstr(request, "format=stereo") ? 2 : 1;
    g_format.nSamplesPerSec = 22050;
    g_format.nAvgBytesPerSec = 22050 * g_format.nChannels;
    g_format.nBlockAlign = g_format.nChannels;
    g_format.wBitsPerSample = 8;
    g_format.cbSize = 0;

    memset(&g_record, 0, sizeof g_record);
    g_record.Size = (int32_t)Field(request, "size=", 0);
    g_record.SelStart = (int32_t)Field(request, "selstart=", 0);
    g_record.SelEnd = (int32_t)Field(request, "selend=", 0);
    if (g_record.Size > 0) {
        g_result = (uint8_t*)malloc((size_t)g_record.Size);
        for (int32_t i = 0; i < g_record.Size; ++i)
            g_result[i] = (uint8_t)i;
    }
    g_record.Data = strstr(request, "data=null") ? NULL : g_result;
    g_record.Format = strstr(request, "format=null") ? NULL : &g_format;
    g_record.Name = strcmp(name, "null") == 0 ? NULL : name;
    return &g_record;
}

static void Scribble(TPluginWave* w)
{
    for (int32_t i = 0; w->Data && i < w->Size; ++i)
        w->Data[i] = (uint8_t)(255 - w->Data[i]);
    w->SelStart = 1;
    w->SelEnd = 2;
}

#ifdef TP_FAULT
static void Fault(TPluginWave* working, TPluginWave* final_, TPluginLists* lists)
{
    Scribble(working);
    Scribble(final_);
    for (int32_t i = 0; lists && i < lists->WaveCount; ++i)
        Scribble(&(*lists->Waves)[i]);
    for (int32_t i = 0; lists && i < lists->SelectionCount; ++i)
        (*lists->Selections)[i].SelStart = 12345;
    Log("fault %d", TP_FAULT);
    switch (TP_FAULT) {
    case 1:
        *g_nowhere = 1;
        break;
    case 2:
        abort();
    case 3:
        exit(3);
    default:
        for (;;)
            pause();
    }
}
#endif

static TPluginWave* Run(int index, TPluginWave* working, TPluginWave* final_, TPluginLists* lists)
{
    Log("Filter%d v%d", index, lists ? 2 : 1);
    DumpWave("working", working);
    DumpWave("final", final_);
    if (lists) {
        Log("lists waves=%d cell=%s selections=%d cell=%s", lists->WaveCount, *lists->Waves ? "set" : "0",
            lists->SelectionCount, *lists->Selections ? "set" : "0");
        for (int32_t i = 0; i < lists->WaveCount; ++i) {
            char label[16];
            snprintf(label, sizeof label, "wave%d", i);
            DumpWave(label, &(*lists->Waves)[i]);
        }
        for (int32_t i = 0; i < lists->SelectionCount; ++i)
            Log("selection%d %d..%d", i, (*lists->Selections)[i].SelStart, (*lists->Selections)[i].SelEnd);
    }
#ifdef TP_FAULT
    Fault(working, final_, lists);
#endif
    if (getenv("SONOVANE_TP_SCRIBBLE"))
        Scribble(working);
    return Result();
}

#if TP_VERSION == 1
#define TP_FILTER(i)                                                                               \
    SONOVANE_EXPORT TPluginWave* SONOVANE_CALL Filter##i(TPluginWave* working, TPluginWave* final_) \
    {                                                                                              \
        return Run(i, working, final_, NULL);                                                      \
    }
#else
#define TP_FILTER(i)                                                                            \
    SONOVANE_EXPORT TPluginWave* SONOVANE_CALL Filter##i(TPluginWave* working, TPluginWave* final_, \
                                                         TPluginLists* lists)                  \
    {                                                                                           \
        return Run(i, working, final_, lists);                                                  \
    }
#endif
TP_FILTER(0)
TP_FILTER(1)
TP_FILTER(2)
TP_FILTER(3)
