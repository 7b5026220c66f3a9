#include "support/ActivationContext.h"

#include "support/MyModule.h"

#include <string>

namespace {

// ISOLATIONAWARE_MANIFEST_RESOURCE_ID: the manifest a DLL carries for its own windows.
constexpr WORD kModuleManifestId = 2;

}  // namespace

raii::UniqueActivationContext CreatePluginActivationContext() {
    HMODULE module = MyModule::CodeModule();
    std::wstring moduleFile = MyModule::FileNameOf(module);
    // Only the dependency on the common controls takes effect here: the process-wide entries of
    // a DLL's manifest (requested execution level, DPI awareness) are decided by the host
    // program's own manifest and have no effect when a DLL's context is activated.
    ACTCTXW description = {};
    description.cbSize = sizeof(description);
    description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.lpSource = moduleFile.empty() ? nullptr : moduleFile.c_str();
    description.lpResourceName = MAKEINTRESOURCEW(kModuleManifestId);
    description.hModule = module;
    return raii::UniqueActivationContext(::CreateActCtxW(&description));
}

PluginActivationScope::PluginActivationScope()
    : m_context(CreatePluginActivationContext()), m_scope(m_context.Get()) {}
