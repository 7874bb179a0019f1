# A constant converted from malformed UTF-8 (or too long for its buffer) must
# not compile, and for that reason: the diagnostic names the function that
# stops the build. The well-formed case guards against a command line that
# fails for everything.
#   cmake -DCXX=compiler -DINCLUDE=core/include -DSOURCE=utf16_constant.cpp -DWORK=dir -P utf16_constant_test.cmake
set(cases "0:well-formed" "1:stray continuation byte" "2:lead byte without its continuation" "3:too long")
file(MAKE_DIRECTORY ${WORK})
set(failed "")
foreach(entry IN LISTS cases)
  string(REGEX REPLACE ":.*" "" n "${entry}")
  string(REGEX REPLACE "^[0-9]+:" "" name "${entry}")
  execute_process(
    COMMAND ${CXX} -std=c++20 -fsyntax-only -I${INCLUDE} -DHALVO_CASE=${n} ${SOURCE}
    WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(n EQUAL 0)
    if(NOT status EQUAL 0)
      string(APPEND failed "${name}: did not compile:\n${out}\n")
    endif()
  elseif(status EQUAL 0)
    string(APPEND failed "${name}: compiled\n")
  elseif(NOT out MATCHES "Utf16TextIsMalformedOrTooLong")
    string(APPEND failed "${name}: failed for another reason:\n${out}\n")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "${failed}")
endif()
message(STATUS "utf16_constant_test: 4 cases passed")
