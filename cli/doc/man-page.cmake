# Writes the man page from its template, taking each option's values, default
# and range from the program's own --help, so that the page says what the
# program does without a second copy of its words.
#   cmake -DPROGRAM=halvo-set -DTEMPLATE=halvo-set.1.in -DOUTPUT=halvo-set.1 -DPROJECT_VERSION=x.y.z -P man-page.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
endif()
file(READ ${TEMPLATE} page)

# One entry an option: "  --name VALUES   help text", continued on the lines
# that follow it.
string(REPLACE ";" "\\;" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(option "")
set(choices "")
foreach(line IN LISTS lines)
  if(line MATCHES "^  (-[a-z],)?(--[a-z-]+)( ([^ ]+))?  +(.*)$")
    set(option ${CMAKE_MATCH_2})
    set(values_${option} "${CMAKE_MATCH_4}")
    set(text_${option} "${CMAKE_MATCH_5}")
    if(values_${option} MATCHES "\\|")
      list(APPEND choices ${option})
    endif()
  elseif(option AND line MATCHES "^     +(.*)$")
    string(APPEND text_${option} " ${CMAKE_MATCH_1}")
  else()
    set(option "")
  endif()
endforeach()

string(REGEX MATCHALL "@[A-Z]+ --[a-z-]+@" wanted "${page}")
list(REMOVE_DUPLICATES wanted)
foreach(token IN LISTS wanted)
  string(REGEX MATCH "@([A-Z]+) (--[a-z-]+)@" _ "${token}")
  set(what ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  if(what STREQUAL "VALUES")
    set(value "${values_${name}}")
  elseif(what STREQUAL "DEFAULT" AND text_${name} MATCHES "\\[default: ([^]]+)\\]")
    set(value "${CMAKE_MATCH_1}")
  elseif(what STREQUAL "RANGE" AND text_${name} MATCHES "([0-9:-]+ to [0-9:-]+)")
    set(value "${CMAKE_MATCH_1}")
  else()
    set(value "")
  endif()
  if(value STREQUAL "")
    message(FATAL_ERROR "man page: ${PROGRAM} --help says nothing for ${token}")
  endif()
  string(REPLACE "${token}" "${value}" page "${page}")
endforeach()

# The options that pick one of a list's words, each with its words, what it
# does and its default, as --help says them: a renamed or added option needs
# no edit here.
set(entries "")
foreach(name IN LISTS choices)
  string(REGEX REPLACE " *\\[default: ([^]]+)\\]" "" text "${text_${name}}")
  string(REGEX MATCH "\\[default: ([^]]+)\\]" _ "${text_${name}}")
  string(REPLACE "-" "\\-" shown "${name}")
  string(APPEND entries ".TP\n.BR ${shown} \" ${values_${name}}\"\n${text}. Default: ${CMAKE_MATCH_1}.\n")
endforeach()
string(REGEX REPLACE "\n$" "" entries "${entries}")
string(REPLACE "@CHOICES@" "${entries}" page "${page}")

string(REPLACE "@PROJECT_VERSION@" "${PROJECT_VERSION}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
