// Creates the plug-in's own editor for an effect; null when it cannot be allocated.
#pragma once

namespace brindlet {

class EditorBase;
class EditorHost;

EditorBase* createPluginEditor(EditorHost* effect);

}  // namespace brindlet
