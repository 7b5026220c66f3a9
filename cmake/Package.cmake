# The Windows Installer package of this architecture, built with wixl (msitools) into
# package/PluginForBrellix-<version>-<x86|x64>.msi: the stripped DLL, the translation file, the
# icon and the help files, with the COM registration written by the package itself.
find_program(WIXL_EXECUTABLE wixl)
find_program(MSIBUILD_EXECUTABLE msibuild)
if(NOT WIXL_EXECUTABLE OR NOT MSIBUILD_EXECUTABLE)
  message(FATAL_ERROR "wixl and msibuild build the MSI package: install wixl and msitools (scripts/install-deps.sh)")
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(PLUGIN_PACKAGE_ARCH x86)
else()
  set(PLUGIN_PACKAGE_ARCH x64)
endif()
set(PLUGIN_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)

# Builds <output> from the files in bin/ with the given product version.
function(plugin_add_package target output version)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-msi.sh ${PLUGIN_PACKAGE_ARCH} ${version} ${PLUGIN_TYPELIB_VERSION}
            ${CMAKE_BINARY_DIR}/bin ${output}
    DEPENDS PluginForBrellix plugin_help ${CMAKE_SOURCE_DIR}/package/PluginForBrellix.wxs
            ${CMAKE_SOURCE_DIR}/scripts/build-msi.sh $<TARGET_FILE:PluginForBrellix>
            ${CMAKE_SOURCE_DIR}/resources/PluginForBrellix.loc ${CMAKE_SOURCE_DIR}/resources/PluginForBrellix.ico
            ${PLUGIN_HELP_FILES}
    COMMENT "wixl ${output}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

set(PLUGIN_PACKAGE ${PLUGIN_PACKAGE_DIR}/PluginForBrellix-${PLUGIN_VERSION}-${PLUGIN_PACKAGE_ARCH}.msi)
plugin_add_package(plugin_package ${PLUGIN_PACKAGE} ${PLUGIN_VERSION})

# An older package of the same product, which the package test upgrades from.
if(PLUGIN_BUILD_TESTS)
  set(PLUGIN_OLDER_PACKAGE ${PLUGIN_PACKAGE_DIR}/test/PluginForBrellix-0.9.0.0-${PLUGIN_PACKAGE_ARCH}.msi)
  plugin_add_package(plugin_older_package ${PLUGIN_OLDER_PACKAGE} 0.9.0.0)
endif()
