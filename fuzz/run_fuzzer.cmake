# Fuzzes TARGET for SECONDS, starting from CORPUS (kept read-only) and growing
# a scratch corpus in WORK; fails when libFuzzer finds a crash, leak, timeout
# or out-of-memory, whose input is then in WORK.
file(REMOVE_RECURSE ${WORK}/new)
file(MAKE_DIRECTORY ${WORK}/new)
execute_process(
  COMMAND ${TARGET} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -max_len=65536
          -print_final_stats=1 -artifact_prefix=${WORK}/ ${WORK}/new ${CORPUS}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "fuzzing ${TARGET} failed (${status}); the input is in ${WORK}")
endif()
