# Installs the built library into a scratch prefix, then configures, builds
# and runs a host project that finds it with find_package(Kalvora CONFIG).
file(REMOVE_RECURSE ${SCRATCH_DIR})
set(prefix ${SCRATCH_DIR}/prefix)

function(run_step)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "step failed (${result}): ${ARGV}")
  endif()
endfunction()

set(host_flags "${HOST_CXX_FLAGS}")
if(HOST_SANITIZE)
  string(APPEND host_flags " -fsanitize=address,undefined -fno-sanitize-recover=all")
endif()

run_step(${CMAKE_COMMAND} --install ${KALVORA_BUILD_DIR} --prefix ${prefix})
run_step(${CMAKE_COMMAND} -S ${HOST_SOURCE_DIR} -B ${SCRATCH_DIR}/host
  -DCMAKE_PREFIX_PATH=${prefix}
  -DCMAKE_CXX_COMPILER=${HOST_CXX_COMPILER}
  "-DCMAKE_CXX_FLAGS=${host_flags}")
run_step(${CMAKE_COMMAND} --build ${SCRATCH_DIR}/host)
run_step(${SCRATCH_DIR}/host/kalvoraHost)
