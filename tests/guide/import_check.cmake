# A guide's declaration is what guide/import_pyx12_map.py writes from the
# external validator's map of the guide and the data element dictionary of its
# version: run the importer and compare. Skipped when they are not beside the
# project.
#   cmake -DPYTHON=... -DIMPORTER=... -DMAP_FILE=... -DGUIDE_ID=... [-DDICTIONARY=...]
#         -DDECLARATION=... -DOUT=... -P import_check.cmake
set(arguments "${MAP_FILE}" "${GUIDE_ID}")
set(needed "${MAP_FILE}")
if(DICTIONARY)
  list(APPEND arguments "${DICTIONARY}")
  list(APPEND needed "${DICTIONARY}")
endif()
foreach(file IN LISTS needed)
  if(NOT EXISTS "${file}")
    message("SKIPPED: no ${file}")
    return()
  endif()
endforeach()
execute_process(COMMAND "${PYTHON}" "${IMPORTER}" ${arguments} OUTPUT_FILE "${OUT}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the importer failed (${status})")
endif()
file(READ "${OUT}" written)
file(READ "${DECLARATION}" declared)
if(NOT written STREQUAL declared)
  message(FATAL_ERROR "${DECLARATION} differs from what the importer writes (${OUT}): a correction "
                      "of a fact belongs in the importer, with its reason")
endif()
