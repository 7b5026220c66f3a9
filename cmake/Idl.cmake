# Interfaces described in IDL, compiled with widl into headers, interface identifiers and type
# libraries:
#   PLRPluginIF       the host's plug-in interface IPLRPlugin2; its .tlb ships in bin/ so that
#                     the host (and the command-line host) can register it
#   PluginForBrellix  the plug-in's own library (IMain, class Main), embedded in the DLL as
#                     TYPELIB resource 1
# Headers go to ${CMAKE_BINARY_DIR}/generated; PLUGIN_IDL_C_SOURCES lists the _i.c files.
if(NOT WIDL_EXECUTABLE)
  find_program(WIDL_EXECUTABLE NAMES ${MINGW_TRIPLE}-widl widl REQUIRED)
endif()

# Debian's MinGW packages ship no oaidl.idl/unknwn.idl: Wine's IDL files (libwine-dev) are
# imported instead, and stdole2.tlb comes from Wine's Windows-side library folder.
set(PLUGIN_WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Folder with Wine's oaidl.idl")
find_path(PLUGIN_STDOLE2_DIR stdole2.tlb
  PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
        /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT EXISTS ${PLUGIN_WINE_IDL_DIR}/oaidl.idl OR NOT PLUGIN_STDOLE2_DIR)
  message(FATAL_ERROR "widl needs Wine's IDL files and stdole2.tlb: install libwine-dev and wine64")
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(widl_arch --win32)
else()
  set(widl_arch --win64)
endif()

set(PLUGIN_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${PLUGIN_GENERATED_DIR})

set(PLUGIN_IDL_C_SOURCES)
set(idl_outputs)
foreach(idl PLRPluginIF PluginForBrellix)
  set(out ${PLUGIN_GENERATED_DIR}/${idl})
  add_custom_command(
    OUTPUT ${out}.h ${out}_i.c ${out}.tlb
    COMMAND ${WIDL_EXECUTABLE} ${widl_arch} -I${PLUGIN_WINE_IDL_DIR} -L${PLUGIN_STDOLE2_DIR}
            -h -H ${out}.h -u -U ${out}_i.c -t -T ${out}.tlb ${CMAKE_SOURCE_DIR}/resources/${idl}.idl
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/${idl}.idl
    COMMENT "widl ${idl}.idl"
    VERBATIM)
  list(APPEND PLUGIN_IDL_C_SOURCES ${out}_i.c)
  list(APPEND idl_outputs ${out}.h ${out}_i.c ${out}.tlb)
endforeach()

# The host's type library ships beside the DLL.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/bin/PLRPluginIF.tlb
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PLUGIN_GENERATED_DIR}/PLRPluginIF.tlb
          ${CMAKE_BINARY_DIR}/bin/PLRPluginIF.tlb
  DEPENDS ${PLUGIN_GENERATED_DIR}/PLRPluginIF.tlb
  VERBATIM)

add_custom_target(plugin_idl DEPENDS ${idl_outputs} ${CMAKE_BINARY_DIR}/bin/PLRPluginIF.tlb)
set_source_files_properties(${PLUGIN_IDL_C_SOURCES} PROPERTIES GENERATED TRUE)

# windres finds the embedded type library through the generated folder on its include path;
# it does not scan the .rc for the file, so the dependency is stated here.
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/PluginForBrellix.rc PROPERTIES
  OBJECT_DEPENDS ${PLUGIN_GENERATED_DIR}/PluginForBrellix.tlb)
