// The plug-in's own activation context, made from the manifest resource 2 of the module that
// holds its code. Windows created while it is active use the common controls the manifest asks
// for (version 6), whatever manifest the host program has or lacks.
#pragma once

#include "support/Raii.h"

#include <windows.h>

// Activates the plug-in's context from construction to destruction. Put one around every call
// that creates windows (dialogs, message boxes, the folder picker). Without the resource, or
// when the platform refuses the context, nothing is activated and windows are created as the
// host's own context says.
class PluginActivationScope {
public:
    PluginActivationScope();
    PluginActivationScope(const PluginActivationScope&) = delete;
    PluginActivationScope& operator=(const PluginActivationScope&) = delete;

    bool IsActive() const { return m_scope.IsActive(); }

private:
    // Declared before the scope: the context is released only after it is deactivated.
    raii::UniqueActivationContext m_context;
    raii::ActivationScope m_scope;
};

// The plug-in's activation context, or an empty owner when it cannot be made.
raii::UniqueActivationContext CreatePluginActivationContext();
