# Runs the script checker on the removal script that the build embeds, as
# `cmake -DCHECKER=... -DSCRIPT=... -DPROGRAM=... -P CheckScript.cmake`.
# The findings are printed. When the checker refuses the script (an error,
# or a file it cannot read), the Tidemark.exe of an earlier build is removed
# as well: a refused script must leave nothing behind that could be shipped
# by mistake as if it had been built. Among the checker's errors are a file
# that is no script at all (a zero byte, no section) and a script that names
# nothing the Start button removes: either would build a Tidemark.exe that
# shows its window and removes nothing.
foreach(variable CHECKER SCRIPT PROGRAM)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "CheckScript.cmake needs -D${variable}=...")
  endif()
endforeach()

execute_process(COMMAND "${CHECKER}" "${SCRIPT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  if(EXISTS "${PROGRAM}")
    file(REMOVE "${PROGRAM}")
    message(STATUS "Removed ${PROGRAM} of an earlier build")
  endif()
  message(FATAL_ERROR "The removal script ${SCRIPT} is refused (the checker exited with ${result}); "
                      "fix the errors above and build again.")
endif()
