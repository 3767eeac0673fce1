# Windows resources of a program: icon, version information and manifest (packaging/windows).
# Does nothing on other systems.
function(marvento_risorse_windows target descrizione)
  if(NOT WIN32)
    return()
  endif()
  set(MARVENTO_RC_NOME ${target})
  set(MARVENTO_RC_FILE ${target}.exe)
  set(MARVENTO_RC_DESCRIZIONE ${descrizione})
  set(MARVENTO_RC_ICONA ${PROJECT_SOURCE_DIR}/packaging/windows/marvento.ico)
  set(MARVENTO_RC_MANIFESTO ${PROJECT_SOURCE_DIR}/packaging/windows/marvento.manifest)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/risorse.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres reads the icon and the manifest itself: a change to them must rebuild the resources.
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${MARVENTO_RC_ICONA};${MARVENTO_RC_MANIFESTO}")
endfunction()
