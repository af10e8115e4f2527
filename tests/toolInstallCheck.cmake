# Installs the build into a scratch prefix and runs the end-to-end suites of
# the kalvora program against the installed copy, so that the installed
# layout (program in bin, library found through its run path) is what the
# suites exercise.
file(REMOVE_RECURSE ${SCRATCH_DIR})
set(prefix ${SCRATCH_DIR}/prefix)

function(run_step)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "step failed (${result}): ${ARGV}")
  endif()
endfunction()

run_step(${CMAKE_COMMAND} --install ${KALVORA_BUILD_DIR} --prefix ${prefix})
file(GLOB program ${prefix}/bin/kalvora)
if(NOT program)
  message(FATAL_ERROR "the install did not put kalvora into ${prefix}/bin")
endif()
string(REPLACE "|" ";" suites "${SUITES}")
foreach(suite ${suites})
  run_step(${CMAKE_COMMAND} -E env KALVORA_TOOL=${program} ${suite})
endforeach()
