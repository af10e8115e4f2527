# Fails unless README.md shows each listed source file exactly, as one
# ```cpp block. Arguments: -DREADME=... -DSOURCES=a.cpp|b.cpp
file(READ ${README} readme)
string(REPLACE "|" ";" sources "${SOURCES}")
foreach(source ${sources})
  file(READ ${source} text)
  string(FIND "${readme}" "```cpp\n${text}```\n" position)
  if(position EQUAL -1)
    message(FATAL_ERROR "README.md does not show ${source} as it is")
  endif()
endforeach()
