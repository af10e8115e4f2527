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

# The same host built with the flags of the installed pkg-config file.
file(GLOB_RECURSE pc_file ${prefix}/*/kalvora.pc)
if(NOT pc_file)
  message(FATAL_ERROR "the install did not put kalvora.pc into ${prefix}")
endif()
get_filename_component(pc_dir ${pc_file} DIRECTORY)
foreach(query cflags libs)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir}
    pkg-config --${query} kalvora
    OUTPUT_VARIABLE pc_${query} OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "pkg-config --${query} kalvora failed (${result})")
  endif()
  separate_arguments(pc_${query} UNIX_COMMAND "${pc_${query}}")
endforeach()
separate_arguments(host_flag_list UNIX_COMMAND "${host_flags}")
run_step(${HOST_CXX_COMPILER} -std=c++17 ${host_flag_list} ${pc_cflags}
  ${HOST_SOURCE_DIR}/main.cpp ${pc_libs} -Wl,-rpath,${prefix}/lib
  -o ${SCRATCH_DIR}/kalvoraHostPkgConfig)
run_step(${SCRATCH_DIR}/kalvoraHostPkgConfig)
