# Writes OUTPUT: PAGE_DIR/halvo.html with its style, the compiled core
# (CORE_JS) and the page's scripts put in place of their markers, so that the
# page is one file that asks for nothing else.

file(READ ${PAGE_DIR}/halvo.html page)
foreach(part STYLE:${PAGE_DIR}/halvo.css CORE:${CORE_JS} CLOCK:${PAGE_DIR}/camera_clock.js PAGE:${PAGE_DIR}/halvo.js)
  string(REGEX REPLACE ":.*" "" marker "${part}")
  string(REGEX REPLACE "^[A-Z]+:" "" path "${part}")
  file(READ ${path} text)
  string(TOLOWER "${text}" lower)
  string(FIND "${lower}" "</script" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${path} holds \"</script\", which would end its inline script early")
  endif()
  string(FIND "${page}" "@HALVO_${marker}@" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "halvo.html lacks the marker @HALVO_${marker}@")
  endif()
  string(REPLACE "@HALVO_${marker}@" "${text}" page "${page}")
endforeach()
file(WRITE ${OUTPUT} "${page}")
