/* A LADSPA library whose one effect, "Crasher", writes through a null pointer as soon as
   it runs: the program must survive applying it, with nothing changed. */
#include <ladspa.h>
#include <stdlib.h>

static LADSPA_Data* Ports[3];

static LADSPA_Handle Instantiate(const LADSPA_Descriptor* d, unsigned long rate)
{
    (void)d;
    (void)rate;
    return malloc(1);
}

static void Connect(LADSPA_Handle h, unsigned long port, LADSPA_Data* data)
{
    (void)h;
    if (port < 3)
        Ports[port] = data;
}

static void Run(LADSPA_Handle h, unsigned long count)
{
    (void)h;
    (void)count;
    volatile int* nowhere = NULL;
    *nowhere = 1;
}

static void Cleanup(LADSPA_Handle h)
{
    free(h);
}

static const LADSPA_PortDescriptor Kinds[3] = {LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL,
                                               LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO,
                                               LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO};
static const char* const Names[3] = {"Strength", "Input", "Output"};
static const LADSPA_PortRangeHint Hints[3] = {
    {LADSPA_HINT_BOUNDED_BELOW | LADSPA_HINT_BOUNDED_ABOVE | LADSPA_HINT_DEFAULT_1, 0, 2}, {0, 0, 0}, {0, 0, 0}};

static const LADSPA_Descriptor Crasher = {
    9901, "crasher", 0, "Crasher", "Sonovane tests", "None", 3, Kinds, Names, Hints, NULL,
    Instantiate, Connect, NULL, Run, NULL, NULL, NULL, Cleanup};

const LADSPA_Descriptor* ladspa_descriptor(unsigned long index)
{
    return index == 0 ? &Crasher : NULL;
}
