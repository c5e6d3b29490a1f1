// What an editor may ask of the effect that owns it.
#pragma once

#include <cstdint>

namespace brindlet {

class EditorBase;

class EditorHost {
public:
    virtual ~EditorHost() = default;
    virtual float getParameter(int32_t index) = 0;
    virtual void setParameter(int32_t index, float value) = 0;
    // setParameter, then the host's automate request.
    virtual void automateParameter(int32_t index, float value) = 0;
    virtual bool beginEdit(int32_t index) = 0;
    virtual bool endEdit(int32_t index) = 0;
    virtual bool updateHostDisplay() = 0;
    virtual void hostIdle() = 0;
    // Stores the editor in the effect and sets the has-editor flag of the record.
    virtual void registerEditor(EditorBase* editor) = 0;
};

}  // namespace brindlet
