# Installs the build tree into a scratch prefix and imports the installed
# Python module there: it must come from the prefix, load the library of the
# prefix (through its RPATH) and work.
file(REMOVE_RECURSE ${SCRATCH_DIR})
set(prefix ${SCRATCH_DIR}/prefix)

execute_process(COMMAND ${CMAKE_COMMAND} --install ${KALVORA_BUILD_DIR} --prefix ${prefix}
  OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed (${result})")
endif()

set(check [=[
import sys, kalvora
prefix = sys.argv[1]
assert kalvora.__file__.startswith(prefix), kalvora.__file__
libraries = [line.split()[-1] for line in open("/proc/self/maps") if "libkalvora.so" in line]
assert libraries and all(path.startswith(prefix) for path in libraries), libraries
assert kalvora.LutGenerator().lut(3).shape == (3, 3, 3, 3)
]=])
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH PYTHONPATH=${prefix}/${MODULE_DIR}
    ${PYTHON} -c "${check}" ${prefix}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed module failed (${result})")
endif()
