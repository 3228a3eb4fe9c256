# Writes the bash completion of vantrel from its own --help, so that it
# offers every option the program has and no other.
#
#   cmake -DVANTREL=path/to/vantrel -DTEMPLATE=... -DOUTPUT=... -P make_completion.cmake
execute_process(COMMAND ${VANTREL} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${VANTREL} --help failed")
endif()

# The options as --help lists them at the start of a line: "  -r, --recursive",
# "  --rules FILE", "  --backup[=SUFFIX]".
string(REGEX MATCHALL "\n  (-[a-zA-Z], )?--[a-z][a-z-]*( [A-Z]+)?" listed "${help}")
set(options)
set(file_options)
foreach(entry IN LISTS listed)
  string(REGEX MATCH "--[a-z][a-z-]*" long "${entry}")
  list(APPEND options ${long})
  if(entry MATCHES "\n  (-[a-zA-Z]), ")
    list(APPEND options ${CMAKE_MATCH_1})
  endif()
  if(entry MATCHES " [A-Z]+$")
    list(APPEND file_options ${long})
  endif()
endforeach()
list(REMOVE_DUPLICATES options)
list(SORT options)
if(NOT options)
  message(FATAL_ERROR "no option found in ${VANTREL} --help")
endif()
list(JOIN options " " VANTREL_OPTIONS)
list(JOIN file_options "|" VANTREL_FILE_OPTIONS)
if(NOT VANTREL_FILE_OPTIONS)
  set(VANTREL_FILE_OPTIONS "--")  # never the word before the cursor: the loop has returned
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
