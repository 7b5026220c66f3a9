# The help files ScanToBrellix_<suffix>.chm, one per language, compiled with chmcmd (Debian's
# fp-utils) from help/<suffix>/ into bin/ beside the DLL, where the Help button looks for them.
find_program(CHMCMD_EXECUTABLE chmcmd)
if(NOT CHMCMD_EXECUTABLE)
  message(FATAL_ERROR "chmcmd compiles the help files: install fp-utils (scripts/install-deps.sh)")
endif()

set(PLUGIN_HELP_LANGUAGES EN JP GE FR)
set(PLUGIN_HELP_FILES)
foreach(language IN LISTS PLUGIN_HELP_LANGUAGES)
  set(source ${CMAKE_SOURCE_DIR}/help/${language})
  set(chm ScanToBrellix_${language}.chm)
  file(GLOB help_sources CONFIGURE_DEPENDS ${source}/*)
  # chmcmd reads the pages beside the project file and writes the .chm into its working folder.
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/bin/${chm}
    COMMAND ${CHMCMD_EXECUTABLE} --verbosity 0 ${source}/ScanToBrellix_${language}.hhp
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    DEPENDS ${help_sources}
    COMMENT "chmcmd ${chm}"
    VERBATIM)
  list(APPEND PLUGIN_HELP_FILES ${CMAKE_BINARY_DIR}/bin/${chm})
endforeach()
add_custom_target(plugin_help ALL DEPENDS ${PLUGIN_HELP_FILES})
