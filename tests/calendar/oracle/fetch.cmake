# Fetches the pinned holiday table with npm into the build tree and dumps it to holidays.tsv.
# Never fails: when it cannot fetch, or FETCH is off (a package build, which must not reach
# the network), it writes the reason to unavailable.txt and the oracle test skips with it.
file(REMOVE "${DST}/holidays.tsv" "${DST}/unavailable.txt")
file(MAKE_DIRECTORY "${DST}")
if(NOT FETCH)
  file(WRITE "${DST}/unavailable.txt"
    "this build does not fetch it: configure with -DTOLLVANE_FETCH_ORACLE=ON "
    "(scripts/dev test does; a package build never fetches)")
  return()
endif()
file(COPY "${SRC}/package.json" "${SRC}/package-lock.json" "${SRC}/dump.js" DESTINATION "${DST}")
find_program(NPM npm)
find_program(NODE node)
if(NOT NPM OR NOT NODE)
  file(WRITE "${DST}/unavailable.txt" "npm or node is not installed")
  return()
endif()
execute_process(COMMAND "${NPM}" ci --ignore-scripts --no-audit --no-fund
  WORKING_DIRECTORY "${DST}" RESULT_VARIABLE npmResult OUTPUT_VARIABLE npmOut
  ERROR_VARIABLE npmOut TIMEOUT 240)
if(NOT npmResult EQUAL 0)
  string(SUBSTRING "${npmOut}" 0 400 npmOut)
  file(WRITE "${DST}/unavailable.txt" "npm ci failed (${npmResult}): ${npmOut}")
  return()
endif()
execute_process(COMMAND "${NODE}" dump.js WORKING_DIRECTORY "${DST}"
  RESULT_VARIABLE nodeResult OUTPUT_FILE "${DST}/holidays.tsv.part" ERROR_VARIABLE nodeErr)
if(NOT nodeResult EQUAL 0)
  file(WRITE "${DST}/unavailable.txt" "the table could not be read: ${nodeErr}")
  return()
endif()
file(RENAME "${DST}/holidays.tsv.part" "${DST}/holidays.tsv")
