# The guide's declaration is what guide/import_pyx12_map.py writes from the
# external validator's map of the guide and its 4010 data element dictionary:
# run the importer and compare. Skipped when they are not beside the project.
#   cmake -DPYTHON=... -DIMPORTER=... -DMAP_DIR=... -DDICTIONARY=... -DDECLARATION=... -DOUT=...
#         -P import_check.cmake
foreach(needed "${MAP_DIR}/837.4010.X098.A1.xml" "${DICTIONARY}")
  if(NOT EXISTS "${needed}")
    message("SKIPPED: no ${needed}")
    return()
  endif()
endforeach()
execute_process(COMMAND "${PYTHON}" "${IMPORTER}" "${MAP_DIR}" "${DICTIONARY}" OUTPUT_FILE "${OUT}"
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
