// The plug-in's editor: its window layout and the binding between controls and parameters.
#pragma once

#include "shell/EditorBase.h"

namespace brindlet {

class PluginEditor : public EditorBase {
public:
    explicit PluginEditor(EditorHost* effect);
};

}  // namespace brindlet
