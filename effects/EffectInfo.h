#pragma once
// What the program knows of an installed LADSPA or LV2 effect: where it comes from, its
// name and category, its audio channels and its control ports. Read once by the catalog
// and kept in its cache, so the start of the program never loads the libraries.

#include <cstdint>
#include <string>
#include <vector>

enum class TEffectKind { Ladspa, Lv2 };

// One named value of an enumerated control port.
struct TEffectChoice {
    float Value = 0;
    std::string Label;
    bool operator==(const TEffectChoice&) const = default;
};

// A control input port, with what the parameter dialog needs to make its control.
struct TEffectControl {
    uint32_t Index = 0;  // the port's index in the effect
    std::string Name;
    std::string Unit;    // "" when none is known
    float Min = 0;
    float Max = 1;
    float Default = 0;
    bool Logarithmic = false;
    bool Integer = false;
    bool Toggled = false;
    std::vector<TEffectChoice> Choices;  // enumerated: the values to choose from
    bool operator==(const TEffectControl&) const = default;
};

struct TEffectInfo {
    TEffectKind Kind = TEffectKind::Ladspa;
    std::string Id;        // LADSPA: "<library path>:<label>"; LV2: the plug-in's URI
    std::string Library;   // LADSPA: the library's path; LV2: the bundle's folder
    std::string Label;     // LADSPA: the descriptor's label; LV2: empty
    std::string Name;
    std::string Category;  // LV2: the plug-in's class; LADSPA: the package that installed it
    uint32_t Channels = 1; // 1: mono in and out; 2: stereo in and out (fed mono, averaged)
    std::vector<uint32_t> AudioIn, AudioOut;  // port indices, Channels of each
    std::vector<TEffectControl> Controls;     // control inputs, in port order
    std::vector<uint32_t> ControlOuts;        // control outputs (connected, read for latency)
    int32_t LatencyPort = -1;                 // a control output giving the delay in samples
    bool operator==(const TEffectInfo&) const = default;
};
