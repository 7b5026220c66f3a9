# The one place the product's version is set. It feeds the DLL's version block and manifest
# (generated/Version.h, generated/PluginForBrellix.manifest) and the MSI packages.
set(PLUGIN_VERSION_MAJOR 1)
set(PLUGIN_VERSION_MINOR 0)
set(PLUGIN_VERSION_PATCH 0)
set(PLUGIN_VERSION_TWEAK 1)
set(PLUGIN_VERSION
    ${PLUGIN_VERSION_MAJOR}.${PLUGIN_VERSION_MINOR}.${PLUGIN_VERSION_PATCH}.${PLUGIN_VERSION_TWEAK})

# The type library's version belongs to the COM contract and does not follow the product
# version. resources/PluginForBrellix.idl states it too (widl reads no CMake variables); the
# check below keeps the two from drifting apart.
set(PLUGIN_TYPELIB_VERSION 1.0)
file(READ ${CMAKE_SOURCE_DIR}/resources/PluginForBrellix.idl plugin_idl_text)
string(REPLACE "." "\\." typelib_version_pattern ${PLUGIN_TYPELIB_VERSION})
if(NOT plugin_idl_text MATCHES "version\\(${typelib_version_pattern}\\)")
  message(FATAL_ERROR "resources/PluginForBrellix.idl must declare version(${PLUGIN_TYPELIB_VERSION})")
endif()

set(PLUGIN_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/Version.h.in ${PLUGIN_GENERATED_DIR}/Version.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/PluginForBrellix.manifest.in
               ${PLUGIN_GENERATED_DIR}/PluginForBrellix.manifest @ONLY)
