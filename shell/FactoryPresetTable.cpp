// Factory preset values; rows are presets, columns follow the parameter indices.
#include "shell/FactoryPresetTable.h"

namespace brindlet {

const FactoryPreset kFactoryPresetTable[kNumFactoryPresets] = {
    {"Bass", {0.75f, 0.5f, 0.88f, 0.0f, 0.5f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f, 0.3f, 0.25f, 1.0f, 0.0f}},
    {"Big Drum", {0.5f, 0.5f, 0.0f, 0.0f, 0.8f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.3f, 0.25f, 1.0f, 0.0f}},
    {"Electro Drum",
     {1.0f, 0.0f, 0.1f, 1.0f, 0.5f, 0.2f, 0.15f, 0.555f, 0.7f, 0.0f, 0.3f, 0.25f, 1.0f, 0.0f}},
    {"DJ Decks",
     {0.0f, 0.7f, 0.2f, 0.0f, 1.0f, 0.11f, 0.69f, 0.5f, 0.4f, 0.0f, 0.3f, 0.25f, 1.0f, 0.0f}},
    {"Talking Drum",
     {0.5f, 0.5f, 0.0f, 1.0f, 0.5f, 0.2f, 0.2f, 0.5f, 0.0f, 0.0f, 0.3f, 0.25f, 1.0f, 1.0f}},
    {"Hawaiian Guitar",
     {0.75f, 1.0f, 0.125f, 0.75f, 0.5f, 0.2f, 0.0f, 0.5f, 0.0f, 0.1f, 0.3f, 0.25f, 1.0f, 0.0f}},
    {"Flanger",
     {1.0f, 1.0f, 1.0f, 1.0f, 0.46f, 0.32f, 0.0f, 0.682f, 0.0f, 0.0f, 0.3f, 0.25f, 0.5f, 0.0f}},
    {"Sweep", {0.5f, 1.0f, 0.805f, 0.0f, 0.5f, 0.2f, 0.0f, 0.832f, 0.4f, 0.0f, 0.3f, 0.25f, 1.0f, 0.0f}},
};

}  // namespace brindlet
