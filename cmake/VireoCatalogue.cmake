# vireo_add_catalogue(FOLDER LIBRARY target [CHECKER target] [INSTALL])
#
# Builds the catalogue in FOLDER (relative to the source tree), one
# transaction version, into the libraries:
#   manifest.h      its guide id, description, control class and namespace
#   families.h      one #include line per family; each family FOLDER/<f>/<f>.{def,h,cpp}
#   slots.def       its slot list, with explicit dispatch ids
#   catalogue.cpp   its Catalogue (from slots.def and the manifest)
#   guide.def       its guide's declaration; guide.cpp expands it into a guide::Guide
#   rules.cpp       its guide's written rules, when it has some (built into CHECKER)
# INSTALL installs the headers a host's compiler reads (the manifest, the
# family list, the slot list and the families' declarations).
function(vireo_add_catalogue folder)
  cmake_parse_arguments(ARG "INSTALL" "LIBRARY;CHECKER" "" ${ARGN})
  set(dir ${PROJECT_SOURCE_DIR}/${folder})
  foreach(required manifest.h families.h slots.def catalogue.cpp guide.def guide.cpp)
    if(NOT EXISTS ${dir}/${required})
      message(FATAL_ERROR "${folder}: a catalogue folder needs ${required}")
    endif()
  endforeach()
  file(STRINGS ${dir}/manifest.h guide_id REGEX "^#define VIREO_MANIFEST_GUIDE_ID \"[^\"]+\"")
  if(NOT guide_id)
    message(FATAL_ERROR "${folder}/manifest.h: no line #define VIREO_MANIFEST_GUIDE_ID \"ID\"")
  endif()
  string(REGEX REPLACE "^.*\"([^\"]+)\".*$" "\\1" guide_id "${guide_id}")

  file(STRINGS ${dir}/families.h family_lines REGEX "^#include \"vireo/${folder}/")
  set(families "")
  foreach(line IN LISTS family_lines)
    string(REGEX REPLACE "^#include \"vireo/${folder}/([a-z0-9_]+)/.*$" "\\1" family "${line}")
    list(APPEND families ${family})
  endforeach()
  if(NOT families)
    message(FATAL_ERROR "${folder}/families.h: no line #include \"vireo/${folder}/<family>/<family>.h\"")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${dir}/families.h ${dir}/manifest.h)

  set(sources ${dir}/catalogue.cpp ${dir}/guide.cpp)
  foreach(family IN LISTS families)
    list(APPEND sources ${dir}/${family}/${family}.cpp)
  endforeach()
  target_sources(${ARG_LIBRARY} PRIVATE ${sources})
  if(EXISTS ${dir}/rules.cpp)
    if(NOT ARG_CHECKER)
      message(FATAL_ERROR "${folder}: its written rules (rules.cpp) need a CHECKER target")
    endif()
    target_sources(${ARG_CHECKER} PRIVATE ${dir}/rules.cpp)
  endif()

  if(ARG_INSTALL)
    set(headers manifest.h families.h slots.def)
    foreach(family IN LISTS families)
      list(APPEND headers ${family}/${family}.h ${family}/${family}.def)
    endforeach()
    foreach(header IN LISTS headers)
      get_filename_component(sub ${header} DIRECTORY)
      install(FILES ${dir}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vireo/${folder}/${sub})
    endforeach()
  endif()
  set_property(GLOBAL APPEND PROPERTY VIREO_CATALOGUES "${guide_id}")
  list(LENGTH families count)
  message(STATUS "vireo: catalogue ${guide_id} in ${folder}, ${count} families")
endfunction()
