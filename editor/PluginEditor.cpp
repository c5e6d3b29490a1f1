// Placeholder editor with the background's size until the controls are built.
#include "editor/PluginEditor.h"

#include <new>

#include "shell/EditorFactory.h"

namespace brindlet {

PluginEditor::PluginEditor(EditorHost* effect) : EditorBase(effect) {
    rect.top = 0;
    rect.left = 0;
    rect.bottom = 360;
    rect.right = 465;
}

EditorBase* createPluginEditor(EditorHost* effect) {
    return new (std::nothrow) PluginEditor(effect);
}

}  // namespace brindlet
